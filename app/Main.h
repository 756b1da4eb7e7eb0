#pragma once

#include "app/MainState.h"

#include <QWidget>

class QLineEdit;
class QPushButton;
class QTreeView;
class QueueModel;

// The main window: the program's state, its controls, and one handler per
// control event. Handlers are thin; the work is done by the subsystem classes.
class TfrmMain : public QWidget
{
    Q_OBJECT

public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    MainState& state() { return m_state; }
    const MainState& state() const { return m_state; }
    QueueModel& queue() { return *m_queue; }

    // ---- start-up ----
    void FormCreate();
    // There are no 8.3 names here; the path is used as it is.
    static QString ShortName(const QString& path) { return path; }
    bool ShellExec(const QString& program, const QString& arguments, quint16 showCmd);
    bool ShellExecWait(const QString& program, const QString& arguments, quint16 showCmd);

    // ---- controls ----
    QLineEdit* Edit1 = nullptr;   // path of the file added last
    QLineEdit* Edit2 = nullptr;   // folder added last
    QLineEdit* Edit3 = nullptr;   // output folder
    QLineEdit* Edit4 = nullptr;   // hidden mirror of the stored output folder
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QTreeView* ListView1 = nullptr;

private:
    void CreateControls();

    MainState m_state;
    QueueModel* m_queue = nullptr; // owned as a child
};
