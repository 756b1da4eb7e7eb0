#include "app/QueueCellDelegate.h"

#include "model/QueueModel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QTextDocument>
#include <QToolTip>

namespace {

RowState StateOf(const QModelIndex& index)
{
    return static_cast<RowState>(index.data(QueueModel::StateRole).toInt());
}

} // namespace

void QueueCellDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const bool failed = StateOf(index) == RowState::Failed;
    switch (index.column()) {
    case QueueModel::ColConverted:
        if (failed && option->text.isEmpty()) {
            // The reason is no link: nothing opens from a failed row.
            option->text = index.data(Qt::AccessibleDescriptionRole).toString();
            option->palette.setColor(QPalette::Text, QColor(FailedRed));
            option->font.setUnderline(false);
            break;
        }
        [[fallthrough]];
    case QueueModel::ColFileName:
    case QueueModel::ColDelete:
        option->palette.setColor(QPalette::Text, QColor(0, 0, 255));
        option->font.setUnderline(true);
        break;
    case QueueModel::ColProgress:
        option->palette.setColor(QPalette::Text, failed ? QColor(FailedRed) : QColor(0, 0, 0));
        option->font.setUnderline(false);
        break;
    default: break;
    }
}

void QueueCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (index.column() != QueueModel::ColProgress || StateOf(index) != RowState::Converting) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    const QString text = opt.text;
    opt.text.clear();
    // Background, selection and focus as the style draws them, then the bar,
    // then the text on top of both.
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const bool selected = opt.state & QStyle::State_Selected;
    const int percent = qBound(0, index.data(QueueModel::PercentRole).toInt(), 100);
    const QRect track = opt.rect.adjusted(BarInset, BarInset, -BarInset, -BarInset);
    QRect bar = track;
    bar.setWidth(track.width() * percent / 100);
    painter->save();
    painter->fillRect(bar, QColor(selected ? SelectedBarBlue : BarBlue));
    // The track's outline shows how much is left.
    painter->setPen(QColor(selected ? SelectedTrackBlue : TrackBlue));
    painter->drawRect(track.adjusted(0, 0, -1, -1));
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(QPalette::Normal, selected ? QPalette::HighlightedText : QPalette::Text));
    const QRect room = textRect.adjusted(margin, 0, -margin, 0);
    painter->drawText(room, int(opt.displayAlignment),
                      opt.fontMetrics.elidedText(text, opt.textElideMode, room.width()));
    painter->restore();
}

QSize QueueCellDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(qMax(size.height(), QFontMetrics(option.font).lineSpacing() + 4));
    return size;
}

bool QueueCellDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                  const QModelIndex& index)
{
    if (!event || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const QString tip = index.data(Qt::ToolTipRole).toString();
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
        return false;
    }
    QToolTip::showText(event->globalPos(), Qt::convertFromPlainText(tip, Qt::WhiteSpaceNormal), view, option.rect);
    return true;
}
