// The program's start-up, probe and conversion under environments no one here
// set up: odd TMPDIR and PATH values, and tools that pose or cannot run.
#include "core/StartUp.h"
#include "engine/ConversionRun.h"
#include "model/Settings.h"
#include "model/Tools.h"
#include "model/QueueModel.h"
#include "platform/Error.h"
#include "platform/Prompt.h"
#include "queue/FindFile.h"
#include "queue/QueueActions.h"
#include "support/QtPrinters.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <unistd.h>

namespace {

// One row's surroundings: a fresh home, and PATH, TMPDIR and the current
// folder as the row sets them, all put back afterwards.
class Surroundings
{
public:
    Surroundings() : m_path(qgetenv("PATH")), m_cwd(QDir::currentPath())
    {
        QDir().mkpath(cwd());
        QDir::setCurrent(cwd());
    }
    ~Surroundings()
    {
        QDir::setCurrent(m_cwd);
        qputenv("PATH", m_path);
    }

    QString root() const { return home.root(); }
    QString cwd() const { return root() + QStringLiteral("/cwd"); }
    QByteArray realPath() const { return m_path; }

    // PATH without the two tools, then the given entries before it.
    void pathWith(const QByteArray& entries)
    {
        const QString rest = PathWithout({"ffmpeg", "mediainfo"}, root() + QStringLiteral("/rest"));
        qputenv("PATH", entries + ":" + QFile::encodeName(rest));
    }

