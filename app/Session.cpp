#include "app/Session.h"

#include "app/StartUp.h"
#include "platform/Error.h"
#include "queue/DurationProbe.h"
#include "queue/ParallelProbe.h"

Session::Session(QObject* parent)
    : QObject(parent), m_queue(this), m_finder(this), m_actions(m_settings, m_tools, m_queue, m_finder, this),
      m_run(m_settings, m_tools, m_queue, this)
{
    m_finder.Filter = QStringLiteral("*.flv");
    m_finder.Recurse = false;
    m_actions.setBusyCheck([this] { return busy(); });
    connect(&m_actions, &QueueActions::measuringChanged, this, &Session::TellRunOfMeasuring);
}

Session::~Session()
{
    // As a child, it goes while its owner is half destroyed: the end is told to no one.
    m_actions.disconnect();
    m_run.disconnect();
    End();
}

QString Session::StartWithSettings()
{
    return StartUp::Run(m_settings, m_tools);
}

void Session::StartWithoutStoring(int jobs)
{
    StartUp::UsePrivateTempFolder(m_tools);
    StartUp::FindTools(m_tools);
    m_settings.Jobs = jobs > 0 ? jobs : StartUp::StoredJobs();
}

bool Session::measuring() const
{
    return m_actions.isAdding() || m_each;
}

void Session::TellRunOfMeasuring()
{
    m_run.setMoreRowsComing(measuring());
}

void Session::MeasureEach(const QStringList& files)
{
    EndEachMeasuring();
    if (files.isEmpty()) {
        emit eachMeasuringEnded();
        return;
    }
    m_each = new ParallelProbe(DurationProbe::For(m_tools), files, m_settings.jobs(), ParallelProbe::Rule::MeasureEvery,
                               this);
    connect(m_each, &ParallelProbe::answered, this, &Session::Measured);
    connect(m_each, &ParallelProbe::finished, this, [this] {
        EndEachMeasuring();
        TellRunOfMeasuring();
        emit eachMeasuringEnded();
    });
    TellRunOfMeasuring();
    m_each->Start();
}

void Session::Measured(int index, const ProbeOutcome& outcome)
{
    int row = -1;
    QString reason;
    try {
        const auto answer = outcome.get();
        if (!answer || answer->trimmed().isEmpty()) {
            reason = QStringLiteral("mediainfo finds no playing time in it: it is empty, damaged or not a video");
        } else {
            row = m_queue.count();
            QueueActions::AppendMeasured(m_queue, m_each->source(index), *answer);
        }
    } catch (const VantrelError& e) {
        row = -1;
        reason = e.text();
    } catch (const std::exception& e) {
        row = -1;
        reason = QString::fromLocal8Bit(e.what());
    }
    emit eachMeasured(index, row, reason);
}

void Session::EndEachMeasuring()
{
    if (!m_each)
        return;
    m_each->Release(this);
    m_each = nullptr;
}

void Session::End()
{
    // The run first: the end of measuring would otherwise start the rows waiting.
    m_run.Abort();
    m_actions.StopMeasuring();
    EndEachMeasuring();
    m_run.setMoreRowsComing(false);
}
