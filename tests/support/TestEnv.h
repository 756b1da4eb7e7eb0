#pragma once

#include <QSize>
#include <QString>
#include <QTemporaryDir>
#include <QStringList>

#include <functional>
#include <vector>

// Points HOME, the XDG folders and TMPDIR into a fresh temporary folder for
// the lifetime of the object, so a test never touches the real user's files.
class FreshHome
{
public:
    FreshHome();
    ~FreshHome();
    FreshHome(const FreshHome&) = delete;
    FreshHome& operator=(const FreshHome&) = delete;

    QString root() const { return m_dir.path(); }
    QString home() const;
    QString configFile() const; // ~/.config/Vantrel.conf
    QString documents() const;  // the Documents folder
    QString data() const;       // the data folder
    QString tmp() const;        // TMPDIR
    QString state() const;      // XDG_STATE_HOME

private:
    QTemporaryDir m_dir;
    // Right under /tmp, so the socket's path stays short however deep the
    // build (and TMPDIR) lies: a long one would send the copies to the
    // user's own fallback folder, which a real Vantrel may be using.
    QTemporaryDir m_runtime{QStringLiteral("/tmp/vantrel-test-XXXXXX")};
    QByteArray m_saved[9];
};

// Makes a small real FLV file with ffmpeg's test sources; fails the test if it cannot.
void MakeFlv(const QString& path, double seconds = 1.0, QSize size = {64, 48}, bool audio = true, bool video = true);

// Where the build puts its executables (the program, its helpers, processtestapp).
QString BinPath(const QString& name);

// A folder in which every executable is a link to the real one, minus the named
// tools, for running with a PATH on which they are missing.
QString PathWithout(const QStringList& missingTools, const QString& folder);

// True once some process has opened the file for writing by itself (as ffmpeg
// opens its output), not merely inherited a descriptor of it.
bool OpenedForWriting(const QString& file);

// A command and an environment as exec wants them: arrays of C strings that
// live as long as the object. Built before a fork, so the child only reads.
class ExecArguments
{
public:
    ExecArguments(const QStringList& command, const QStringList& environment);
    ExecArguments(const ExecArguments&) = delete;
    ExecArguments& operator=(const ExecArguments&) = delete;

    char* const* argv() { return m_argv.data(); }
    char* const* envp() { return m_envp.data(); }

private:
    std::vector<QByteArray> m_strings;
    std::vector<char*> m_argv;
    std::vector<char*> m_envp;
};

// The user the suite's permission cases run as, with no privileges.
constexpr unsigned UnprivilegedUser = 65534;
// Runs check as that user, so permissions count: in a child process, with the
// home handed to the user, when the suite runs as root. The child's exit code,
// check's result, says which step failed; 0 passes.
void RunUnprivileged(const FreshHome& home, const std::function<int()>& check);

class TfrmMain;
// Begins a conversion of the window's "Pending" rows with an ffmpeg that
// waits and reports nothing, so the window stays busy until the run is
// ended; the stand-in is written to folder. False when the run is not busy.
bool StartWaitingRun(TfrmMain& window, const QString& folder);
