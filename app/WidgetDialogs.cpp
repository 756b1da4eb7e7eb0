#include "app/WidgetDialogs.h"

#include "platform/Folders.h"
#include "platform/NativePath.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QToolButton>

WidgetDialogs::WidgetDialogs(QWidget* window) : m_window(window)
{
    Prompt::setDialogs(this);
}

WidgetDialogs::~WidgetDialogs()
{
    if (Prompt::dialogs() == this)
        Prompt::setDialogs(nullptr);
}

void WidgetDialogs::message(const QString& text, bool error, const QString& details)
{
    // A name in a message is shown as it is, never as markup or a control character.
    QMessageBox box(error ? QMessageBox::Critical : QMessageBox::NoIcon, QStringLiteral("Vantrel"),
                    NativePath::ReadableLines(text), QMessageBox::Ok, m_window);
    box.setTextFormat(Qt::PlainText);
    // A box as long as its list would pass the screen's edge; the details scroll.
    box.setDetailedText(NativePath::ReadableLines(details));
    box.exec();
}

bool WidgetDialogs::question(const QString& text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Vantrel"), NativePath::ReadableLines(text),
                    QMessageBox::Yes | QMessageBox::No, m_window);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString WidgetDialogs::openFile(const QString& filter, const QString& defaultSuffix)
{
    QFileDialog dialog(m_window);
    dialog.setFileMode(QFileDialog::AnyFile); // the file need not exist
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString WidgetDialogs::chooseFolder(const QString& caption, const QString& initialFolder, bool allowNewFolder)
{
    const auto dialog = MakeFolderDialog(m_window, caption, initialFolder, allowNewFolder);
    if (dialog->exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog->selectedFiles();
    if (chosen.isEmpty() || !QFileInfo(chosen.constFirst()).isDir())
        return {};
    return chosen.constFirst();
}

std::unique_ptr<QFileDialog> MakeFolderDialog(QWidget* parent, const QString& caption, const QString& initialFolder,
                                              bool allowNewFolder)
{
    auto dialog = std::make_unique<QFileDialog>(parent, caption);
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
