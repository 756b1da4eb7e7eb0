#include "queue/BrowseForFolderU.h"

#include "platform/Folders.h"
#include "platform/Prompt.h"

#include <QFileDialog>
#include <QToolButton>

std::unique_ptr<QFileDialog> MakeFolderDialog(const QString& caption, const QString& initialFolder,
                                              bool allowNewFolder)
{
    auto dialog = std::make_unique<QFileDialog>(Prompt::parentWindow(), caption);
    // Qt's own dialog on every platform: a native one cannot drop its new-folder button.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    if (!initialFolder.isEmpty() && Folders::FolderExists(initialFolder))
        dialog->setDirectory(initialFolder);
    if (!allowNewFolder) {
        // Read-only also takes folder making out of the context menu.
        dialog->setOption(QFileDialog::ReadOnly);
        if (auto* button = dialog->findChild<QToolButton*>(QStringLiteral("newFolderButton")))
            button->hide();
    }
    return dialog;
}

QString BrowseForFolder(const QString& caption, const QString& initialFolder, bool allowNewFolder)
{
    if (const auto scripted = Prompt::scriptedFolder(caption))
        return *scripted;
    const auto dialog = MakeFolderDialog(caption, initialFolder, allowNewFolder);
    if (dialog->exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog->selectedFiles();
    if (chosen.isEmpty() || !QFileInfo(chosen.constFirst()).isDir())
        return {};
    return chosen.constFirst();
}
