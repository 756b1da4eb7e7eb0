#pragma once

#include "core/Session.h"

#include <QHash>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class DesktopNotifier;
class MouseLabel;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;
class QueueActions;
class QueueKeeper;
class QueueListRules;
class QueueModel;
class RowFollower;
class TEzRgnBtn;
class TFindFile;
class WidgetDialogs;
class TMainInstance;
class TTranPanel;
class WindowMover;
namespace WebLinks {
enum class Link;
}
enum class RowAction;

// The main window: the program's state, its controls, and one handler per
// control event. Handlers are thin; the work is done by the subsystem classes.
class TfrmMain : public QWidget
{
    Q_OBJECT

public:
    explicit TfrmMain(QWidget* parent = nullptr);
    // `beforeControls` runs once this copy is known to be the one that shows
    // a window (a later copy has handed over and ended by then), before any
    // control is built: for the start's own waits, such as for the fonts.
    TfrmMain(QWidget* parent, const std::function<void()>& beforeControls);
    ~TfrmMain() override;

    // What the window presents: settings, tools, queue, measuring and run.
    Session& session() { return *m_session; }
    QueueModel& queue() { return *m_queue; }

    // ---- start-up ----
    void FormCreate();
    // There are no 8.3 names here; the path is used as it is.
    static QString ShortName(const QString& path) { return path; }
    bool ShellExec(const QString& program, const QString& arguments, quint16 showCmd);
    bool ShellExecWait(const QString& program, const QString& arguments, quint16 showCmd);

    // ---- controls ----
    QLineEdit* Edit1 = nullptr; // path of the file added last
    QLineEdit* Edit2 = nullptr; // folder added last
    QLineEdit* Edit3 = nullptr; // output folder
    QLineEdit* Edit4 = nullptr; // hidden mirror of the stored output folder
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QTreeView* ListView1 = nullptr;

    // ---- conversion queue (app/MainQueue.cpp) ----
    void Button1Click();
    void Button2Click();
    void Button3Click();
    // The work of Add FLV File after its dialog and of Add Folder after its
    // picker, for dropped files and folders too; inert while Busy. They return
    // at once; the files are measured while the window goes on.
    void AddFlvFile(const QString& path);
    void AddFolder(const QString& folder);
    // Files are being measured, or adds wait to be.
    bool AddingFiles() const;
    // Files and folders given from outside the window (the command line, a
    // later copy): queued as Add FLV File and Add Folder queue them, once the
    // event loop gets to them, also while a conversion runs.
    void OpenPaths(const QStringList& paths);
    // At the start: offers back the files an earlier start left unconverted,
    // then keeps the queue for the next. Paths given meanwhile wait for the answer.
    void OfferKeptQueue();
    void ListView1KeyDown(int key);
    // x: the pointer's horizontal position in the list's client coordinates.
    void ListView1Click(int x);
    TFindFile* FindFile1 = nullptr;  // "*.flv", not recursive; the session's
    QLabel* MeasuringLine = nullptr; // "Measuring N of M…" beneath the list, while files are measured
    // ---- end conversion queue ----

    // ---- conversion engine (app/MainEngine.cpp) ----
    void EzRgnBtn3Click();
    void EzRgnBtn4Click();
    // A press on either: the run begins, or the user is told why it cannot.
    void BeginRun(ConversionProfile profile);
    // The progress monitor: every file's timer calls it twice a second.
    void MyTimerEventHandlerConversion(QObject* Sender);
    ConversionRun& conversion() { return m_session->run(); }
    // Where the end of a run is told when the window is not active; the
    // desktop's notifications unless replaced.
    void setNotifier(std::unique_ptr<DesktopNotifier> notifier);
    // What that notice says.
    static QString RunEndedText(int converted, int failed);
    // ---- end conversion engine ----

    // ---- stop and try again (app/MainStop.cpp) ----
    // Escape: stops the whole run, asking first when more than one file converts.
    void StopConversions();
    // An action chosen in the list's row menu.
    void ListView1RowAction(RowAction action, int row);
    // ---- end stop and try again ----

    // ---- shutdown and single instance (app/MainShutdown.cpp) ----
    void EzRgnBtn2Click();
    void FormDestroy();
    // SIGTERM, SIGINT and SIGHUP end the program as a close by the window
    // manager does, then by the signal. Only the program's own main() asks.
    void EndOnSignals();
    TMainInstance* MainInstance1 = nullptr; // owned as a child
    // ---- end shutdown and single instance ----

