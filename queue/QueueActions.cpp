#include "queue/QueueActions.h"

#include "model/Settings.h"
#include "model/Tools.h"
#include "platform/Error.h"
#include "platform/NativePath.h"
#include "platform/SettingsStore.h"
#include "platform/SourceFile.h"
#include "queue/DurationProbe.h"
#include "queue/FindFile.h"
#include "queue/ParallelProbe.h"
#include "model/QueueModel.h"

#include <QCoreApplication>
#include <algorithm>
#include <utility>
#include <unistd.h>

QueueActions::QueueActions(Settings& settings, const Tools& tools, QueueModel& queue, TFindFile& finder,
                           QObject* parent)
    : QObject(parent), m_settings(settings), m_tools(tools), m_queue(queue), m_finder(finder)
{ }

quint64 QueueActions::AppendMeasured(QueueModel& queue, const QString& path, const QString& answer,
                                     const FlvTimeline& timeline)
{
    const qint64 milliseconds = timeline.playingMs(TimeTextToMilliseconds(answer));
    return queue.append(path, milliseconds / 1000 + 1, milliseconds, timeline.cutOffWarning(milliseconds),
                        timeline.framePixels);
}

QString QueueActions::WhyNotMeasurable(const QString& path)
{
    try {
        const SourceFile readable(path);
    } catch (const ESystemError& e) {
        return e.text();
    }
    return {};
}

QString QueueActions::NoPlayingTimeText()
{
    return QCoreApplication::translate("QueueActions",
                                       "mediainfo finds no playing time in it: it is empty, damaged or not a video");
}

QString QueueActions::NoFlvFileText()
{
    return QCoreApplication::translate("QueueActions", "there is no FLV file in this folder");
}

void QueueActions::AddFlvFile(const QString& path)
{
    if (busy() || path.isEmpty())
        return;
    m_waiting.append({{path, Kind::File}});
    startNext();
}

void QueueActions::AddFolder(const QString& folder)
{
    if (busy() || folder.isEmpty())
        return;
    m_waiting.append({{folder, Kind::Folder}});
    startNext();
}

void QueueActions::QueueIncoming(const QStringList& paths)
{
    QList<Named> add;
    for (const QString& path : paths) {
        if (!path.isEmpty())
            add.append({path, Kind::Given});
    }
    if (!add.isEmpty())
        m_waiting.append(add);
    startNext();
    if (!add.isEmpty() && !m_waiting.isEmpty())
        emit waitingAdded();
}

void QueueActions::startNext()
{
    // One add measured at a time, so rows and outcomes keep the order the adds came in.
    while (!m_probe && m_expanding.isEmpty() && !m_waiting.isEmpty()) {
        m_entries.clear();
        m_entryOfProbe.clear();
        m_nextToAccount = 0;
        m_expanding = m_waiting.takeFirst();
        m_expandAt = 0;
        ++m_generation;
        if (!expandSome())
            return;
        measureEntries();
    }
    if (m_probe || !m_expanding.isEmpty())
        return;
    m_entries.clear();
    emit measuringChanged(0, 0);
    if (!m_notQueued.isEmpty())
        emit addsEnded(std::exchange(m_notQueued, {}));
}

bool QueueActions::expandSome()
{
    // Each path costs a look at the filesystem or two: some thousands a turn.
    constexpr qsizetype Slice = 2000;
    const qsizetype end = std::min(m_expanding.size(), m_expandAt + Slice);
    for (; m_expandAt < end; ++m_expandAt)
        expand(m_expanding.at(m_expandAt));
    if (m_expandAt == m_expanding.size()) {
        m_expanding.clear();
        return true;
    }
    emit measuringChanged(0, int(m_entries.size()));
    QMetaObject::invokeMethod(
        this,
        [this, generation = m_generation] {
            if (generation != m_generation || !expandSome())
                return;
            measureEntries();
            startNext();
        },
        Qt::QueuedConnection);
    return false;
}

void QueueActions::measureEntries()
{
    QStringList files;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].measured) {
            files << m_entries[i].outcome.path;
            m_entryOfProbe.push_back(i);
        }
    }
    if (!files.isEmpty()) {
        m_probe = new ParallelProbe(DurationProbe::For(m_tools), files, m_settings.jobs(), this);
        connect(m_probe, &ParallelProbe::answered, this, &QueueActions::answered);
        connect(m_probe, &ParallelProbe::finished, this, [this] {
            endMeasuring();
            startNext();
        });
        emit measuringChanged(0, int(files.size()));
        m_probe->Start();
    }
    // What needs no answer is told at once, up to the first file measured.
    account();
}

