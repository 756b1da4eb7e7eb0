#include "core/Session.h"

#include "core/StartUp.h"

Session::Session(QObject* parent)
    : QObject(parent), m_queue(this), m_finder(this), m_actions(m_settings, m_tools, m_queue, m_finder, this),
      m_run(m_settings, m_tools, m_queue, this), m_timeLeft(m_queue, m_run, this)
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

void Session::TellRunOfMeasuring(int measured, int total)
{
    m_run.setMoreRowsComing(measuring(), total - measured);
}

void Session::End()
{
    // The run first: the end of measuring would otherwise start the rows waiting.
    m_run.Abort();
    m_actions.StopMeasuring();
    m_run.setMoreRowsComing(false);
}
