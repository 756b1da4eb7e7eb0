#include "app/Main.h"

#include "app/AddReport.h"
#include "app/KeptQueueOffer.h"
#include "core/QueueKeeper.h"
#include "platform/Error.h"
#include "platform/Prompt.h"
#include "queue/BrowseForFolderU.h"
#include "queue/FindFile.h"
#include "queue/QueueActions.h"
#include "app/QueueCellDelegate.h"
#include "app/QueueListRules.h"
#include "app/instance/MainInstance.h"
#include "model/QueueModel.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTreeView>

#include <algorithm>
#include <array>
#include <functional>
#include <utility>

namespace {

QString FolderCaption()
{
    return QCoreApplication::translate("MainQueue", "Select Output Folder");
}

// No row selected and none current, so neither the Delete key nor a click
// reaches a row the user did not choose.
void ClearSelection(QTreeView* list)
{
    list->selectionModel()->clearSelection();
    list->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

// Routes the list's key presses and clicks to the window's handlers.
class QueueListInput : public QObject
{
public:
    QueueListInput(QTreeView* list, std::function<void(int)> keyDown, std::function<void(int)> click)
        : QObject(list), m_list(list), m_viewport(list->viewport()), m_keyDown(std::move(keyDown)),
          m_click(std::move(click))
    {
        list->installEventFilter(this);
        m_viewport->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_list && event->type() == QEvent::KeyPress) {
            m_keyDown(static_cast<QKeyEvent*>(event)->key());
            return false;
        }
        // Events still come while the list is destroyed, when it is a list no more.
        if (watched != m_viewport)
            return false;
        if (event->type() == QEvent::MouseButtonDblClick) {
            // A double click is one click: its second release must not remove
            // the row that moved up into the place of the first.
            m_skipRelease = true;
        } else if (event->type() == QEvent::MouseButtonRelease && !m_inRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const QPoint at = mouse->position().toPoint();
            if (std::exchange(m_skipRelease, false))
                return false;
            if (mouse->button() != Qt::LeftButton || !m_viewport->rect().contains(at))
                return false;
            // Below every row the view keeps the old selection on the press,
            // and the click would act on a row the user did not point at.
            // Right of the last column, within a row, the press left it as it was.
            const int firstColumnX = m_list->header()->sectionViewportPosition(0);
            if (!m_list->indexAt(QPoint(firstColumnX, at.y())).isValid())
                ClearSelection(m_list);
            const int rowsBefore = m_list->model()->rowCount();
            m_click(at.x() + m_list->header()->offset());
            if (m_list->model()->rowCount() == rowsBefore)
                return false;
            // On a row that was already selected the view moves the selection
            // on the release, which would select the row that moved up into
            // the removed one's place: it finishes first, then nothing is selected.
            {
                const QScopedValueRollback<bool> inRelease(m_inRelease, true);
                QCoreApplication::sendEvent(watched, event);
            }
            ClearSelection(m_list);
            return true;
        }
        return false;
    }

private:
    QTreeView* m_list;
    QWidget* m_viewport;
    std::function<void(int)> m_keyDown;
    std::function<void(int)> m_click;
    bool m_skipRelease = false;
    bool m_inRelease = false;
};

} // namespace

void TfrmMain::BindQueueHandlers()
{
    FindFile1 = &m_session->finder();
    FindFile1->setObjectName(QStringLiteral("FindFile1"));

    m_queueActions = &m_session->actions();
    m_listRules
        = std::make_unique<QueueListRules>(m_session->settings(), *m_queue, [this] { return m_session->busy(); });
    connect(m_queueActions, &QueueActions::fileChosen, Edit1, &QLineEdit::setText);
    connect(m_queueActions, &QueueActions::folderChosen, Edit2, &QLineEdit::setText);
    connect(m_queueActions, &QueueActions::measuringChanged, this, &TfrmMain::ShowMeasuring);
    // After the add's last answer has been handled, never inside a probe's end.
    connect(
        m_queueActions, &QueueActions::addsEnded, this,
        [](const QList<AddOutcome>& notQueued) {
            const AddReport report = AddReport::Of(notQueued);
            Prompt::message(report.text, report.details);
        },
        Qt::QueuedConnection);
    connect(m_queueActions, &QueueActions::outputFolderStored, this, [this](const QString& folder) {
        Edit4->setText(folder);
        Edit3->setText(Edit4->text());
    });

    m_keeper = new QueueKeeper(*m_queue, *m_queueActions, this);
    connect(
        m_keeper, &QueueKeeper::trouble, this, [](const QString& text) { Prompt::message(text); },
        Qt::QueuedConnection);

    // A later copy's files and folders, as if given on this copy's command line.
    connect(MainInstance1, &TMainInstance::pathsForwarded, this, &TfrmMain::OpenPaths);

    connect(Button1, &QPushButton::clicked, this, &TfrmMain::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TfrmMain::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TfrmMain::Button3Click);

    // The path boxes only display: typed characters, backspace and paste are all discarded.
    for (QLineEdit* edit : {Edit1, Edit2, Edit3})
        edit->setReadOnly(true);

    ListView1->setItemDelegate(new QueueCellDelegate(ListView1));
    // The view would select the removed row's neighbour, and the next Delete
    // would remove a file the user never chose.
    connect(m_queue, &QAbstractItemModel::rowsRemoved, ListView1, [this] { ClearSelection(ListView1); });
    new QueueListInput(
        ListView1, [this](int key) { ListView1KeyDown(key); }, [this](int x) { ListView1Click(x); });
}

