#include "app/Main.h"

#include "engine/ProcessLauncher.h"
#include "platform/Error.h"
#include "platform/Folders.h"
#include "platform/Prompt.h"
#include "platform/SettingsStore.h"
#include "queue/QueueModel.h"

#include <QLineEdit>

namespace {

const QString WorkDirValue = QStringLiteral("WorkDir");
const QString AppDirValue = QStringLiteral("AppDir");

} // namespace

TfrmMain::TfrmMain(QWidget* parent) : QWidget(parent), m_queue(new QueueModel(this))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Vantrel"));
    CreateControls();
    CreateInstanceGuard();
    BindQueueHandlers();
    BindWindowHandlers();
    Prompt::setParentWindow(this);
    FormCreate();
}

TfrmMain::~TfrmMain()
{
    FormDestroy();
}

void TfrmMain::FormCreate()
{
    MainState& s = m_state;

    // 1. A refused temp folder is never used: the probe then reports it.
    try {
        s.TempDir = Folders::PrivateTempDir();
    } catch (const VantrelError& e) {
        s.TempDir.clear();
        Prompt::errorBox(e.text());
    }

    // 2-4.
    s.Busy = false;
    s.LastFolder.clear();
    s.WorkDir = Folders::CollapseDoubleSlash(Folders::DocumentsFolder() + QStringLiteral("/VANTREL/"));
    s.AppDir = Folders::CollapseDoubleSlash(Folders::AppDataFolder() + QStringLiteral("/VANTREL/"));

    // 5. A failing store is skipped silently.
    try {
        SettingsStore store;
        if (!store.contains(WorkDirValue))
            store.writeString(WorkDirValue, s.WorkDir);
        store.writeString(AppDirValue, s.AppDir);
    } catch (const std::exception&) {
    }

    // 6. One level each; a missing parent is the later action's to meet.
    if (!Folders::FolderExists(s.WorkDir))
        Folders::CreateFolderOneLevel(s.WorkDir);
    if (!Folders::FolderExists(s.AppDir))
        Folders::CreateFolderOneLevel(s.AppDir);

    // 7.
    try {
        SettingsStore store;
        if (store.contains(WorkDirValue)) {
            Edit4->setText(store.readString(WorkDirValue));
            if (!Folders::FolderExists(Edit4->text())) {
                Folders::CreateFolderOneLevel(Edit4->text());
                store.writeString(WorkDirValue, Edit4->text());
            }
        }
    } catch (const std::exception&) {
    }

    // 8.
    Edit3->setText(Edit4->text());
    s.WorkDir = Edit3->text();

    // 9-10. The tools come from the installation; an empty path means missing,
    // which the action that needs the tool reports.
    s.MediaInfoExe = ShortName(ProcessLauncher::FindProgram(QStringLiteral("mediainfo"), QString()));
    s.FfmpegExe = ShortName(ProcessLauncher::FindProgram(QStringLiteral("ffmpeg"), QString()));
}

bool TfrmMain::ShellExec(const QString& program, const QString& arguments, quint16 showCmd)
{
    return ProcessLauncher::ShellExec(program, arguments, showCmd);
}

bool TfrmMain::ShellExecWait(const QString& program, const QString& arguments, quint16 showCmd)
{
    return ProcessLauncher::ShellExecWait(program, arguments, showCmd);
}
