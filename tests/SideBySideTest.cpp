#include "app/Main.h"
#include "model/QueueModel.h"
#include "platform/Folders.h"
#include "platform/Prompt.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <memory>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr int Patience = 180000; // ms; only a hang ever waits this long
constexpr int Clips = 12;

QStringList MakeClips(const QString& folder, const QString& stem, int count)
{
    QDir().mkpath(folder);
    QStringList clips;
    for (int i = 1; i <= count; ++i) {
        clips << folder + QStringLiteral("/%1%2.flv").arg(stem).arg(i, 2, 10, QLatin1Char('0'));
        MakeFlv(clips.constLast());
    }
    return clips;
}

// mediainfo's own reading of a file: its format and length in milliseconds.
QString Reading(const QString& path)
{
    QProcess mediainfo;
    mediainfo.start(QStringLiteral("mediainfo"), {QStringLiteral("--Inform=General;%Format% %Duration%"), path});
    mediainfo.waitForFinished(60000);
    return QString::fromUtf8(mediainfo.readAllStandardOutput()).trimmed();
}

// Every clip converted once into out, as a whole AVI, and nothing else there.
void ExpectAllConverted(const QStringList& clips, const QString& out, const QString& printed)
{
    QStringList expected;
    for (const QString& clip : clips) {
        expected << QFileInfo(clip).completeBaseName() + QStringLiteral(".avi");
        EXPECT_TRUE(printed.contains(QStringLiteral("Done\t%1\t%2/%3").arg(clip, out, expected.constLast())))
            << clip.toStdString();
    }
    expected.sort();
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
    for (const QString& name : expected) {
        const QStringList reading = Reading(out + QLatin1Char('/') + name).split(QLatin1Char(' '));
        ASSERT_EQ(reading.size(), 2) << name.toStdString();
        EXPECT_EQ(reading.at(0), QStringLiteral("AVI")) << name.toStdString();
        EXPECT_GE(reading.at(1).toInt(), 900) << name.toStdString();
    }
}

struct FrontEnd
{
    FrontEnd(const QString& program, const QStringList& arguments)
    {
        process.start(program, arguments);
        process.waitForStarted(Patience);
    }
    // Its exit code, or -1 when it did not end normally.
    int end()
    {
        if (!process.waitForFinished(Patience) || process.exitStatus() != QProcess::NormalExit)
            return -1;
        return process.exitCode();
    }
    QString printed() { return QString::fromLocal8Bit(process.readAllStandardOutput()); }
    QProcess process;
};

