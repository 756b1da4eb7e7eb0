#include "app/Main.h"

#include "app/RowFollower.h"
#include "controls/EzRgnBtn.h"
#include "model/QueueModel.h"
#include "platform/DesktopNotifier.h"
#include "platform/Error.h"
#include "platform/Prompt.h"

#include <QCoreApplication>
#include <QApplication>
#include <QPushButton>
#include <QTreeView>

#include <algorithm>
#include <utility>

void TfrmMain::EzRgnBtn3Click()
{
    BeginRun(ConversionProfile::DivxAvi);
}

void TfrmMain::EzRgnBtn4Click()
{
    BeginRun(ConversionProfile::XvidAvi);
}

void TfrmMain::BeginRun(ConversionProfile profile)
{
    RunGuarded([&] {
        if (!conversion().Begin(profile))
            Prompt::message(ConversionRun::NoOutputFolderText());
    });
}

void TfrmMain::MyTimerEventHandlerConversion(QObject* Sender)
{
    conversion().MonitorTick(Sender);
}

void TfrmMain::BindConversion()
{
    ConversionRun& run = conversion();
    m_follower = new RowFollower(ListView1, [this] {
        // A row reads "Pending" until its ffmpeg first reports.
        QList<int> rows = conversion().runningRows();
        for (int row = 0; row < m_queue->count(); ++row) {
            if (m_queue->state(row) == RowState::Converting && !rows.contains(row))
                rows << row;
        }
        return rows;
    });
    run.setTickHandler([this](QObject* sender) { MyTimerEventHandlerConversion(sender); });
    connect(&run, &ConversionRun::rowStarted, this, [this](quint64 id) {
        ShowBusy(m_session->busy());
        m_follower->reveal(m_queue->rowOf(id));
    });
    connect(&run, &ConversionRun::rowFinished, this, &TfrmMain::RowFinished);
    connect(&m_session->timeLeft(), &RunTimeLeft::updated, this, &TfrmMain::ShowActivity);
    connect(&run, &ConversionRun::runEnded, this, &TfrmMain::RunEnded);
    // Shown once the child's end that stopped the run has been handled.
    connect(
        &run, &ConversionRun::failed, this, [](const QString& text) { Prompt::errorBox(text); }, Qt::QueuedConnection);
}

void TfrmMain::setNotifier(std::unique_ptr<DesktopNotifier> notifier)
{
    m_notifier = std::move(notifier);
}

QString TfrmMain::RunEndedText(int converted, int failed)
{
    return QCoreApplication::translate("MainEngine", "%n files converted, %1 failed.", nullptr, converted).arg(failed);
}

void TfrmMain::ShowBusy(bool busy)
{
    // The buttons that do nothing while a conversion runs look so; the
    // conversion buttons show their dimmed pictures.
    for (QPushButton* button : {Button1, Button2, Button3})
        button->setEnabled(!busy);
    for (TEzRgnBtn* button : {EzRgnBtn3, EzRgnBtn4})
        button->SetEnabled(!busy);
}

void TfrmMain::RowFinished(quint64 id)
{
    // A row stopped and tried again counts once, by how it ended last.
    if (const int row = m_queue->rowOf(id); row >= 0)
        m_runEnds[id] = m_queue->state(row) == RowState::Done;
}

void TfrmMain::RunEnded()
{
    ShowBusy(m_session->busy());
    m_follower->restart();
    const QHash<quint64, bool> ends = std::exchange(m_runEnds, {});
    const int converted = static_cast<int>(std::count(ends.cbegin(), ends.cend(), true));
    const int failed = static_cast<int>(ends.size()) - converted;
    const bool stoppedHere = std::exchange(m_stoppedHere, false);
    // A press that found nothing to convert ran nothing worth telling; and no
    // notice while any window of the program, a message box too, is in front,
    // nor for a run the user stopped there.
    if (converted + failed == 0 || stoppedHere || QApplication::activeWindow() || !m_notifier)
        return;
    m_notifier->notify(QStringLiteral("Vantrel"), RunEndedText(converted, failed));
}
