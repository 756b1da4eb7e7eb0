#pragma once

#include "app/QueueListRules.h"

#include <QObject>

#include <functional>

class QPoint;
class QTreeView;

// The queue list's row menu: a right click on a row, or the Menu key or
// Shift+F10 on the current row, pops up Stop, Try again, Remove and Open
// Folder, each enabled as the row allows at that moment. The chosen action is
// handed on with its row; the handler checks the row again, since a
// conversion may have moved on while the menu was open.
class QueueRowMenu : public QObject
{
public:
    struct Handlers
    {
        std::function<bool(int row)> converting; // the row's conversion runs
        std::function<bool()> busy;              // any conversion runs
        std::function<void(RowAction action, int row)> act;
    };

    QueueRowMenu(QTreeView* list, Handlers handlers); // owned by the list

    static QString ActionText(RowAction action);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // at: where in the list's viewport the menu opens.
    void PopUp(int row, const QPoint& at);

    QTreeView* m_list;
    Handlers m_handlers;
};
