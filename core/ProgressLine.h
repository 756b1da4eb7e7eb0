#pragma once

#include <QList>
#include <QPair>
#include <QString>

class QueueModel;

// The terminal's progress line on standard error: each file converting and its
// percentage, in the order they started, redrawn in place and cut to the
// terminal's width. Nothing is drawn when standard error is no terminal.
class ProgressLine
{
public:
    explicit ProgressLine(const QueueModel& queue);

    // The row with the id began or ended converting.
    void Started(quint64 id);
    void Finished(quint64 id);
    bool IsConverting(quint64 id) const { return m_converting.contains(id); }
    // A row from first to last, inclusive, is converting.
    bool ConvertsIn(int first, int last) const;

    // What the line ends with: the run's time left ("1:23 left"); empty for nothing.
    void setTail(const QString& tail) { m_tail = tail; }
    void Show();
    // Wipes the line, so that the next text starts at the line's beginning.
    void Clear();

    // The progress line's parts ("name  N% Done") in `width` terminal columns
    // at most: names cut between whole characters with "…", parts that cannot
    // fit left out; the tail after them, kept while the line has room for a name beside it.
    static QString Fit(const QList<QPair<QString, QString>>& parts, int width, const QString& tail = {});

private:
    const QueueModel& m_queue;
    QList<quint64> m_converting; // by id, in the order they started
    bool m_wanted = false;
    bool m_shown = false;
    QString m_line; // what the line shows
    QString m_tail;
};
