#include "support/TestEnv.h"

#include "support/PrivateHome.h"

#include "app/Main.h"
#include "platform/Error.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The session bus too: a test's notifications never reach the real desktop.
const char* const Variables[]
    = {"HOME",   "XDG_CONFIG_HOME",   "XDG_DATA_HOME",           "XDG_CACHE_HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR",
       "TMPDIR", "XDG_DOCUMENTS_DIR", "DBUS_SESSION_BUS_ADDRESS"};
constexpr int VariableCount = int(std::size(Variables));

} // namespace

FreshHome::FreshHome()
{
    for (int i = 0; i < VariableCount; ++i)
        m_saved[i] = qgetenv(Variables[i]);

    PointHomeInto(m_dir.path());
    if (m_runtime.isValid())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
}

FreshHome::~FreshHome()
{
    // QDir cannot remove names the system's encoding cannot represent, which
    // some tests make on purpose; the standard library goes by the bytes.
    std::error_code ignored;
    std::filesystem::remove_all(QFile::encodeName(m_dir.path()).toStdString(), ignored);
    for (int i = 0; i < VariableCount; ++i) {
        if (m_saved[i].isNull())
            qunsetenv(Variables[i]);
        else
            qputenv(Variables[i], m_saved[i]);
    }
}

QString FreshHome::home() const
{
    return root() + QStringLiteral("/home");
}
QString FreshHome::configFile() const
{
    return home() + QStringLiteral("/.config/Vantrel.conf");
}
QString FreshHome::documents() const
{
    return home() + QStringLiteral("/Documents");
}
QString FreshHome::data() const
{
    return home() + QStringLiteral("/.local/share");
}
QString FreshHome::state() const
{
    return home() + QStringLiteral("/.local/state");
}
QString FreshHome::tmp() const
{
    return root() + QStringLiteral("/tmp");
}

void MakeFlv(const QString& path, double seconds, QSize size, bool audio, bool video)
{
    QStringList args{QStringLiteral("-nostdin"), QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                     QStringLiteral("error"), QStringLiteral("-y")};
    if (video)
        args << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
             << QStringLiteral("testsrc=size=%1x%2:rate=25").arg(size.width()).arg(size.height());
    if (audio)
        args << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
             << QStringLiteral("sine=frequency=440:sample_rate=22050");
    args << QStringLiteral("-t") << QString::number(seconds);
    if (video)
        args << QStringLiteral("-c:v") << QStringLiteral("flv1");
    if (audio)
        args << QStringLiteral("-c:a") << QStringLiteral("libmp3lame") << QStringLiteral("-ar")
             << QStringLiteral("22050");
    args << QStringLiteral("-f") << QStringLiteral("flv") << path;

    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), args);
    ASSERT_TRUE(ffmpeg.waitForFinished(60000)) << "ffmpeg did not finish";
    ASSERT_EQ(ffmpeg.exitCode(), 0) << ffmpeg.readAllStandardError().toStdString();
    ASSERT_TRUE(QFile::exists(path));
}

QString BinPath(const QString& name)
{
    return QStringLiteral(VANTREL_BIN_DIR) + QLatin1Char('/') + name;
}

QString PathWithout(const QStringList& missingTools, const QString& folder)
{
    QDir().mkpath(folder);
    const QStringList entries = QString::fromLocal8Bit(qgetenv("PATH")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& entry : entries) {
        const QDir dir(entry);
        for (const QFileInfo& info : dir.entryInfoList(QDir::Files | QDir::Executable)) {
            if (missingTools.contains(info.fileName()))
                continue;
            QFile::link(info.absoluteFilePath(), folder + QLatin1Char('/') + info.fileName());
        }
    }
    return folder;
}

bool OpenedForWriting(const QString& file)
{
    struct stat target
    {
    };
    if (::stat(QFile::encodeName(file).constData(), &target) != 0)
        return false;
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const QString fds = QStringLiteral("/proc/") + pid + QStringLiteral("/fd");
        for (const QString& fd : QDir(fds).entryList(QDir::Files | QDir::System)) {
            struct stat st
            {
            };
            if (::stat(QFile::encodeName(fds + QLatin1Char('/') + fd).constData(), &st) != 0
                || st.st_dev != target.st_dev || st.st_ino != target.st_ino)
                continue;
            QFile info(QStringLiteral("/proc/") + pid + QStringLiteral("/fdinfo/") + fd);
            if (!info.open(QIODevice::ReadOnly))
                continue;
            for (const QByteArray& line : info.readAll().split('\n')) {
                // Octal open flags; the access mode is the lowest two bits.
                if (line.startsWith("flags:") && (line.mid(6).trimmed().toInt(nullptr, 8) & O_ACCMODE) == O_WRONLY)
                    return true;
            }
        }
    }
    return false;
}

ExecArguments::ExecArguments(const QStringList& command, const QStringList& environment)
{
    m_strings.reserve(size_t(command.size() + environment.size()));
    for (const QString& argument : command)
        m_strings.push_back(QFile::encodeName(argument));
    for (const QString& variable : environment)
        m_strings.push_back(variable.toLocal8Bit());
    for (size_t i = 0; i < m_strings.size(); ++i)
        (i < size_t(command.size()) ? m_argv : m_envp).push_back(m_strings[i].data());
    m_argv.push_back(nullptr);
    m_envp.push_back(nullptr);
}

bool StartWaitingRun(TfrmMain& window, const QString& folder)
{
    const QString standIn = folder + QStringLiteral("/ffmpeg-that-waits");
    QFile script(standIn);
    if (!script.open(QIODevice::WriteOnly))
        return false;
    script.write("#!/bin/sh\nexec sleep 120\n");
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    Session& session = window.session();
    session.tools().FfmpegExe = standIn;
    if (session.settings().WorkDir.isEmpty())
        session.settings().WorkDir = folder;
    RunGuarded([&] { session.run().Begin(ConversionProfile::DivxAvi); });
    return session.busy();
}

void RunUnprivileged(const FreshHome& home, const std::function<int()>& check)
{
    if (::geteuid() != 0) {
        EXPECT_EQ(check(), 0);
        return;
    }
    // The user must be able to pass through the test's own folders above the home.
    for (QString up = QFileInfo(home.root()).path(); up != QDir::tempPath() && up.size() > 1;
         up = QFileInfo(up).path()) {
        struct stat st
        {
        };
        if (::stat(QFile::encodeName(up).constData(), &st) == 0 && st.st_uid == ::geteuid())
            ::chmod(QFile::encodeName(up).constData(), (st.st_mode & 07777) | S_IXOTH);
    }
    QDirIterator it(home.root(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    ::chown(QFile::encodeName(home.root()).constData(), UnprivilegedUser, UnprivilegedUser);
    while (it.hasNext())
        ::lchown(QFile::encodeName(it.next()).constData(), UnprivilegedUser, UnprivilegedUser);
    EXPECT_EXIT(
        {
            if (::setgid(UnprivilegedUser) != 0 || ::setuid(UnprivilegedUser) != 0)
                std::_Exit(100);
            std::_Exit(check());
        },
        ::testing::ExitedWithCode(0), "");
}