void TfrmMain::Button1Click()
{
    RunGuarded([this] {
        if (m_session->busy())
            return;
        const QString path
            = Prompt::openFile(QCoreApplication::translate("MainQueue", "FLV Files (*.flv)"), QStringLiteral("flv"));
        if (!path.isEmpty())
            AddFlvFile(path);
    });
}

void TfrmMain::Button2Click()
{
    RunGuarded([this] {
        if (m_session->busy())
            return;
        const QString folder = BrowseForFolder(FolderCaption(), m_session->settings().LastFolder, false);
        if (!folder.isEmpty())
            AddFolder(folder);
    });
}

void TfrmMain::Button3Click()
{
    RunGuarded([this] {
        if (m_session->busy())
            return;
        const QString folder = BrowseForFolder(FolderCaption(), m_session->settings().LastFolder, false);
        if (const QString told = m_queueActions->SetOutputFolder(folder); !told.isEmpty())
            Prompt::message(told);
    });
}

void TfrmMain::AddFlvFile(const QString& path)
{
    RunGuarded([&] { m_queueActions->AddFlvFile(path); });
}

void TfrmMain::OpenPaths(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    // Never inside the caller: a later copy's message is answered first, and
    // the command line's paths wait until the window runs.
    QMetaObject::invokeMethod(
        this,
        [this, paths] {
            if (m_offering)
                m_heldBack << paths;
            else
                m_queueActions->QueueIncoming(paths);
        },
        Qt::QueuedConnection);
}

void TfrmMain::OfferKeptQueue()
{
    {
        const QScopedValueRollback<bool> offering(m_offering, true);
        RunGuarded([this] { KeptQueueOffer::Make(*m_keeper, *m_queueActions, *m_queue); });
    }
    m_queueActions->QueueIncoming(std::exchange(m_heldBack, {}));
}

void TfrmMain::ShowMeasuring(int measured, int total)
{
    m_measuringText = total > 0 ? QCoreApplication::translate("MainQueue", "Measuring %1 of %2…")
                                      .arg(std::min(measured + 1, total))
                                      .arg(total)
                                : QString();
    ShowActivity();
}

void TfrmMain::ShowActivity()
{
    const QString left = m_session->timeLeft().text();
    QString text = QStringList{m_measuringText, left}.join(QStringLiteral("   ")).trimmed();
    // The line keeps its place: when both do not fit, the time left stands alone.
    if (MeasuringLine->fontMetrics().horizontalAdvance(text) > MeasuringLine->width() && !left.isEmpty())
        text = left;
    MeasuringLine->setVisible(!text.isEmpty());
    // Hidden, it says nothing, to a screen reader either.
    MeasuringLine->setText(text);
}

bool TfrmMain::AddingFiles() const
{
    return m_queueActions->isAdding();
}

void TfrmMain::AddFolder(const QString& folder)
{
    RunGuarded([&] { m_queueActions->AddFolder(folder); });
}

int TfrmMain::SelectedQueueRow() const
{
    const QModelIndexList rows = ListView1->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.constFirst().row();
}

void TfrmMain::ListView1KeyDown(int key)
{
    RunGuarded([&] { m_listRules->KeyDown(key, SelectedQueueRow()); });
}

void TfrmMain::ListView1Click(int x)
{
    RunGuarded([&] {
        std::array<int, 4> widths{};
        for (int c = 0; c < 4; ++c)
            widths[c] = ListView1->columnWidth(c);
        if (const QString told = m_listRules->Click(SelectedQueueRow(), x, widths); !told.isEmpty())
            Prompt::message(told);
    });
}
