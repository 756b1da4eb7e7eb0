#include "app/QueueRowMenu.h"

#include "model/QueueModel.h"

#include <QCoreApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QTreeView>

QueueRowMenu::QueueRowMenu(QTreeView* list, Handlers handlers)
    : QObject(list), m_list(list), m_handlers(std::move(handlers))
{
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const QModelIndex index = m_list->indexAt(at);
        if (!index.isValid())
            return;
        // The row the menu acts on is the one seen selected.
        m_list->setCurrentIndex(index);
        PopUp(index.row(), at);
    });
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
}

QString QueueRowMenu::ActionText(RowAction action)
{
    switch (action) {
    case RowAction::Stop: return QCoreApplication::translate("QueueRowMenu", "Stop");
    case RowAction::TryAgain: return QCoreApplication::translate("QueueRowMenu", "Try again");
    case RowAction::Remove: return QCoreApplication::translate("QueueRowMenu", "Remove");
    case RowAction::OpenFolder: return QCoreApplication::translate("QueueRowMenu", "Open Folder");
    }
    return {};
}

bool QueueRowMenu::eventFilter(QObject* watched, QEvent* event)
{
    // The keyboard's menu opens at the current row, not where the pointer
    // happens to be; X sends a menu event after the key, which is dropped.
    if (event->type() == QEvent::ContextMenu)
        return static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard;
    if (watched != m_list || event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool menuKey
        = key->key() == Qt::Key_Menu || (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier);
    if (!menuKey)
        return false;
    const QModelIndex current = m_list->currentIndex();
    if (current.isValid()) {
        m_list->scrollTo(current);
        PopUp(current.row(), m_list->visualRect(current).center());
    }
    return true;
}

void QueueRowMenu::PopUp(int row, const QPoint& at)
{
    const auto* queue = qobject_cast<const QueueModel*>(m_list->model());
    if (!queue || row < 0 || row >= queue->count())
        return;
    auto* menu = new QMenu(m_list);
    menu->setObjectName(QStringLiteral("RowMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const bool converting = m_handlers.converting(row);
    const bool busy = m_handlers.busy();
    for (const RowAction action : {RowAction::Stop, RowAction::TryAgain, RowAction::Remove, RowAction::OpenFolder}) {
        QAction* item = menu->addAction(ActionText(action));
        item->setEnabled(QueueListRules::Offers(action, queue->state(row), converting, busy));
        connect(item, &QAction::triggered, this, [this, action, row] { m_handlers.act(action, row); });
    }
    menu->popup(m_list->viewport()->mapToGlobal(at));
}
