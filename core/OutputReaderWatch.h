#pragma once

#include <QObject>

class QSocketNotifier;

// Tells the moment the reader of a pipe on standard output goes away (as
// `| head -n 1` does once it has its line), instead of at the next line
// written: work begun for lines no one will read can stop at once. Watches
// nothing when standard output is no pipe.
class OutputReaderWatch : public QObject
{
    Q_OBJECT

public:
    explicit OutputReaderWatch(QObject* parent = nullptr);

signals:
    void readerGone();

private:
    QSocketNotifier* m_notifier = nullptr; // owned as a child
};