// Copies side by side, of the front end and of the window, each measuring its
// files while others measure theirs.
TEST(SideBySide, CopiesAtOnceEachConvertEveryFileOnce)
{
    struct Row
    {
        const char* what;
        std::function<void(const QString& root)> run;
    };
    const QString vantrel = BinPath(QStringLiteral("vantrel"));
    const Row rows[] = {
        {"the README's recipe: xargs -P 4 on one folder, one output",
         [&](const QString& root) {
             const QStringList clips = MakeClips(root + QStringLiteral("/clips"), QStringLiteral("clip "), Clips);
             const QString out = root + QStringLiteral("/avi");
             QDir().mkpath(out);
             FrontEnd xargs(QStringLiteral("sh"),
                            {QStringLiteral("-c"),
                             QStringLiteral("find \"$1\" -name '*.flv' -print0 | "
                                            "xargs -0 -n 1 -P 4 \"$3\" --convert-to divx --outdir \"$2\""),
                             QStringLiteral("sh"), root + QStringLiteral("/clips"), out, vantrel});
             EXPECT_EQ(xargs.end(), 0);
             ExpectAllConverted(clips, out, xargs.printed());
         }},
        {"four front ends on four folders into four outputs",
         [&](const QString& root) {
             std::vector<std::unique_ptr<FrontEnd>> copies;
             std::vector<QStringList> clips;
             for (int i = 0; i < 4; ++i)
                 clips.push_back(MakeClips(root + QStringLiteral("/in%1").arg(i), QStringLiteral("c"), Clips / 4));
             for (int i = 0; i < 4; ++i) {
                 QDir().mkpath(root + QStringLiteral("/out%1").arg(i));
                 copies.push_back(std::make_unique<FrontEnd>(
                     vantrel,
                     QStringList{QStringLiteral("--convert-to"), QStringLiteral("divx"), QStringLiteral("--outdir"),
                                 root + QStringLiteral("/out%1").arg(i), root + QStringLiteral("/in%1").arg(i)}));
             }
             for (int i = 0; i < 4; ++i) {
                 EXPECT_EQ(copies[i]->end(), 0) << i;
                 ExpectAllConverted(clips[i], root + QStringLiteral("/out%1").arg(i), copies[i]->printed());
             }
         }},
        {"the window adds a folder while a front end converts another",
         [&](const QString& root) {
             const QStringList converted = MakeClips(root + QStringLiteral("/a"), QStringLiteral("a"), Clips);
             const QStringList added = MakeClips(root + QStringLiteral("/b"), QStringLiteral("b"), Clips);
             const QString out = root + QStringLiteral("/avi");
             QDir().mkpath(out);
             Prompt::Script prompts;
             TfrmMain frm;
             FrontEnd copy(vantrel,
                           {QStringLiteral("--convert-to"), QStringLiteral("divx"), QStringLiteral("--jobs"),
                            QStringLiteral("4"), QStringLiteral("--outdir"), out, root + QStringLiteral("/a")});
             frm.session().settings().Jobs = 4;
             frm.AddFolder(root + QStringLiteral("/b"));
             ASSERT_TRUE(QTest::qWaitFor([&] { return !frm.AddingFiles(); }, Patience));
             EXPECT_TRUE(prompts.shown().empty()) << prompts.shown().front().text.toStdString();
             ASSERT_EQ(frm.queue().count(), Clips);
             for (int row = 0; row < Clips; ++row) {
                 EXPECT_EQ(frm.queue().path(row), added.at(row));
                 EXPECT_EQ(frm.queue().seconds(row), 2); // mediainfo counts the one-second clip so
             }
             EXPECT_EQ(copy.end(), 0);
             ExpectAllConverted(converted, out, copy.printed());
         }},
        {"the window's DivX AVI, pressed while a folder is measured, converts every file of it",
         [&](const QString& root) {
             const QStringList clips = MakeClips(root + QStringLiteral("/c"), QStringLiteral("c"), Clips);
             const QString out = root + QStringLiteral("/avi");
             QDir().mkpath(out);
             Prompt::Script prompts;
             TfrmMain frm;
             frm.session().settings().Jobs = 2;
             frm.session().settings().WorkDir = out;
             bool startedWhileMeasuring = false;
             QObject::connect(&frm.conversion(), &ConversionRun::rowStarted, &frm,
                              [&] { startedWhileMeasuring = startedWhileMeasuring || frm.AddingFiles(); });
             frm.AddFolder(root + QStringLiteral("/c"));
             ASSERT_TRUE(frm.AddingFiles());
             frm.EzRgnBtn3Click();
             ASSERT_TRUE(QTest::qWaitFor([&] { return !frm.AddingFiles() && !frm.session().busy(); }, Patience));
             EXPECT_TRUE(startedWhileMeasuring);
             EXPECT_TRUE(prompts.shown().empty()) << prompts.shown().front().text.toStdString();
             QString printed;
             for (int row = 0; row < frm.queue().count(); ++row)
                 printed += QStringLiteral("%1\t%2\t%3\n")
                                .arg(frm.queue().progress(row), frm.queue().path(row), frm.queue().output(row));
             ExpectAllConverted(clips, out, printed);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        FreshHome home;
        row.run(home.root());
        EXPECT_TRUE(QDir(Folders::PrivateTempDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty())
            << "a copy left its probe folder";
    }
}

TEST(SideBySide, AStartRemovesTheProbeFoldersOfEndedCopiesOnly)
{
    FreshHome home;
    const QString temp = Folders::PrivateTempDir();
    // One left by a copy that was killed; one of a copy that runs (the lock is
    // what tells them apart, so this process holding it stands in for one).
    for (const char* folder : {"probe-ended", "probe-runs"}) {
        QDir().mkpath(temp + QLatin1String(folder));
        QFile file(temp + QLatin1String(folder) + QStringLiteral("/open.bat"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const int running
        = ::open(QFile::encodeName(temp + QStringLiteral("probe-runs")).constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(running, 0);
    ASSERT_EQ(::flock(running, LOCK_EX | LOCK_NB), 0);

    const QStringList clips = MakeClips(home.root() + QStringLiteral("/clips"), QStringLiteral("clip"), 1);
    const QString out = home.root() + QStringLiteral("/avi");
    QDir().mkpath(out);
    FrontEnd copy(BinPath(QStringLiteral("vantrel")), {QStringLiteral("--convert-to"), QStringLiteral("xvid"),
                                                       QStringLiteral("--outdir"), out, clips.first()});
    EXPECT_EQ(copy.end(), 0);
    ExpectAllConverted(clips, out, copy.printed());

    EXPECT_EQ(QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"probe-runs"});
    EXPECT_TRUE(QFile::exists(temp + QStringLiteral("probe-runs/open.bat")));
    ::close(running);
}

} // namespace