void QueueActions::expand(const Named& named)
{
    if (named.kind == Kind::Folder || (named.kind == Kind::Given && NativePath::IsFolder(named.path)))
        expandFolder(named.path);
    else
        enter(named.path, named.kind == Kind::File);
}

void QueueActions::expandFolder(const QString& folder)
{
    m_settings.LastFolder = folder;
    emit folderChosen(folder);

    Entry entry;
    entry.outcome.path = folder;
    entry.outcome.folder = true;
    // A folder gone since it was picked would otherwise look like one without files.
    if (::access(NativePath::Encode(folder).constData(), R_OK | X_OK) != 0) {
        entry.outcome.reason = QCoreApplication::translate("QueueActions", "the folder cannot be read");
        m_entries.push_back(entry);
        return;
    }
    m_finder.Files.clear();
    m_finder.Directory = folder;
    m_finder.Execute();
    if (m_finder.Files.isEmpty()) {
        entry.outcome.reason = NoFlvFileText();
        m_entries.push_back(entry);
        return;
    }
    for (const QString& file : std::as_const(m_finder.Files))
        enter(file, false);
}

void QueueActions::enter(const QString& path, bool chosen)
{
    if (m_eachFileOnce) {
        const QString canonical = NativePath::Canonical(path);
        const QString key = canonical.isEmpty() ? path : canonical;
        if (m_named.contains(key))
            return;
        m_named.insert(key);
    }
    Entry entry;
    entry.outcome.path = path;
    entry.outcome.reason = WhyNotMeasurable(path);
    entry.measured = entry.outcome.reason.isEmpty();
    entry.chosen = chosen;
    m_entries.push_back(entry);
}

void QueueActions::answered(int index, const ProbeOutcome& outcome)
{
    Entry& entry = m_entries.at(m_entryOfProbe.at(static_cast<size_t>(index)));
    const QString& path = entry.outcome.path;
    entry.answered = true;
    try {
        const auto answer = outcome.get();
        if (!answer || answer->trimmed().isEmpty()) {
            // Gone or changed since it was listed: that is the reason, not its content.
            const QString why = WhyNotMeasurable(path);
            entry.outcome.reason = why.isEmpty() ? NoPlayingTimeText() : why;
        } else {
            entry.outcome.id = AppendMeasured(m_queue, path, *answer, outcome.timeline);
            if (entry.chosen)
                emit fileChosen(path);
        }
    } catch (const VantrelError& e) {
        entry.outcome.reason = e.text();
    } catch (const std::exception& e) {
        entry.outcome.reason = QString::fromLocal8Bit(e.what());
    }
    account();
    if (m_probe)
        emit measuringChanged(m_probe->reported(), m_probe->count());
}

void QueueActions::account()
{
    while (m_nextToAccount < m_entries.size()) {
        const Entry& entry = m_entries[m_nextToAccount];
        if (entry.measured && !entry.answered)
            return;
        ++m_nextToAccount;
        const AddOutcome outcome = entry.outcome;
        if (!outcome.queued() && !(outcome.folder && outcome.reason == NoFlvFileText()))
            m_notQueued.append(outcome);
        emit accounted(outcome);
    }
}

QStringList QueueActions::unaccounted() const
{
    QStringList files;
    for (size_t i = m_nextToAccount; i < m_entries.size(); ++i) {
        if (!m_entries[i].outcome.folder)
            files << m_entries[i].outcome.path;
    }
    // Paths not looked at yet stand for their files, as do those of the adds waiting.
    for (qsizetype i = m_expandAt; i < m_expanding.size(); ++i)
        files << m_expanding.at(i).path;
    for (const QList<Named>& add : m_waiting) {
        for (const Named& named : add)
            files << named.path;
    }
    return files;
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
    m_expanding.clear();
    ++m_generation;
    endMeasuring();
    m_entries.clear();
    m_nextToAccount = 0;
    m_notQueued.clear();
    emit measuringChanged(0, 0);
}

QString QueueActions::SetOutputFolder(const QString& folder)
{
    if (busy() || folder.isEmpty())
        return {};
    QString told;
    // The folder is used for this session even when it cannot be kept.
    try {
        SettingsStore store;
        store.writeString(SettingsStore::WorkDirKey, folder);
    } catch (const std::exception& e) {
        if (!m_settings.TroubleTold) {
            m_settings.TroubleTold = true;
            const auto* error = dynamic_cast<const VantrelError*>(&e);
            told = SettingsStore::NotRememberedText(error ? error->text() : QString::fromLocal8Bit(e.what()));
        }
    }
    emit outputFolderStored(folder);
    m_settings.WorkDir = folder;
    return told;
}
