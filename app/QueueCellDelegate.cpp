#include "app/QueueCellDelegate.h"

#include "model/QueueModel.h"

void QueueCellDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    switch (index.column()) {
    case QueueModel::ColFileName:
    case QueueModel::ColConverted:
    case QueueModel::ColDelete:
        option->palette.setColor(QPalette::Text, QColor(0, 0, 255));
        option->font.setUnderline(true);
        break;
    case QueueModel::ColProgress:
        option->palette.setColor(QPalette::Text, QColor(0, 0, 0));
        option->font.setUnderline(false);
        break;
    default:
        break;
    }
}
