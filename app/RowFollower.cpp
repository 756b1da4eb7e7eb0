#include "app/RowFollower.h"

#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTreeView>

RowFollower::RowFollower(QTreeView* list, std::function<QList<int>()> followed)
    : QObject(list), m_list(list), m_followed(std::move(followed))
{
    connect(m_list->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (!m_scrolling && !m_followed().isEmpty())
            m_following = anyFollowedSeen();
    });
}

bool RowFollower::anyFollowedSeen() const
{
    const QRect seen = m_list->viewport()->rect();
    for (const int row : m_followed()) {
        if (seen.contains(m_list->visualRect(m_list->model()->index(row, 0))))
            return true;
    }
    return false;
}

void RowFollower::reveal(int row)
{
    if (!m_following || row < 0 || row >= m_list->model()->rowCount())
        return;
    const QList<int> others = m_followed();
    const QRect seen = m_list->viewport()->rect();
    for (const int other : others) {
        if (other != row && seen.contains(m_list->visualRect(m_list->model()->index(other, 0))))
            return;
    }
    const QScopedValueRollback<bool> ours(m_scrolling, true);
    m_list->scrollTo(m_list->model()->index(row, 0));
}
