#include "queue/FindFile.h"

#include <QDir>
#include <QFileInfo>

#include <deque>

namespace {

constexpr int CountedBits = ffHidden | ffSystem | ffVolumeID | ffDirectory;

QString withSlash(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

// The attribute bits a Linux entry has. A name starting with "." is hidden;
// read-only means not writable by us. System, volume label and archive have no
// meaning here and are never set.
int attributeBits(const QFileInfo& info)
{
    int bits = 0;
    if (info.fileName().startsWith(QLatin1Char('.')))
        bits |= ffHidden;
    if (info.isDir())
        bits |= ffDirectory;
    if (!info.isWritable())
        bits |= ffReadOnly;
    return bits;
}

bool matchesFrom(const QString& pattern, qsizetype p, const QString& name, qsizetype n)
{
    // Iterative wildcard match with one backtrack point for the last '*'.
    qsizetype starP = -1;
    qsizetype starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern.at(p) == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern.at(p) == QLatin1Char('?') ||
                    pattern.at(p).toCaseFolded() == name.at(n).toCaseFolded())) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern.at(p) == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

constexpr auto EveryEntry = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;

// Entries in name order, letter case ignored: the order a file manager shows
// and NTFS lists, rather than whatever order the disk happens to keep.
QFileInfoList entriesOf(const QString& folder, QDir::Filters filters)
{
    return QDir(folder).entryInfoList(filters, QDir::Name | QDir::IgnoreCase);
}

} // namespace

TFindFile::TFindFile(QObject* owner) : QObject(owner) {}

bool TFindFile::Matches(const QString& pattern, const QString& name)
{
    if (matchesFrom(pattern, 0, name, 0))
        return true;
    return pattern.endsWith(QLatin1String(".*")) && !name.contains(QLatin1Char('.')) &&
           matchesFrom(pattern.chopped(2), 0, name, 0);
}

void TFindFile::Execute()
{
    int mask = 0;
    for (const TAttrOption option : {ffReadOnly, ffHidden, ffSystem, ffVolumeID, ffDirectory, ffArchive})
        if (Attributes.testFlag(option))
            mask |= option;

    Files.clear();
    if (BeforeExecute)
        BeforeExecute(this);
    if (!Directory.isEmpty()) {
        if (Recurse)
            SearchTree(Directory, mask);
        else
            SearchFolder(Directory, mask);
    }
    if (AfterExecute)
        AfterExecute(this);
}

void TFindFile::SearchFolder(QString folder, int mask)
{
    folder = withSlash(folder);
    if (OnNewPath)
        OnNewPath(this, folder, m_abort);
    if (m_abort)
        return;

    for (const QFileInfo& info : entriesOf(folder, EveryEntry)) {
        if (!Matches(Filter, info.fileName()))
            continue;
        if ((attributeBits(info) & CountedBits & ~mask) == 0)
            Files << folder + info.fileName();
    }
}

void TFindFile::SearchTree(QString folder, int mask)
{
    std::deque<QString> pending{withSlash(folder)};
    while (!pending.empty()) {
        const QString current = pending.front();
        for (const QFileInfo& info : entriesOf(withSlash(current), QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
            // A link to a folder could lead back up the tree; it is listed, not entered.
            if (!info.isSymLink())
                pending.push_back(withSlash(current) + info.fileName());
        }
        SearchFolder(current, mask);
        pending.pop_front();
        if (m_abort)
            return;
    }
}
