#include "app/TextFit.h"

#include <QAbstractItemModel>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QtMath>

namespace TextFit {

namespace {

// The header elides a caption that does not fit between the style's margins
// with 4 pixels to spare; its own size hint reserves room for a sort mark
// this list never shows.
int CaptionWidth(const QHeaderView* header, int section)
{
    const QString caption = header->model()->headerData(section, header->orientation()).toString();
    const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    // One pixel more for the fractions the whole-pixel advance leaves out.
    return qCeil(QFontMetricsF(header->font()).horizontalAdvance(caption)) + 2 * margin + 5;
}

} // namespace

void Label(QLabel* label, int width, int right)
{
    QFont font = label->font();
    const auto fitted = [&] { return qMax(width, label->sizeHint().width()); };
    while (label->x() + fitted() > right && font.pixelSize() > MinPixelSize) {
        font.setPixelSize(font.pixelSize() - 1);
        label->setFont(font);
    }
    label->resize(qMin(fitted(), qMax(width, right - label->x())), label->height());
}

void Header(QHeaderView* header, const int* widths, int count, int available)
{
    QFont font = header->font();
    const auto fit = [&] {
        int total = 0;
        for (int c = 0; c < count; ++c) {
            header->resizeSection(c, qMax(widths[c], CaptionWidth(header, c)));
            total += header->sectionSize(c);
        }
        return total;
    };
    while (fit() > available && font.pixelSize() > MinPixelSize) {
        font.setPixelSize(font.pixelSize() - 1);
        header->setFont(font);
    }
}

} // namespace TextFit
