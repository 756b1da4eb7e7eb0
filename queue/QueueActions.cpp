#include "queue/QueueActions.h"

#include "model/Settings.h"
#include "model/Tools.h"
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
#include <QUrl>

#include <utility>

namespace {

void OpenWithDefault(const QString& path)
{
    // Like the shell's "open": the result is not looked at.
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace

const QString QueueActions::BadFileText
    = QStringLiteral("Cannot process this file! Bad file header! Please use different file.");

QString QueueActions::BadFolderFileText(const QString& path)
{
    return QStringLiteral("Cannot process file ") + Folders::FileNamePart(path)
           + QStringLiteral(" Bad file header or bad characters in filename! Please use different file.");
}

QueueActions::QueueActions(Settings& settings, const Tools& tools, QueueModel& queue, TFindFile& finder,
                           QObject* parent)
    : QObject(parent), m_settings(settings), m_tools(tools), m_queue(queue), m_finder(finder)
{ }

void QueueActions::AppendMeasured(QueueModel& queue, const QString& path, const QString& answer)
{
    const qint64 milliseconds = TimeTextToMilliseconds(answer);
    queue.append(path, milliseconds / 1000 + 1, milliseconds);
}

void QueueActions::append(const QString& path, const QString& answer)
{
    AppendMeasured(m_queue, path, answer);
}

void QueueActions::AddFlvFile(const QString& path)
{
    if (busy() || path.isEmpty())
        return;
    m_waiting.append({path, Kind::File});
    startNext();
}

void QueueActions::AddFolder(const QString& folder)
{
    if (busy() || folder.isEmpty())
        return;
    m_waiting.append({folder, Kind::Folder});
    startNext();
}

void QueueActions::QueueIncoming(const QStringList& paths)
{
    for (const QString& path : paths)
        m_waiting.append({path, Kind::Given});
    startNext();
}

void QueueActions::startNext()
{
    // One add measured at a time, so rows and messages keep the order the adds came in.
    while (!m_probe && !m_waiting.isEmpty()) {
        const Add add = m_waiting.takeFirst();
        if (add.path.isEmpty())
            continue;
        RunGuarded([&] {
            if (add.kind == Kind::Folder || (add.kind == Kind::Given && QFileInfo(add.path).isDir()))
                startFolder(add.path);
            else
                startFile(add.path);
        });
    }
    if (!m_probe)
        emit measuringChanged(0, 0);
}

void QueueActions::startFile(const QString& path)
{
    m_measuringFolder = false;
    measure({path}, 1);
}

void QueueActions::startFolder(const QString& folder)
{
    m_settings.LastFolder = folder;
    emit folderChosen(folder);

    // A folder gone since it was picked would otherwise look like one without files.
    if (!QDir(folder).isReadable()) {
        Prompt::message(QStringLiteral("Cannot open folder %1! It no longer exists or cannot be read.").arg(folder));
        return;
    }

    m_finder.Files.clear();
    m_finder.Directory = folder;
    m_finder.Execute();
    if (m_finder.Files.isEmpty())
        return;
    m_measuringFolder = true;
    // Side by side, yet reported in the folder's order: the same rows, the
    // same message and the same stop as one file at a time.
    measure(m_finder.Files, m_settings.jobs());
}

void QueueActions::measure(const QStringList& files, int jobs)
{
    m_measured = files;
    m_probe = new ParallelProbe(DurationProbe::For(m_tools), files, jobs, ParallelProbe::Rule::StopAtFirstWithoutAnswer,
                                this);
    connect(m_probe, &ParallelProbe::answered, this, &QueueActions::answered);
    connect(m_probe, &ParallelProbe::finished, this, [this] {
        endMeasuring();
        startNext();
    });
    emit measuringChanged(0, int(files.size()));
    m_probe->Start();
}

void QueueActions::answered(int index, const ProbeOutcome& outcome)
{
    const QString path = m_measured.at(index);
    RunGuarded([&] {
        // Whatever ends the add ends its measuring before anything is shown.
        try {
            const auto answer = outcome.get();
            if (!answer) {
                endMeasuring();
                Prompt::message(m_measuringFolder ? BadFolderFileText(path) : BadFileText);
                return;
            }
            if (!m_measuringFolder)
                emit fileChosen(path);
            append(path, *answer);
        } catch (...) {
            endMeasuring();
            throw;
        }
    });
    if (m_probe)
        emit measuringChanged(m_probe->reported(), m_probe->count());
    else
        startNext();
}

void QueueActions::endMeasuring()
{
    if (!m_probe)
        return;
    std::exchange(m_probe, nullptr)->Release(this);
}

void QueueActions::StopMeasuring()
{
    m_waiting.clear();
    endMeasuring();
    emit measuringChanged(0, 0);
}

void QueueActions::SetOutputFolder(const QString& folder)
{
    if (busy() || folder.isEmpty())
        return;
    // The folder is used for this session even when it cannot be kept.
    try {
        SettingsStore store;
        store.writeString(SettingsStore::WorkDirKey, folder);
    } catch (const std::exception& e) {
        if (!m_settings.TroubleTold) {
            m_settings.TroubleTold = true;
            const auto* error = dynamic_cast<const VantrelError*>(&e);
            Prompt::message(SettingsStore::NotRememberedText(error ? error->text() : QString::fromLocal8Bit(e.what())));
        }
    }
    emit outputFolderStored(folder);
    m_settings.WorkDir = folder;
}

void QueueActions::KeyDown(int key, int row)
{
    if (busy() || row < 0 || row >= m_queue.count())
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
    if (busy() || row < 0 || row >= m_queue.count())
        return;
    switch (HitTest(x, widths, m_queue.state(row))) {
    case QueueClick::RemoveRow: m_queue.remove(row); break;
    case QueueClick::OpenOutputFolder: OpenOutputFolder(row); break;
    case QueueClick::OpenSource: OpenWithDefault(m_queue.path(row)); break;
    case QueueClick::Nothing: break;
    }
}

void QueueActions::OpenOutputFolder(int row)
{
    if (row < 0 || row >= m_queue.count() || m_queue.state(row) != RowState::Done)
        return;
    // Where the file was written, though the output folder may have changed since.
    const QString written = Folders::FolderPart(m_queue.output(row));
    const QString& work = written.isEmpty() ? m_settings.WorkDir : written;
    OpenWithDefault(Folders::TrimControls(work.endsWith(QLatin1Char('/')) ? work : work + QLatin1Char('/')));
}

void QueueActions::Remove(int row)
{
    if (row < 0 || row >= m_queue.count() || !Offers(RowAction::Remove, m_queue.state(row), false, busy()))
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
    case RowAction::Stop: return converting;
    case RowAction::TryAgain: return state == RowState::Failed;
    case RowAction::Remove: return !busy && state != RowState::Converting;
    case RowAction::OpenFolder: return state == RowState::Done;
    }
    return false;
}
