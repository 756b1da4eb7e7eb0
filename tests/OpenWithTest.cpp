#include "app/Main.h"
#include "app/instance/MainInstance.h"
#include "model/QueueModel.h"
#include "platform/Prompt.h"
#include "queue/QueueActions.h"
#include "support/QtPrinters.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int Patience = 120000; // ms; only a hang ever waits this long

QStringList QueuedPaths(QueueModel& queue)
{
    return queue.PathList();
}

TEST(GivenPaths, TravelAsAListAndAreMadeAbsolute)
{
    struct Case
    {
        const char* what;
        QStringList paths;
    };
    QStringList many;
    for (int i = 0; i < 200; ++i)
        many << QStringLiteral("/media/clip %1.flv").arg(i);
    const Case cases[] = {
        {"blanks and quotes", {"/a b/c \"d\".flv", "/it's.flv", "/x  y.flv "}},
        {"newline, tab, carriage return", {"/x\ny.flv", "/t\tz.flv", "/cr\r.flv"}},
        {"not ASCII", {QStringLiteral("/映画/Überspielung.flv")}},
        {"200 at once", many},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TMainInstance::DecodePaths(TMainInstance::EncodePaths(c.paths)), c.paths) << c.what;

    // Bytes that are not a whole list give no paths rather than wrong ones.
    const QByteArray whole = TMainInstance::EncodePaths({"/a.flv", "/b.flv"});
    EXPECT_TRUE(TMainInstance::DecodePaths(whole.chopped(1)).isEmpty());
    EXPECT_TRUE(TMainInstance::DecodePaths(whole + 'x').isEmpty());
    EXPECT_TRUE(TMainInstance::DecodePaths(QByteArray("\xff\xff\xff\xff", 4)).isEmpty()) << "a length past the end";
    EXPECT_EQ(TMainInstance::DecodePaths(TMainInstance::EncodePaths({""})), QStringList{""});

    QTemporaryDir dir;
    const QString current = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const QString here = QDir::currentPath(); // the folder as the system names it
    EXPECT_EQ(TMainInstance::GivenPaths({"a.flv", "", "sub/../b c.flv", "/abs/d.flv", "dir/"}),
              (QStringList{here + "/a.flv", here + "/b c.flv", "/abs/d.flv", here + "/dir"}));
    QDir::setCurrent(current);
}

class OpenWith : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_clips = std::make_unique<QTemporaryDir>();
        MakeFlv(s_clips->filePath("clip.flv"), 1.0);
    }
    static void TearDownTestSuite() { s_clips.reset(); }

    void SetUp() override { ASSERT_TRUE(QDir().mkpath(media + QStringLiteral("/dir"))); }

    QString clip(const QString& name)
    {
        const QString path = media + QLatin1Char('/') + name;
        EXPECT_TRUE(QFile::copy(s_clips->filePath("clip.flv"), path)) << path.toStdString();
        return path;
    }

    // Waits until the window has taken every path it was given.
    static bool settled(TfrmMain& frm, QueueModel& queue, int rows)
    {
        return QTest::qWaitFor([&] { return queue.count() >= rows && !frm.AddingFiles(); }, Patience);
    }

    static inline std::unique_ptr<QTemporaryDir> s_clips;
    FreshHome home;
    Prompt::Script prompts;
    QString media = home.root() + QStringLiteral("/media");
};

