#pragma once

#include "platform/Prompt.h"

#include <QPointer>

#include <memory>

class QFileDialog;
class QWidget;

// The program's dialogs as the window shows them: message boxes titled
// "Vantrel" and Qt's file and folder dialogs, centred on the window. Installed
// for its lifetime.
class WidgetDialogs : public Prompt::Dialogs
{
public:
    explicit WidgetDialogs(QWidget* window);
    ~WidgetDialogs() override;
    WidgetDialogs(const WidgetDialogs&) = delete;
    WidgetDialogs& operator=(const WidgetDialogs&) = delete;

    void message(const QString& text, bool error, const QString& details) override;
    bool question(const QString& text) override;
    QString openFile(const QString& filter, const QString& defaultSuffix) override;
    QString chooseFolder(const QString& caption, const QString& initialFolder, bool allowNewFolder) override;

private:
    QPointer<QWidget> m_window;
};

// The folder dialog chooseFolder shows, built but not yet shown.
std::unique_ptr<QFileDialog> MakeFolderDialog(QWidget* parent, const QString& caption, const QString& initialFolder,
                                              bool allowNewFolder);
