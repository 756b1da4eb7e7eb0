#pragma once

#include <QPainter>
#include <QWidget>

// A green picture that counts the presses reaching it: what lies beneath a
// control under test.
class Beneath : public QWidget
{
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Qt::green); }
};
