#include "app/KeptQueueOffer.h"
#include "app/Main.h"
#include "core/QueueKeeper.h"
#include "core/Session.h"
#include "model/KeptQueue.h"
#include "model/QueueModel.h"
#include "platform/NativePath.h"
#include "platform/Prompt.h"
#include "support/OwnTmpfs.h"
#include "support/QtPrinters.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A file in a private folder, as the program makes them.
void Put(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    ::chmod(QFile::encodeName(QFileInfo(path).path()).constData(), 0700);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// A session with its queue keeper, as the window has them, and every trouble
// the keeper tells once it is made.
struct KeptSession
{
    Prompt::Script prompts;
    Session session;
    QueueKeeper keeper{session.queue(), session.actions()};
    QStringList told;

    KeptSession()
    {
        QObject::connect(&keeper, &QueueKeeper::trouble, [this](const QString& text) { told << text; });
    }
};

// The file format alone: what is kept comes back as it was, byte for byte in
// its names; anything the writer never makes is refused whole, with the reason.
TEST(KeptQueueFile, KeepsEveryStateAndNameAndRefusesWhatItNeverWrote)
{
    const std::vector<KeptRow> rows{
        {QStringLiteral("/clips/a.flv"), RowState::Pending, {}},
        {QStringLiteral("/clips/b.flv"), RowState::Converting, {}},
        {QStringLiteral("/clips/c.flv"), RowState::Failed, QStringLiteral("Stopped")},
        // Every byte a name may hold: stray Latin-1, a tab, a line break, a backslash.
        {NativePath::Decode("/clips/caf\xE9\t\\n\n\r\\.flv"), RowState::Failed,
         QStringLiteral("ffmpeg ended with code 1\nInvalid data\tfound")},
    };
    const QByteArray saved = KeptQueue::Encode(rows);
    EXPECT_EQ(saved.count('\n'), 5) << "one line a row, below the heading";
    const KeptQueue::Decoded back = KeptQueue::Decode(saved);
    EXPECT_EQ(back.refusal, QString());
    EXPECT_TRUE(back.rows == rows);
    EXPECT_EQ(NativePath::Encode(back.rows[3].path), QByteArray("/clips/caf\xE9\t\\n\n\r\\.flv"));

    const struct
    {
        const char* name;
        QByteArray bytes;
        const char* refusal; // empty: read, with `count` rows
        size_t count;
    } cases[] = {
        {"an empty list", "Vantrel queue 1\n", "", 0},
        {"cut short", saved.left(saved.size() - 3), "it is damaged at line 1", 0},
        {"no heading", "pending\t/a.flv\t\n", "it is damaged at line 1", 0},
        {"nothing at all", "", "it is damaged at line 1", 0},
        {"a version that is no number", "Vantrel queue x\n", "it is damaged at line 1", 0},
        {"a newer version", "Vantrel queue 2\npending\t/a.flv\t\nwhatever 2 holds\n",
         "it was written by a newer version of Vantrel", 0},
        {"an unknown state", "Vantrel queue 1\npending\t/a.flv\t\ndone\t/b.flv\t\n", "it is damaged at line 3", 0},
        {"a field missing", "Vantrel queue 1\npending\t/a.flv\n", "it is damaged at line 2", 0},
        {"an escape never written", "Vantrel queue 1\npending\t/a\\x.flv\t\n", "it is damaged at line 2", 0},
        {"an escape cut off", "Vantrel queue 1\npending\t/a.flv\\\t\n", "it is damaged at line 2", 0},
        {"no path", "Vantrel queue 1\nfailed\t\tStopped\n", "it is damaged at line 2", 0},
        {"enormous", "Vantrel queue 1\n" + QByteArray(KeptQueue::MostBytes, 'x'),
         "it is larger than any queue Vantrel writes", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const KeptQueue::Decoded decoded = KeptQueue::Decode(c.bytes);
        EXPECT_EQ(decoded.refusal, QString::fromLatin1(c.refusal));
        EXPECT_EQ(decoded.rows.size(), c.count);
    }

    // Only the rows not "Done" are kept.
    QueueModel queue;
    queue.append(QStringLiteral("/clips/a.flv"), 2);
    queue.append(QStringLiteral("/clips/b.flv"), 2);
    queue.append(QStringLiteral("/clips/c.flv"), 2);
    queue.setState(0, RowState::Done);
    queue.setState(1, RowState::Converting, 40);
    queue.setState(2, RowState::Failed);
    queue.setFailureDetail(2, QStringLiteral("Stopped"));
    EXPECT_TRUE(
        KeptQueue::RowsOf(queue)
        == (std::vector<KeptRow>{{QStringLiteral("/clips/b.flv"), RowState::Converting, {}},
                                 {QStringLiteral("/clips/c.flv"), RowState::Failed, QStringLiteral("Stopped")}}));
}

// What the next start finds in the state folder and what the window makes of
// it: the question once, the files queued through the add account, a file it
// cannot use told once and renamed aside, untouched.
TEST(KeptQueueAtStart, OffersTheFilesBackOrSetsTheListAside)
{
    struct Case
    {
        const char* name;
        std::function<QByteArray(const QString& media)> file;
        bool answer;
        const char* question; // empty: none asked
        QStringList rows;     // name and state of each row afterwards
        const char* told;     // a message's beginning; empty: none
        bool setAside;
    };
    const auto kept = [](std::vector<KeptRow> rows) {
        return [rows](const QString& media) {
            std::vector<KeptRow> at = rows;
            for (KeptRow& row : at)
                row.path = media + QLatin1Char('/') + row.path;
            return KeptQueue::Encode(at);
        };
    };
    const Case cases[] = {
        {"saved states",
         kept({{"a.flv", RowState::Pending, {}},
               {"b.flv", RowState::Converting, {}},
               {"c.flv", RowState::Failed, "Stopped"}}),
         true,
         "3 files were not converted when Vantrel last closed. Queue them again?",
         {"a Pending", "b Pending", "c Failed Stopped"},
         "",
         false},
        {"a name that is not UTF-8",
         kept({{NativePath::Decode("caf\xE9.flv"), RowState::Pending, {}}}),
         true,
         "1 file was not converted when Vantrel last closed. Queue it again?",
         {"caf\u00E9 Pending"},
         "",
         false},
        {"a source gone since",
         kept({{"a.flv", RowState::Pending, {}}, {"gone.flv", RowState::Pending, {}}}),
         true,
         "2 files were not converted when Vantrel last closed. Queue them again?",
         {"a Pending"},
         "This was not added to the list:",
         false},
        {"answered No",
         kept({{"a.flv", RowState::Pending, {}}}),
         false,
         "1 file was not converted when Vantrel last closed. Queue it again?",
         {},
         "",
         false},
        {"damaged",
         [](const QString&) {
             return QByteArray("\x7F"
                               "ELF\x02\x01\x01\0\0\0",
                               10);
         },
         true,
         "",
         {},
         "The list of files left from the last time cannot be used: it is damaged at line 1. It was renamed to",
         true},
        {"from a newer version",
         [](const QString&) { return QByteArray("Vantrel queue 7\n"); },
         true,
         "",
         {},
         "The list of files left from the last time cannot be used: it was written by a newer version",
         true},
        {"enormous",
         [](const QString&) { return QByteArray(KeptQueue::MostBytes + 1, '\n'); },
         true,
         "",
         {},
         "The list of files left from the last time cannot be used: it is larger than",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FreshHome home;
        const QString media = home.root() + QStringLiteral("/media");
        QDir().mkpath(media);
        for (const char* name : {"a.flv", "b.flv", "c.flv"})
            MakeFlv(media + QLatin1Char('/') + QLatin1String(name));
        ASSERT_EQ(::link(QFile::encodeName(media + "/a.flv").constData(),
                         (QFile::encodeName(media) + "/caf\xE9.flv").constData()),
                  0);
        const QString file = home.state() + QStringLiteral("/vantrel/queue");
        const QByteArray before = c.file(media);
        Put(file, before);

        Prompt::Script prompts;
        prompts.answerQuestion(c.answer);
        TfrmMain frm;
        frm.OfferKeptQueue();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !frm.AddingFiles(); }, 120000));
        QCoreApplication::processEvents();

        EXPECT_EQ(prompts.texts(Prompt::Kind::Question),
                  *c.question ? QStringList{QString::fromUtf8(c.question)} : QStringList{});
        QStringList rows;
        for (int row = 0; row < frm.queue().count(); ++row) {
            rows << (frm.queue().cell(row, QueueModel::ColFileName) + QLatin1Char(' ') + frm.queue().progress(row)
                     + (frm.queue().failureDetail(row).isEmpty() ? QString() : " " + frm.queue().failureDetail(row)))
                        .trimmed();
        }
        EXPECT_EQ(rows, c.rows);
        const QStringList told = prompts.texts(Prompt::Kind::Message);
        if (*c.told) {
            ASSERT_EQ(told.size(), 1) << told.join('\n').toStdString();
            EXPECT_TRUE(told[0].startsWith(QString::fromUtf8(c.told))) << told[0].toStdString();
        } else {
            EXPECT_EQ(told, QStringList{});
        }
        // A file it cannot use is kept aside as it was; the file now holds the queue the window shows.
        EXPECT_EQ(Bytes(file + QStringLiteral(".aside-1")), c.setAside ? before : QByteArray());
        frm.session().End();
        QTest::qWait(400);
        const KeptQueue::Decoded now = KeptQueue::Decode(Bytes(file));
        EXPECT_EQ(QFile::exists(file), !c.rows.isEmpty());
        EXPECT_EQ(now.rows.size(), static_cast<size_t>(c.rows.size()));
        EXPECT_EQ(QFileInfo(file).permissions() & 0x0077, 0) << "nobody else reads it";
    }
}

