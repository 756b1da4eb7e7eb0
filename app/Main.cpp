#include "app/Main.h"

#include "app/QueueListRules.h"
#include "app/WidgetDialogs.h"
#include "model/QueueModel.h"
#include "platform/DesktopNotifier.h"
#include "platform/ProcessLauncher.h"

#include <QLineEdit>

TfrmMain::TfrmMain(QWidget* parent) : TfrmMain(parent, {})
{ }

TfrmMain::TfrmMain(QWidget* parent, const std::function<void()>& beforeControls)
    : QWidget(parent), m_dialogs(std::make_unique<WidgetDialogs>(this)), m_session(new Session(this)),
      m_queue(&m_session->queue()), m_notifier(MakeDesktopNotifier())
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Vantrel"));
    // A second copy hands its paths over and ends before building anything.
    CreateInstanceGuard();
    if (beforeControls)
        beforeControls();
    CreateControls();
    BindQueueHandlers();
    BindConversion();
    BindWindowHandlers();
    BindKeyboard();
    BindRowMenu();
    FormCreate();
}

TfrmMain::~TfrmMain()
{
    FormDestroy();
}

void TfrmMain::FormCreate()
{
    Edit4->setText(m_session->StartWithSettings());
    Edit3->setText(Edit4->text());
}

bool TfrmMain::ShellExec(const QString& program, const QString& arguments, quint16 showCmd)
{
    return ProcessLauncher::ShellExec(program, arguments, showCmd);
}

bool TfrmMain::ShellExecWait(const QString& program, const QString& arguments, quint16 showCmd)
{
    return ProcessLauncher::ShellExecWait(program, arguments, showCmd);
}