TEST_F(OpenWith, GivenPathsAreQueuedAtFirstStartAndWhenALaterCopyForwardsThem)
{
    struct Case
    {
        const char* what;
        QStringList arguments; // relative to the media folder, as a file manager might give them
        QStringList queued;    // under the media folder
        QStringList told;      // "path: reason" under the media folder, in one message
    };
    QStringList many;
    for (int i = 0; i < 200; ++i)
        many << QStringLiteral("many/f%1.flv").arg(i, 3, 10, QLatin1Char('0'));
    const Case cases[] = {
        // Files in the order given, a folder's files by name, names with a
        // quote or a newline too; a path that does not exist or is no video is
        // told with its reason in one message, and the rest still queue.
        {"files, folders and bad paths",
         {"b b.flv", "dir", "missing.flv", "q\"x.flv", "n\nl.flv", "notes.txt", "a.flv"},
         {"b b.flv", "dir/1.flv", "dir/2.flv", "q\"x.flv", "n\nl.flv", "a.flv"},
         {"missing.flv: there is no such file or folder", "notes.txt: " + QueueActions::NoPlayingTimeText()}},
        {"200 paths at once", many, many, {}},
        {"only missing paths",
         {"gone1.flv", "gone2.flv"},
         {},
         {"gone1.flv: there is no such file or folder", "gone2.flv: there is no such file or folder"}},
    };
    for (const char* name : {"b b.flv", "dir/2.flv", "dir/1.flv", "q\"x.flv", "n\nl.flv", "a.flv"})
        clip(QString::fromUtf8(name));
    QFile notes(media + QStringLiteral("/notes.txt"));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("not a video\n");
    notes.close();
    ASSERT_TRUE(QDir().mkpath(media + QStringLiteral("/many")));
    for (const QString& name : many)
        ASSERT_TRUE(QFile::link(s_clips->filePath("clip.flv"), media + QLatin1Char('/') + name));

    const QString current = QDir::currentPath();
    for (const Case& c : cases) {
        QStringList expected;
        for (const QString& name : c.queued)
            expected << media + QLatin1Char('/') + name;
        // One message naming each path not queued, with its reason, and no error box.
        const auto toldOnce = [&] {
            if (c.told.isEmpty())
                return prompts.shown().empty();
            if (!QTest::qWaitFor([&] { return !prompts.texts(Prompt::Kind::Message).isEmpty(); }, Patience))
                return false;
            const QStringList messages = prompts.texts(Prompt::Kind::Message);
            bool all = messages.size() == 1 && prompts.texts(Prompt::Kind::Error).isEmpty();
            for (const QString& line : c.told)
                all = all && messages[0].contains(media + QLatin1Char('/') + line);
            return all;
        };

        {
            SCOPED_TRACE(std::string("first start: ") + c.what);
            prompts.clear();
            TfrmMain frm;
            // What main() does with its own arguments.
            ASSERT_TRUE(QDir::setCurrent(media));
            frm.OpenPaths(TMainInstance::GivenPaths(c.arguments));
            QDir::setCurrent(current);
            EXPECT_TRUE(frm.queue().count() == 0) << "queued only once the event loop runs";
            EXPECT_TRUE(settled(frm, frm.queue(), expected.size()));
            EXPECT_EQ(QueuedPaths(frm.queue()), expected);
            EXPECT_TRUE(toldOnce()) << prompts.texts(Prompt::Kind::Message).join('|').toStdString();
        }
        {
            SCOPED_TRACE(std::string("forwarded: ") + c.what);
            prompts.clear();
            TMainInstance::setEnabled(true);
            TfrmMain first;
            TMainInstance::setEnabled(false);
            ASSERT_TRUE(first.MainInstance1->isListening());

            QProcess later;
            later.setWorkingDirectory(media);
            later.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            later.start(BinPath(QStringLiteral("vantrel")), c.arguments);
            ASSERT_TRUE(QTest::qWaitFor([&] { return later.state() == QProcess::NotRunning; }, Patience));
            EXPECT_EQ(later.exitCode(), 0);
            EXPECT_TRUE(settled(first, first.queue(), expected.size()));
            EXPECT_EQ(QueuedPaths(first.queue()), expected);
            EXPECT_TRUE(toldOnce()) << prompts.texts(Prompt::Kind::Message).join('|').toStdString();
        }
    }
}

TEST_F(OpenWith, PathsWaitForAProbeAndAreQueuedWhileBusy)
{
    const QString a = clip(QStringLiteral("a.flv"));
    const QString b = clip(QStringLiteral("b.flv"));
    const QString c = clip(QStringLiteral("c.flv"));
    TfrmMain frm;

    // Arriving while Add FLV File probes a: held, then queued after it.
    bool probing = false;
    QTimer::singleShot(0, &frm, [&] {
        probing = frm.AddingFiles();
        frm.OpenPaths({b});
    });
    frm.AddFlvFile(a);
    EXPECT_TRUE(settled(frm, frm.queue(), 2));
    EXPECT_TRUE(probing) << "the paths did not arrive during the probe";
    EXPECT_EQ(QueuedPaths(frm.queue()), (QStringList{a, b}));

    // While a conversion runs the buttons' actions do nothing, but given paths queue.
    ASSERT_TRUE(StartWaitingRun(frm, QFileInfo(a).path()));
    frm.AddFlvFile(a);
    frm.OpenPaths({c});
    EXPECT_TRUE(settled(frm, frm.queue(), 3));
    EXPECT_EQ(QueuedPaths(frm.queue()), (QStringList{a, b, c}));
    EXPECT_EQ(frm.queue().progress(2), QStringLiteral("Pending"));
    EXPECT_TRUE(prompts.shown().empty());
}

} // namespace
