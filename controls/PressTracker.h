#pragma once

#include <QObject>
#include <QPointer>

class QPoint;
class QWidget;

// Follows one left press on a control until its release: whether the release
// clicks, and whether a dialog opened in between. The second press of a double
// click never clicks, and a window blocked by a dialog cancels the press, as the
// platform's own buttons do.
class PressTracker : public QObject
{
    Q_OBJECT

public:
    explicit PressTracker(QWidget* control);

    // A left press that clicks when released inside the control.
    void pressed();
    // Ends the press; true when it clicks (a click candidate released inside the
    // control's rectangle).
    bool released(const QPoint& pos);
    bool held() const { return m_candidate; }

signals:
    // The control's window was blocked while the press was held; the control
    // handles this as a release at (-1, -1).
    void cancelled();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void stopWatching();

    QWidget* m_control;
    QPointer<QObject> m_watched;
    bool m_candidate = false;
};
