#include "app/Main.h"

#include "platform/Error.h"

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

ConversionRun& TfrmMain::conversion()
{
    if (!m_conversion) {
        m_conversion = std::make_unique<ConversionRun>(m_state, queue());
        m_conversion->setTickHandler([this](QObject* sender) { MyTimerEventHandlerConversion(sender); });
    }
    return *m_conversion;
}