    // A file in the folder, made with the given text and mode.
    QString file(const QString& folder, const QString& name, const QByteArray& text, QFile::Permissions mode)
    {
        QDir().mkpath(folder);
        QFile f(folder + QLatin1Char('/') + name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        f.close();
        f.setPermissions(mode);
        return f.fileName();
    }

    FreshHome home;

private:
    QByteArray m_path;
    QString m_cwd;
};

const QFile::Permissions Runnable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
const QFile::Permissions NotRunnable = QFile::ReadOwner | QFile::WriteOwner;

QString Real(const char* tool)
{
    for (const QByteArray& entry : qgetenv("PATH").split(':'))
        if (QFileInfo(QFile::decodeName(entry) + QLatin1Char('/') + QLatin1String(tool)).isExecutable())
            return QFile::decodeName(entry) + QLatin1Char('/') + QLatin1String(tool);
    return {};
}

// A script that leaves a mark when it runs, posing as a tool.
QByteArray Impostor(const QString& mark)
{
    return "#!/bin/sh\ntouch '" + QFile::encodeName(mark) + "'\nexit 0\n";
}

struct Row
{
    const char* what;
    std::function<void(Surroundings&)> arrange;
    bool tempUnderTmp = false;        // the private temp folder under /tmp, not the given TMPDIR
    const char* addError = nullptr;   // the error box adding a file shows; none: it is queued
    const char* failReason = nullptr; // the row's reason when it fails; none: "Done"
};

TEST(Environment, OddTmpdirAndPathNeitherMisplaceFilesNorRunTheWrongTool)
{
    const QString uid = QString::number(::getuid());
    const QString tmpUnderTmp = QStringLiteral("/tmp/vantrel-") + uid + QLatin1Char('/');
    const Row rows[] = {
        {"TMPDIR names a missing folder",
         [](Surroundings& s) { qputenv("TMPDIR", QFile::encodeName(s.root() + "/gone")); }, true},
        {"TMPDIR is a file",
         [](Surroundings& s) { qputenv("TMPDIR", QFile::encodeName(s.file(s.root(), "tmpfile", "", NotRunnable))); },
         true},
        {"TMPDIR unset", [](Surroundings&) { qunsetenv("TMPDIR"); }, true},
        {"a relative PATH entry",
         [](Surroundings& s) {
             QDir().mkpath(s.cwd() + "/bin");
             QFile::link(Real("ffmpeg"), s.cwd() + "/bin/ffmpeg");
             QFile::link(Real("mediainfo"), s.cwd() + "/bin/mediainfo");
             s.pathWith("bin");
         }},
        {"tools in the current folder pose as the real ones",
         [](Surroundings& s) {
             s.file(s.cwd(), "ffmpeg", Impostor(s.root() + "/ran"), Runnable);
             s.file(s.cwd(), "mediainfo", Impostor(s.root() + "/ran"), Runnable);
             qputenv("PATH", ":" + s.realPath());
         }},
        {"a PATH entry that is a file",
         [](Surroundings& s) {
             qputenv("PATH", QFile::encodeName(s.file(s.root(), "entry", "", Runnable)) + ":" + s.realPath());
         }},
        {"PATH empty", [](Surroundings&) { qputenv("PATH", ""); }, false, "Cannot find the program \"mediainfo\""},
        {"mediainfo not executable",
         [](Surroundings& s) {
             s.file(s.root() + "/tools", "mediainfo", "#!/bin/sh\n", NotRunnable);
             s.pathWith(QFile::encodeName(s.root() + "/tools"));
         },
         false, "could not be started: Permission denied"},
        {"mediainfo's interpreter missing",
         [](Surroundings& s) {
             s.file(s.root() + "/tools", "mediainfo", "#!/nonexistent/sh\n", Runnable);
             s.pathWith(QFile::encodeName(s.root() + "/tools"));
         },
         false, "could not be started: No such file or directory"},
        {"ffmpeg of a wrong format",
         [](Surroundings& s) {
             s.file(s.root() + "/tools", "ffmpeg", QByteArray(64, '\x7f'), Runnable);
             QFile::link(Real("mediainfo"), s.root() + "/tools/mediainfo");
             s.pathWith(QFile::encodeName(s.root() + "/tools"));
         },
         false, nullptr, "could not be started: Exec format error."},
        {"ffmpeg not executable",
         [](Surroundings& s) {
             s.file(s.root() + "/tools", "ffmpeg", "#!/bin/sh\n", NotRunnable);
             QFile::link(Real("mediainfo"), s.root() + "/tools/mediainfo");
             s.pathWith(QFile::encodeName(s.root() + "/tools"));
         },
         false, nullptr, "could not be started: Permission denied."},
    };

    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Surroundings s;
        const QString clip = s.root() + QStringLiteral("/clip.flv");
        MakeFlv(clip);
        const QString out = s.root() + QStringLiteral("/out");
        QDir().mkpath(out);
        const QString freshTmp = QFile::decodeName(qgetenv("TMPDIR"));
        row.arrange(s);

        Prompt::Script prompts;
        Settings state;
        Tools stateTools;
        StartUp::Run(state, stateTools);
        // The process's own folder, inside the private one.
        EXPECT_EQ(QFileInfo(stateTools.TempDir.chopped(1)).path() + "/",
                  row.tempUnderTmp ? tmpUnderTmp : freshTmp + "/vantrel-" + uid + "/");
        EXPECT_TRUE(QFileInfo(stateTools.TempDir).isDir());
        EXPECT_FALSE(QFileInfo::exists("/vantrel-" + uid)) << "never at the filesystem root";
        EXPECT_TRUE(prompts.shown().empty());
        for (const QString& tool : {stateTools.FfmpegExe, stateTools.MediaInfoExe})
            EXPECT_TRUE(tool.isEmpty() || QFileInfo(tool).isAbsolute()) << tool.toStdString();
        if (row.tempUnderTmp)
            continue; // the probe's files are not put in the real /tmp

        QueueModel queue;
        TFindFile finder;
        QueueActions actions(state, stateTools, queue, finder);
        QStringList reasons;
        QObject::connect(&actions, &QueueActions::addsEnded, [&](const QList<AddOutcome>& notQueued) {
            for (const AddOutcome& o : notQueued)
                reasons << o.reason;
        });
        RunGuarded([&] { actions.AddFlvFile(clip); });
        ASSERT_TRUE(QTest::qWaitFor([&] { return !actions.isAdding(); }, 60000));
        if (row.addError) {
            ASSERT_EQ(reasons.size(), 1);
            EXPECT_TRUE(reasons.first().contains(QLatin1String(row.addError))) << reasons.first().toStdString();
            EXPECT_TRUE(reasons.first().contains("\"mediainfo\""));
            EXPECT_EQ(queue.count(), 0);
            continue;
        }
        ASSERT_EQ(queue.count(), 1) << (prompts.shown().empty() ? "" : prompts.shown().front().text.toStdString());
        EXPECT_EQ(queue.seconds(0), 2);

        state.WorkDir = out;
        ConversionRun run(state, stateTools, queue);
        RunGuarded([&] { run.Begin(ConversionProfile::DivxAvi); });
        ASSERT_TRUE(QTest::qWaitFor([&] { return !run.busy(); }, 60000));
        if (row.failReason) {
            EXPECT_EQ(queue.state(0), RowState::Failed);
            EXPECT_TRUE(queue.failureDetail(0).startsWith("The program \"ffmpeg\" (" + stateTools.FfmpegExe + ")"))
                << queue.failureDetail(0).toStdString();
            EXPECT_TRUE(queue.failureDetail(0).contains(QLatin1String(row.failReason)))
                << queue.failureDetail(0).toStdString();
        } else {
            EXPECT_EQ(queue.state(0), RowState::Done) << queue.failureDetail(0).toStdString();
            EXPECT_TRUE(QFileInfo(out + "/clip.avi").size() > 0);
        }
        EXPECT_FALSE(QFileInfo::exists(s.root() + "/ran")) << "a tool in the current folder ran";
        EXPECT_TRUE(prompts.shown().empty());
    }
}

} // namespace
