#pragma once

#include <QObject>

#include <vector>

class QSocketNotifier;

// Turns the usual ending signals into a Qt signal of the event loop: the
// handler only writes the number into a pipe, so whatever the program does
// about it runs outside the handler. One watcher at a time per process.
class SignalWatcher : public QObject
{
    Q_OBJECT

public:
    SignalWatcher(std::vector<int> signalNumbers, QObject* parent = nullptr);
    ~SignalWatcher() override; // the signals' default actions again

    // Ends the process by the signal itself, so a calling shell or xargs sees why.
    [[noreturn]] static void EndBy(int signalNumber);
    // "SIGTERM" and the like.
    static QString Name(int signalNumber);

signals:
    void received(int signalNumber);

private:
    std::vector<int> m_signals;
    QSocketNotifier* m_notifier = nullptr; // owned as a child
};
