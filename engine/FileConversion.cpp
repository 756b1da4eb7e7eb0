#include "engine/FileConversion.h"

#include "engine/FfmpegProcess.h"
#include "engine/OutputCheck.h"
#include "engine/ProgressMonitor.h"
#include "model/QueueModel.h"
#include "platform/Folders.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

FileConversion::FileConversion(QueueModel& queue, int row, const QString& target, const FileIdentity& before,
                               QObject* parent)
    : QObject(parent), m_queue(queue), m_id(queue.id(row)), m_seconds(queue.seconds(row)), m_source(queue.path(row)),
      m_target(target), m_before(before)
{
    // Opened once, here: whatever takes its name later is never read.
    m_input = std::make_unique<SourceFile>(m_source);
    m_output = UnfinishedFile::Create(Folders::FolderPart(target));
    m_partial = m_output->readablePath();
    m_sourceForChild = m_input->childPath();
    m_outputForChild = m_output->childPath();
}

FileConversion::~FileConversion()
{
    Release();
}

int FileConversion::row() const
{
    return m_queue.rowOf(m_id);
}

void FileConversion::StartTimer(const TNotifyEvent& tick)
{
    m_timer = new TAdvancedTimer(this);
    m_timer->setBuddy(m_partial);
    m_timer->setInterval(500);
    m_timer->setEnabled(true);
    m_timer->setOnTimer(tick);
}

void FileConversion::ShowProgress(const ProgressMonitor& progress)
{
    const std::optional<int> percent = progress.Percent(m_seconds);
    const int at = row();
    if (!percent || *percent == m_shown || at < 0)
        return;
    m_shown = *percent;
    m_queue.setState(at, RowState::Converting, *percent);
}

QString FileConversion::Check(const FfmpegEnd& end)
{
    if (m_timer)
        m_timer->Release();
    if (!end.succeeded()) {
        // A start that failed or a hang has its whole reason in the text; else ffmpeg's last lines follow.
        const bool withTail = !end.couldNotStart() && end.kind != FfmpegEnd::Kind::Hung;
        return Named(FfmpegReport::Detail(end.failure, withTail ? end.errorTail : QString()));
    }
    const QString folder = Folders::FolderPart(m_target);
    if (!FileIdentity::Reached(folder).folder)
        return QCoreApplication::translate("FileConversion", "The output folder %1 no longer exists").arg(folder);
    if (const QFileInfo written(m_partial); !written.isFile() || written.size() == 0)
        return QCoreApplication::translate("FileConversion", "ffmpeg wrote no output file");
    auto* check = new OutputCheck(this);
    m_check = check;
    connect(check, &OutputCheck::judged, this, [this, check](const OutputCheck::Result& result) {
        check->deleteLater();
        emit judged(result.verdict == OutputCheck::Verdict::Refused ? ConversionOutcome::Failed(result.text)
                                                                    : ConversionOutcome::Done(result.text));
    });
    const int at = row();
    check->start(m_partial, at >= 0 ? m_queue.milliseconds(at) : -1);
    return {};
}

QString FileConversion::Named(QString text) const
{
    // ffmpeg knows the source and the output only by the descriptors it was given.
    const auto named = [](const QString& descriptor) {
        return QRegularExpression(QRegularExpression::escape(descriptor) + QStringLiteral("(?!\\d)"));
    };
    return text.replace(named(m_sourceForChild), m_source).replace(named(m_outputForChild), m_target);
}

void FileConversion::Release()
{
    if (m_check) {
        m_check->disconnect(this);
        m_check->stop();
        m_check->deleteLater();
    }
    m_output.reset();
    if (m_timer)
        m_timer->Release();
}
