#include "platform/TerminalText.h"

#include <QList>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <iterator>

namespace TerminalText {

namespace {

struct Range
{
    char32_t first;
    char32_t last;
};

// East Asian wide and full-width characters, and the emoji terminals draw two columns wide.
constexpr Range Wide[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},   {0x23F0, 0x23F0},
    {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},   {0x2648, 0x2653},   {0x267F, 0x267F},
    {0x2693, 0x2693},   {0x26A1, 0x26A1},   {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},
    {0x26CE, 0x26CE},   {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
    {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},   {0x2728, 0x2728},
    {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},   {0x2757, 0x2757},   {0x2795, 0x2797},
    {0x27B0, 0x27B0},   {0x27BF, 0x27BF},   {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},
    {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},
    {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},
    {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x1F004, 0x1F004}, {0x1F0CF, 0x1F0CF}, {0x1F18E, 0x1F18E},
    {0x1F191, 0x1F19A}, {0x1F200, 0x1F251}, {0x1F300, 0x1F64F}, {0x1F680, 0x1F6FF}, {0x1F7E0, 0x1F7EB},
    {0x1F90C, 0x1F9FF}, {0x1FA70, 0x1FAFF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

int CodePointColumns(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format: return 0;
    default: break;
    }
    // An emoji presentation selector makes the character before it an emoji.
    if (c == 0xFE0F)
        return 2;
    const auto range = std::upper_bound(std::begin(Wide), std::end(Wide), c,
                                        [](char32_t value, const Range& r) { return value < r.first; });
    return range != std::begin(Wide) && c <= std::prev(range)->last ? 2 : 1;
}

// A whole character as the reader sees it takes the columns of its widest part.
int ClusterColumns(QStringView cluster)
{
    int columns = 0;
    for (const char32_t c : cluster.toUcs4())
        columns = std::max(columns, CodePointColumns(c));
    return columns;
}

// Calls take(start, length, columns) for each whole character until it returns false.
template <typename Take> void EachCluster(const QString& text, Take take)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end > 0; end = finder.toNextBoundary()) {
        if (!take(start, end - start, ClusterColumns(QStringView(text).mid(start, end - start))))
            return;
        start = end;
    }
}

} // namespace

int Columns(const QString& text)
{
    int columns = 0;
    EachCluster(text, [&](qsizetype, qsizetype, int width) {
        columns += width;
        return true;
    });
    return columns;
}

QString Cut(const QString& text, int columns)
{
    qsizetype kept = 0;
    int used = 0;
    EachCluster(text, [&](qsizetype start, qsizetype length, int width) {
        if (used + width > columns)
            return false;
        used += width;
        kept = start + length;
        return true;
    });
    return text.left(kept);
}

} // namespace TerminalText
