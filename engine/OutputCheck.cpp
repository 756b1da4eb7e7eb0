#include "engine/OutputCheck.h"

#include "platform/ChildProcess.h"
#include "platform/ProcessLauncher.h"

#include <QStringList>

namespace {

// Shorter sources lose a noticeable share to the frame rate's rounding alone.
constexpr qint64 ShortestMeasuredMs = 2000;

QString Seconds(qint64 ms)
{
    return QString::number(static_cast<double>(ms) / 1000.0, 'f', 1) + QStringLiteral(" s");
}

OutputCheck::Result Refused(const QString& why)
{
    return {OutputCheck::Verdict::Refused, why};
}

} // namespace

OutputCheck::OutputCheck(QString mediaInfo, QObject* parent) : QObject(parent), m_mediaInfo(std::move(mediaInfo))
{ }

OutputCheck::~OutputCheck()
{
    stop();
}

QStringList OutputCheck::Arguments(const QString& file)
{
    return {QStringLiteral("--Inform=General;%Format%|%Duration%|%VideoCount%|%AudioCount%|%IsTruncated%"), file};
}

void OutputCheck::start(const QString& file, qint64 sourceMs)
{
    Q_ASSERT(!m_child);
    m_sourceMs = sourceMs;
    m_answer.clear();
    auto* child = new ChildProcess(this);
    m_child = child;
    connect(child, &ChildProcess::output, this, [this](const QByteArray& bytes) { m_answer += bytes; });
    // Queued, so that an end reported while starting comes after start() has returned.
    connect(child, &ChildProcess::done, this, &OutputCheck::ended, Qt::QueuedConnection);
    LaunchPlan plan;
    plan.program = m_mediaInfo;
    plan.arguments = Arguments(file);
    plan.readOutput = true;
    child->start(plan);
}

void OutputCheck::stop()
{
    if (!m_child)
        return;
    m_child->disconnect(this);
    m_child->kill(5000);
    m_child->deleteLater();
    m_child = nullptr;
}

void OutputCheck::ended(const ChildEnd& end)
{
    if (!m_child)
        return;
    m_child->disconnect(this);
    m_child->deleteLater();
    m_child = nullptr;
    if (end.kind == ChildEnd::Kind::FailedToStart
        && ClassifyStartFailure(end.startError, m_mediaInfo) == StartFailure::Shortage) {
        Result unread = Refused(QStringLiteral("The output could not be checked: mediainfo could not be started: ")
                                + ProcessLauncher::StartFailureReason(end.errorTail));
        unread.unread = true;
        emit judged(unread);
        return;
    }
    if (!end.succeeded()) {
        const QString why
            = !ProcessLauncher::ProgramExists(m_mediaInfo)
                  ? QStringLiteral("cannot find the program \"mediainfo\"; please install the package \"mediainfo\"")
              : end.kind == ChildEnd::Kind::FailedToStart
                  ? ProcessLauncher::CannotStartText(QStringLiteral("mediainfo"), m_mediaInfo, end.errorTail,
                                                     QStringLiteral("checks the converted files"))
                  : QStringLiteral("mediainfo could not read the output (exit code %1)").arg(end.exitCode);
        emit judged(Refused(QStringLiteral("The output could not be checked: ") + why));
        return;
    }
    emit judged(Judge(QString::fromUtf8(m_answer).section(QLatin1Char('\n'), 0, 0).trimmed(), m_sourceMs));
}

OutputCheck::Result OutputCheck::Judge(const QString& answer, qint64 sourceMs)
{
    const QStringList fields = answer.split(QLatin1Char('|'));
    const QString format = fields.value(0).trimmed();
    if (format.isEmpty())
        return Refused(QStringLiteral("The output is not an AVI file: mediainfo knows no format in it"));
    if (format != QLatin1String("AVI"))
        return Refused(QStringLiteral("The output is not an AVI file but %1").arg(format));
    if (fields.value(2).toInt() + fields.value(3).toInt() == 0)
        return Refused(QStringLiteral("The AVI holds no stream"));
    // A cut file keeps the header that claims its whole length.
    if (fields.value(4).trimmed() == QLatin1String("Yes"))
        return Refused(QStringLiteral("The AVI is cut off before the end its header gives"));
    if (sourceMs < ShortestMeasuredMs)
        return {Verdict::Good, {}};
    bool known = false;
    const qint64 playsMs = static_cast<qint64>(fields.value(1).toDouble(&known));
    if (!known)
        return Refused(QStringLiteral("The AVI has no playing time"));
    const QString plays
        = QStringLiteral("The AVI plays %1 of the source's %2").arg(Seconds(playsMs), Seconds(sourceMs));
    if (playsMs * 2 < sourceMs)
        return Refused(plays);
    if (playsMs * 10 < sourceMs * 9)
        return {Verdict::Short, plays};
    return {Verdict::Good, {}};
}
