#pragma once

#include <QColor>
#include <QWidget>

// A frame drawn over the edge of another widget while that widget has the
// keyboard focus, in a colour that stands out from the light skin and from
// white (3:1 or more against both, and against the widget's own frame), also
// where the widget itself draws no focus, as an empty list does not.
class FocusFrame : public QWidget
{
    Q_OBJECT

public:
    static constexpr QRgb Colour = 0xff003c82;
    static constexpr int Width = 2;

    // A child of `target`, following its size and focus.
    explicit FocusFrame(QWidget* target);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fit();

    QWidget* m_target;
};