    // ---- window chrome and layout (app/MainLayout.cpp, app/MainChrome.cpp) ----
    void FormShow();
    void EzRgnBtn1Click();
    // x, y: the press in the window's coordinates.
    void Image1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void TranPanel1Click();
    void TranPanel2Click();
    void Label1Click();
    void Label2Click();
    void Label3Click();
    void Label4Click();
    void Label5Click();
    void Label6Click();
    void Label7Click();
    void Label1MouseEnter();
    void Label2MouseEnter();
    void Label3MouseEnter();
    void Label4MouseEnter();
    void Label5MouseEnter();
    void Label6MouseEnter();
    void Label7MouseEnter();
    void Label1MouseLeave();
    void Label2MouseLeave();
    void Label3MouseLeave();
    void Label4MouseLeave();
    void Label5MouseLeave();
    void Label6MouseLeave();
    void Label7MouseLeave();

    MouseLabel* Image1 = nullptr; // background; drag handle
    MouseLabel* Image2 = nullptr; // logo; drag handle
    MouseLabel* Image3 = nullptr; // "Convert to:" caption; drag handle
    MouseLabel* Label1 = nullptr; // links, Label1..Label7
    MouseLabel* Label2 = nullptr;
    MouseLabel* Label3 = nullptr;
    MouseLabel* Label4 = nullptr;
    MouseLabel* Label5 = nullptr;
    MouseLabel* Label6 = nullptr;
    MouseLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr; // captions, Label8..Label13
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label13 = nullptr;
    TEzRgnBtn* EzRgnBtn1 = nullptr;   // minimise
    TEzRgnBtn* EzRgnBtn2 = nullptr;   // close
    TEzRgnBtn* EzRgnBtn3 = nullptr;   // DivX AVI
    TEzRgnBtn* EzRgnBtn4 = nullptr;   // Xvid AVI
    TTranPanel* TranPanel1 = nullptr; // click areas over the logo
    TTranPanel* TranPanel2 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

public:
    // ---- end window chrome and layout ----

private:
    void CreateControls();      // app/MainLayout.cpp
    void BindQueueHandlers();   // app/MainQueue.cpp
    void BindWindowHandlers();  // app/MainChrome.cpp
    void CreateInstanceGuard(); // app/MainShutdown.cpp: before start-up
    void EndConversions();      // app/MainShutdown.cpp: at every exit
    void BindKeyboard();        // app/MainKeyboard.cpp: Tab order, names for screen readers
    void BindRowMenu();         // app/MainStop.cpp

    // The program's dialogs, centred on this window, for its whole life.
    std::unique_ptr<WidgetDialogs> m_dialogs;
    Session* m_session = nullptr;  // owned as a child
    QueueModel* m_queue = nullptr; // the session's

    // ---- private: conversion queue ----
    int SelectedQueueRow() const;
    void ShowMeasuring(int measured, int total);
    // Beneath the list: what is measured and the run's time left, as far as each goes on.
    void ShowActivity();
    QString m_measuringText;
    QueueActions* m_queueActions = nullptr;      // the session's
    std::unique_ptr<QueueListRules> m_listRules; // what clicks, keys and the row menu do
    QueueKeeper* m_keeper = nullptr;             // owned as a child
    bool m_offering = false;                     // the kept queue's question is open
    QStringList m_heldBack;                      // paths given while it is
    // ---- private: conversion engine ----
    void BindConversion();
    std::unique_ptr<DesktopNotifier> m_notifier;
    QHash<quint64, bool> m_runEnds; // each row the run ended, by id: true when "Done"
    bool m_stoppedHere = false;     // the run was stopped from the window
    void ShowBusy(bool busy);
    RowFollower* m_follower = nullptr; // keeps the converting rows in view; owned by the list
    void RowFinished(quint64 id);
    void RunEnded();
    // ---- private: shutdown and single instance ----
    // ---- private: window chrome and layout ----
    void SetLinkHover(MouseLabel* label, bool hovered);
    void OpenLink(WebLinks::Link link);
    WindowMover* m_mover = nullptr; // owned as a child
    bool m_shownOnce = false;
};
