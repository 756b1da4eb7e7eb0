#include "queue/QueueActions.h"

#include "model/MainState.h"
#include "platform/Error.h"
#include "platform/Folders.h"
#include "platform/Prompt.h"
#include "platform/SettingsStore.h"
#include "queue/DurationProbe.h"
#include "queue/FindFile.h"
#include "queue/ParallelProbe.h"
#include "model/QueueModel.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <QUrl>

namespace {

void OpenWithDefault(const QString& path)
{
    // Like the shell's "open": the result is not looked at.
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace

const QString QueueActions::BadFileText =
    QStringLiteral("Cannot process this file! Bad file header! Please use different file.");

QString QueueActions::BadFolderFileText(const QString& path)
{
    return QStringLiteral("Cannot process file ") + Folders::FileNamePart(path) +
           QStringLiteral(" Bad file header or bad characters in filename! Please use different file.");
}

QueueActions::QueueActions(MainState& state, QueueModel& queue, TFindFile& finder, QObject* parent)
    : QObject(parent), m_state(state), m_queue(queue), m_finder(finder)
{
    // Queued, so the action that probed has returned before held paths go on.
    connect(this, &QueueActions::addingEnded, this, &QueueActions::drainIncoming, Qt::QueuedConnection);
}

void QueueActions::AppendMeasured(QueueModel& queue, const QString& path, const QString& answer)
{
    const qint64 milliseconds = TimeTextToMilliseconds(answer);
    queue.append(path, QString::number(milliseconds / 1000 + 1), milliseconds);
}

void QueueActions::append(const QString& path, const QString& answer)
{
    AppendMeasured(m_queue, path, answer);
}

namespace {

// Clears the adding mark when a probe ends, however it ends, and says so.
class AddingScope
{
public:
    AddingScope(bool& adding, QueueActions& actions) : m_adding(adding), m_actions(actions) { m_adding = true; }
    ~AddingScope()
    {
        m_adding = false;
        emit m_actions.addingEnded();
    }
    AddingScope(const AddingScope&) = delete;
    AddingScope& operator=(const AddingScope&) = delete;

private:
    bool& m_adding;
    QueueActions& m_actions;
};

} // namespace

void QueueActions::AddFlvFile(const QString& path)
{
    if (m_state.Busy || m_adding || path.isEmpty())
        return;
    addFile(path);
}

void QueueActions::addFile(const QString& path)
{
    const AddingScope adding(m_adding, *this);
    const auto answer = DurationProbe(m_state.TempDir, m_state.MediaInfoExe).ProbeDuration(path);
    if (!answer) {
        Prompt::message(BadFileText);
        return;
    }
    emit fileChosen(path);
    append(path, *answer);
}

void QueueActions::AddFolder(const QString& folder)
{
    if (m_state.Busy || m_adding || folder.isEmpty())
        return;
    addFolder(folder);
}

void QueueActions::addFolder(const QString& folder)
{
    const AddingScope adding(m_adding, *this);
    m_state.LastFolder = folder;
    emit folderChosen(folder);

    // A folder gone since it was picked would otherwise look like one without files.
    if (!QDir(folder).isReadable()) {
        Prompt::message(QStringLiteral("Cannot open folder %1! It no longer exists or cannot be read.").arg(folder));
        return;
    }

    m_finder.Files.clear();
    m_finder.Directory = folder;
    m_finder.Execute();

    const DurationProbe probe(m_state.TempDir, m_state.MediaInfoExe);
    const QStringList found = m_finder.Files;
    if (m_state.jobs() == 1 || found.size() < 2) {
        for (const QString& path : found) {
            const auto answer = probe.ProbeDuration(path);
            if (!answer) {
                Prompt::message(BadFolderFileText(path));
                return;
            }
            append(path, *answer);
        }
        return;
    }
    // Side by side, yet taken in the folder's order: the same rows, the same
    // message and the same stop as one file at a time.
    ParallelProbe probes(probe, found, m_state.jobs());
    for (int i = 0; i < found.size(); ++i) {
        const auto answer = probes.Take(i);
        if (!answer) {
            probes.Stop();
            Prompt::message(BadFolderFileText(found.at(i)));
            return;
        }
        append(found.at(i), *answer);
    }
}

void QueueActions::QueueIncoming(const QStringList& paths)
{
    m_incoming += paths;
    drainIncoming();
}

void QueueActions::drainIncoming()
{
    // A probe running (its wait lets this be called) or a drain further up the
    // stack takes these paths when it gets to them.
    if (m_adding || m_draining)
        return;
    const QScopedValueRollback<bool> draining(m_draining, true);
    while (!m_incoming.isEmpty()) {
        const QString path = m_incoming.takeFirst();
        if (path.isEmpty())
            continue;
        RunGuarded([&] {
            if (QFileInfo(path).isDir())
                addFolder(path);
            else
                addFile(path);
        });
    }
}

void QueueActions::SetOutputFolder(const QString& folder)
{
    if (m_state.Busy || folder.isEmpty())
        return;
    // The folder is used for this session even when it cannot be kept.
    try {
        SettingsStore store;
        store.writeString(SettingsStore::WorkDirKey, folder);
    } catch (const std::exception& e) {
        if (!m_state.SettingsTroubleTold) {
            m_state.SettingsTroubleTold = true;
            const auto* error = dynamic_cast<const VantrelError*>(&e);
            Prompt::message(
                SettingsStore::NotRememberedText(error ? error->text() : QString::fromLocal8Bit(e.what())));
        }
    }
    emit outputFolderStored(folder);
    m_state.WorkDir = folder;
}

void QueueActions::KeyDown(int key, int row)
{
    if (m_state.Busy || row < 0 || row >= m_queue.count())
        return;
    if (key != Qt::Key_Delete)
        return;
    m_queue.remove(row);
}

QueueClick QueueActions::HitTest(int x, const std::array<int, 4>& w, RowState state)
{
    const int beforeDelete = w[0] + w[1] + w[2] + w[3];
    const int beforeConverted = w[0] + w[1] + w[2];
    if (x > beforeDelete && state == RowState::Pending)
        return QueueClick::RemoveRow;
    if (x > beforeConverted && x < beforeDelete && state == RowState::Done)
        return QueueClick::OpenOutputFolder;
    if (x > w[0] && x < w[0] + w[1])
        return QueueClick::OpenSource;
    return QueueClick::Nothing;
}

void QueueActions::Click(int row, int x, const std::array<int, 4>& widths)
{
    if (m_state.Busy || row < 0 || row >= m_queue.count())
        return;
    switch (HitTest(x, widths, m_queue.state(row))) {
    case QueueClick::RemoveRow:
        m_queue.remove(row);
        break;
    case QueueClick::OpenOutputFolder:
        OpenOutputFolder(row);
        break;
    case QueueClick::OpenSource:
        OpenWithDefault(m_queue.path(row));
        break;
    case QueueClick::Nothing:
        break;
    }
}

void QueueActions::OpenOutputFolder(int row)
{
    if (row < 0 || row >= m_queue.count() || m_queue.state(row) != RowState::Done)
        return;
    // Where the file was written, though the output folder may have changed since.
    const QString written = Folders::FolderPart(m_queue.output(row));
    const QString& work = written.isEmpty() ? m_state.WorkDir : written;
    OpenWithDefault(Folders::TrimControls(work.endsWith(QLatin1Char('/')) ? work : work + QLatin1Char('/')));
}

void QueueActions::Remove(int row)
{
    if (row < 0 || row >= m_queue.count() || !Offers(RowAction::Remove, m_queue.state(row), false, m_state.Busy))
        return;
    m_queue.remove(row);
}

void QueueActions::TryAgain(int row)
{
    m_queue.requeue(row);
}

bool QueueActions::Offers(RowAction action, RowState state, bool converting, bool busy)
{
    switch (action) {
    case RowAction::Stop:
        return converting;
    case RowAction::TryAgain:
        return state == RowState::Failed;
    case RowAction::Remove:
        return !busy && state != RowState::Converting;
    case RowAction::OpenFolder:
        return state == RowState::Done;
    }
    return false;
}