// A state folder the program must not trust, or cannot write: told once over
// many changes, nothing written anywhere else, the window's rows untouched.
TEST(KeptQueueAtStart, AStateFolderItCannotTrustOrWriteIsToldOnce)
{
    struct Case
    {
        const char* name;
        std::function<void(const QString& folder, const QString& elsewhere)> prepare; // as the user
        const char* told;
    };
    const Case cases[] = {
        {"a link", [](const QString& folder, const QString& elsewhere) { QFile::link(elsewhere, folder); },
         "it is a link or no folder"},
        {"open to the group",
         [](const QString& folder, const QString&) {
             QDir().mkpath(folder);
             ::chmod(QFile::encodeName(folder).constData(), 0770);
         },
         "is open to other users"},
        {"read-only",
         [](const QString& folder, const QString&) {
             QDir().mkpath(folder);
             ::chmod(QFile::encodeName(folder).constData(), 0500);
         },
         "Permission denied"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FreshHome home;
        const QString folder = home.state() + QStringLiteral("/vantrel");
        const QString elsewhere = home.root() + QStringLiteral("/elsewhere");
        QDir().mkpath(home.state());
        QDir().mkpath(elsewhere);
        RunUnprivileged(home, [&] {
            c.prepare(folder, elsewhere);
            KeptSession kept;
            auto& [prompts, session, keeper, told] = kept;
            told << keeper.Take().trouble;
            keeper.Keep();
            for (int i = 0; i < 3; ++i) {
                session.queue().append(QStringLiteral("/clips/%1.flv").arg(i), 2);
                QTest::qWait(300);
            }
            keeper.Flush();
            told.removeAll(QString());
            if (told.size() != 1 || !told[0].contains(QString::fromLatin1(c.told))) {
                std::fprintf(stderr, "told: %s\n", qPrintable(told.join(QLatin1Char('\n'))));
                std::fflush(stderr);
                return 1;
            }
            if (session.queue().count() != 3)
                return 2;
            if (!QDir(elsewhere).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
                return 3;
            return 0;
        });
        ::chmod(QFile::encodeName(folder).constData(), 0700);
    }

    // Another user's folder, outside the home that is handed to the user.
    if (::geteuid() != 0)
        return;
    FreshHome home;
    QTemporaryDir others(QStringLiteral("/tmp/vantrel-others-XXXXXX")); // outside the home handed over
    ::chmod(QFile::encodeName(others.path()).constData(), 0755);
    const QString folder = others.path() + QStringLiteral("/vantrel");
    ASSERT_TRUE(QDir().mkdir(folder));
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    RunUnprivileged(home, [&] {
        qputenv("XDG_STATE_HOME", QFile::encodeName(others.path()));
        KeptSession kept;
        auto& [prompts, session, keeper, told] = kept;
        told << keeper.Take().trouble;
        session.queue().append(QStringLiteral("/clips/a.flv"), 2);
        keeper.Keep();
        told.removeAll(QString());
        return told.size() == 1 && told[0].contains(QLatin1String("belongs to another user")) ? 0 : 1;
    });
    EXPECT_TRUE(QDir(folder).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

// A full disk mid-run: told once, and the file holds the last queue that fit, never a part of one.
TEST(KeptQueueAtStart, AFullDiskKeepsTheLastWholeList)
{
    FreshHome home;
    const QString folder = home.state() + QStringLiteral("/vantrel");
    QDir().mkpath(folder);
    const OwnTmpfsRun ran = RunOnOwnTmpfs(folder, 8 * 1024, [&] {
        ::chmod(QFile::encodeName(folder).constData(), 0700);
        KeptSession kept;
        auto& [prompts, session, keeper, told] = kept;
        EXPECT_EQ(keeper.Take().trouble, QString());
        keeper.Keep();
        session.queue().append(QStringLiteral("/clips/first.flv"), 2);
        keeper.Flush();
        QTest::qWait(300);
        const QByteArray fitted = Bytes(folder + QStringLiteral("/queue"));
        ASSERT_EQ(KeptQueue::Decode(fitted).rows.size(), 1u);
        // Two copies of this list do not fit beside each other.
        const QString longName = QStringLiteral("/clips/") + QString(200, QLatin1Char('x'));
        for (int i = 0; i < 30; ++i) {
            session.queue().append(longName + QString::number(i), 2);
            QTest::qWait(10);
        }
        QTest::qWait(300);
        keeper.Flush();
        ASSERT_EQ(told.size(), 1);
        EXPECT_TRUE(told[0].contains(QLatin1String("No space left on device"))) << told[0].toStdString();
        EXPECT_EQ(Bytes(folder + QStringLiteral("/queue")), fitted);
        EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList{QStringLiteral("queue")});
        EXPECT_EQ(session.queue().count(), 31);
    });
    if (!ran.refused.isEmpty())
        GTEST_SKIP() << "no filesystem of its own can be mounted here: " << ran.refused.toStdString();
    EXPECT_EQ(ran.failure.toStdString(), "");
}

} // namespace
