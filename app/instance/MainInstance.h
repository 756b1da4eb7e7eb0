#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>

class InstanceLock;
class QLocalServer;
class QLocalSocket;
class QWidget;

// The single-instance guard, built with the main window before start-up. The
// first copy of the program listens on a per-user local socket and answers
// only its own user; a later copy forwards its command-line tail, asks the
// first to come to the front and ends before it writes any file or setting:
// with exit code 0 once the first has taken what it was given, or when it was
// given no paths; with a message on standard error and code 1 when its paths
// could not be handed over, so none is lost unseen. Paths of any number
// travel in pieces; the first copy holds them aside and queues them only when
// the later one asks it to come to the front in time, acknowledging that
// before it queues, so a later copy that gave up has told the truth: none of
// its files is queued.
//
// Which copy is the first is decided by a lock the system releases when its
// holder ends, so two copies started together leave exactly one, and a socket
// left behind by a crashed copy is simply taken over.
class TMainInstance : public QObject
{
    Q_OBJECT

public:
    // Owner is the window that comes to the front when a later copy asks.
    explicit TMainInstance(QWidget* owner);
    ~TMainInstance() override;

    // The guard acts only in the program itself, whose main() enables it before
    // building the window. Any other user of the library (a test, the
    // benchmark) gets an inert guard, so that a second window it builds can
    // never end its process.
    static void setEnabled(bool enabled);
    static bool isEnabled();
    // The program's arguments after its own path, as their bytes are: a later
    // copy forwards these.
    static void setArguments(const QStringList& arguments);

    // Where the copies meet: in the per-user runtime folder, named from the
    // application title and the user id; in a short private folder of the
    // user's own under /tmp when that path would pass the system's limit for a
    // socket. Empty when there is no runtime folder, or that folder (or the
    // short one) is not private to the user, which is said on standard error:
    // the copy then runs unguarded.
    static QString ServerName();

    // The text a later copy forwards for the given arguments (the program's own
    // path not among them): each argument followed by one blank, only those
    // after the last one that contains ".exe" in any letter case.
    static QString ForwardedText(const QStringList& arguments);

    // The files and folders the arguments name, each made absolute against
    // the current folder, in the order given; empty arguments name nothing.
    // A later copy forwards them so, since the first copy's folder is another.
    static QStringList GivenPaths(const QStringList& arguments);
    // The forwarded list as it travels: any character a path may hold
    // (blanks, quotes, newlines) survives.
    static QByteArray EncodePaths(const QStringList& paths);
    // Empty when the bytes are not a list of paths, or a path holds a NUL,
    // which no path given on a command line can.
    static QStringList DecodePaths(const QByteArray& bytes);

    // True in the first copy once it listens.
    bool isListening() const;

    // How long a later copy tries to reach the running one (whose places may
    // all be taken for a while), or waits for it to take the next piece or
    // to answer, before it ends all the same.
    static constexpr int HandOverTimeoutMs = 5000;
    // The first copy queues a hand-over only this long before the later copy
    // gives up at the latest, so the later one never hears too late.
    static constexpr int AnswerMarginMs = 1000;
    // The paths of one piece of a hand-over, in bytes at most.
    static constexpr int PieceBytes = 256 * 1024;
    // The paths one hand-over may bring, in bytes: far more than a command
    // line can hold, and bounded, so no sender can fill the first's memory.
    static constexpr qint64 MaxHandOverBytes = 512LL * 1024 * 1024;
    // Longest message accepted, in bytes: twice the system's usual limit for
    // a whole command line (ARG_MAX, 2 MiB with the environment), so any
    // command line's text, and its paths made absolute, fit. With at most
    // MaxConnections open, the first copy never holds more than 32 MiB of
    // unfinished messages.
    static constexpr int MaxForwardedBytes = 4 * 1024 * 1024;
    // Connections served at once; more are closed at once. A later copy
    // needs one, briefly.
    static constexpr int MaxConnections = 8;
    // A connection is closed once it has been silent this long: a later copy
    // gives up after HandOverTimeoutMs anyway.
    static constexpr int ConnectionTimeoutMs = 5000;
    // The deadline a later copy gives with its request to come to the front:
    // the system's monotonic clock, shared by every process, in milliseconds.
    static qint64 MonotonicMs();

signals:
    // A later copy forwarded its command-line tail. The window takes no notice.
    void commandLineForwarded(const QString& text);
    // A later copy forwarded the files and folders it was given.
    void pathsForwarded(const QStringList& paths);
    // A later copy asked this one to come to the front, which it has done.
    void activationRequested();

private:
    enum class Contact { Answered, NoAnswer, Unreachable };

    Contact contactRunningCopy(const QString& serverName, int timeoutMs);
    // Ends a later copy the running one did not answer: code 0 when it had no
    // paths to hand over, else a message on standard error and code 1.
    [[noreturn]] static void endUnanswered();
    // Sends the forwarded text; false, and nothing sent, when it is empty.
    bool ForwardCommandLine(QLocalSocket& socket);
    // Sends the paths given in pieces, each written before the next; false
    // when the running copy took none for HandOverTimeoutMs.
    bool ForwardPaths(QLocalSocket& socket);
    void listen(const QString& serverName);
    void serve(QLocalSocket* socket);
    void bringOwnerToFront();
    // Returns to the system what served connections freed.
    static void giveMemoryBack();

    QPointer<QWidget> m_window;
    std::unique_ptr<InstanceLock> m_lock;
    QLocalServer* m_server = nullptr; // owned as a child
    int m_connections = 0;            // being served now
};
