#pragma once

#include <QColor>
#include <QStyledItemDelegate>

// Paints the queue's cells on the fixed light skin: the clickable cells (file
// name, converted file, DEL) as links, pure blue and underlined; Progress in
// plain black, "Failed" in red, and a converting row's percentage over a bar
// of that length. A failed row's reason stands in its Converted File cell,
// cut with "…" when too long. The Type column keeps the list's own look.
// Rows are a line and 4 pixels tall, so underlines keep clear of the next row.
class QueueCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Each keeps at least 4.5:1 against black text and against the white of
    // the list, and the selected bar against the selection's white text.
    static constexpr QRgb FailedRed = 0xffc00000;
    static constexpr QRgb BarBlue = 0xff8cbcf0;
    static constexpr QRgb SelectedBarBlue = 0xff00306e;
    static constexpr QRgb TrackBlue = 0xff5a8cc8;
    static constexpr QRgb SelectedTrackBlue = 0xffa0c4f0;
    // The bar's inset from the cell's edges.
    static constexpr int BarInset = 2;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // A tooltip (a failure's words, which name the file) is shown as written:
    // a name such as "<b>x.flv" is never read as markup.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
