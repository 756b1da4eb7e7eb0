#include "app/Main.h"

#include "controls/EzRgnBtn.h"
#include "model/QueueModel.h"
#include "platform/DesktopNotifier.h"
#include "platform/Error.h"

#include <QPushButton>
#include <QTreeView>

#include <utility>

void TfrmMain::EzRgnBtn3Click()
{
    RunGuarded([this] { conversion().Begin(ConversionProfile::DivxAvi); });
}

void TfrmMain::EzRgnBtn4Click()
{
    RunGuarded([this] { conversion().Begin(ConversionProfile::XvidAvi); });
}

void TfrmMain::MyTimerEventHandlerConversion(QObject* Sender)
{
    conversion().MonitorTick(Sender);
}

void TfrmMain::BindConversion()
{
    ConversionRun& run = conversion();
    run.setTickHandler([this](QObject* sender) { MyTimerEventHandlerConversion(sender); });
    connect(&run, &ConversionRun::rowStarted, this, [this](int row) {
        ShowBusy(m_session->busy());
        RevealStartedRow(row);
    });
    connect(&run, &ConversionRun::rowFinished, this, &TfrmMain::RowFinished);
    connect(&run, &ConversionRun::runEnded, this, &TfrmMain::RunEnded);
}

void TfrmMain::setNotifier(std::unique_ptr<DesktopNotifier> notifier)
{
    m_notifier = std::move(notifier);
}

QString TfrmMain::RunEndedText(int converted, int failed)
{
    const QString done
        = converted == 1 ? QStringLiteral("1 file converted") : QStringLiteral("%1 files converted").arg(converted);
    return done + QStringLiteral(", %1 failed.").arg(failed);
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

void TfrmMain::RevealStartedRow(int row)
{
    // Brought into view only when no converting row is seen whole, so the list
    // does not jump while the user watches one.
    const QRect seen = ListView1->viewport()->rect();
    for (int r = 0; r < m_queue->count(); ++r) {
        if (m_queue->state(r) == RowState::Converting && seen.contains(ListView1->visualRect(m_queue->index(r, 0))))
            return;
    }
    if (row >= 0 && row < m_queue->count())
        ListView1->scrollTo(m_queue->index(row, 0));
}

void TfrmMain::RowFinished(int row)
{
    if (row < 0 || row >= m_queue->count())
        return;
    if (m_queue->state(row) == RowState::Done)
        ++m_runConverted;
    else
        ++m_runFailed;
}

void TfrmMain::RunEnded()
{
    ShowBusy(m_session->busy());
    const int converted = std::exchange(m_runConverted, 0);
    const int failed = std::exchange(m_runFailed, 0);
    // A press that found nothing to convert ran nothing worth telling.
    if (converted + failed == 0 || isActiveWindow() || !m_notifier)
        return;
    m_notifier->notify(QStringLiteral("Vantrel"), RunEndedText(converted, failed));
}
