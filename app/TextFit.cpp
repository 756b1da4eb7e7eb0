#include "app/TextFit.h"

#include <QAbstractItemModel>
#include <QFontMetricsF>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
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

// A text that does not fit even at the smallest size (a long translation) is
// cut with an ellipsis, and shows whole in the tooltip.
QString Elided(QWidget* widget, const QString& text, int room)
{
    if (widget->fontMetrics().horizontalAdvance(text) <= room)
        return text;
    widget->setToolTip(text);
    return widget->fontMetrics().elidedText(text, Qt::ElideRight, room);
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
    label->setText(Elided(label, label->text(), label->width()));
}

void Button(QPushButton* button)
{
    // The room a push button leaves its text between its bevels.
    const int room = button->width() - 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) - 4;
    QFont font = button->font();
    if (font.pixelSize() <= 0)
        font.setPixelSize(QFontInfo(font).pixelSize());
    while (button->fontMetrics().horizontalAdvance(button->text()) > room && font.pixelSize() > MinPixelSize) {
        font.setPixelSize(font.pixelSize() - 1);
        button->setFont(font);
    }
    button->setText(Elided(button, button->text(), room));
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
