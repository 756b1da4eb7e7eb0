#include "queue/BrowseForFolderU.h"

#include "platform/Folders.h"
#include "platform/Prompt.h"

#include <QDir>
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
    // Without a start folder the dialog would reopen wherever the last one
    // was; the home folder is the neutral start.
    dialog->setDirectory(!initialFolder.isEmpty() && Folders::FolderExists(initialFolder) ? initialFolder
                                                                                          : QDir::homePath());
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
