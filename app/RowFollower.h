#pragma once

#include <QList>
#include <QObject>

#include <functional>

class QTreeView;

// Keeps the converting rows of a list in view: a row that starts is scrolled
// to while the list follows the run. Scrolling away from every converting row
// stops the following; scrolling back to one takes it up again. A scroll while
// nothing converts changes nothing.
class RowFollower : public QObject
{
    Q_OBJECT

public:
    // followed gives the rows to keep in view, the converting ones.
    RowFollower(QTreeView* list, std::function<QList<int>()> followed);

    // A row began converting: brought into view when the list follows and no
    // followed row is seen whole already, so the list does not jump while the
    // user watches one.
    void reveal(int row);
    bool following() const { return m_following; }
    // The next run is followed again, wherever the user left the list.
    void restart() { m_following = true; }

private:
    bool anyFollowedSeen() const;

    QTreeView* m_list;
    std::function<QList<int>()> m_followed;
    bool m_following = true;
    bool m_scrolling = false; // the scroll is ours, not the user's
};
