#pragma once

#include <QStyledItemDelegate>

// Paints the queue's clickable cells (file name, converted file, DEL) as
// links: pure blue and underlined; Progress in plain black. The Type column
// keeps the list's own look.
class QueueCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
