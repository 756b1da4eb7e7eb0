#include "app/Main.h"
#include "core/StartUp.h"
#include "model/Settings.h"
#include "model/Tools.h"
#include "platform/Error.h"
#include "platform/Folders.h"
#include "platform/NativePath.h"
#include "platform/Prompt.h"
#include "queue/FindFile.h"
#include "queue/QueueActions.h"
#include "app/QueueCellDelegate.h"
#include "model/QueueModel.h"
#include "support/QtPrinters.h"
#include "support/TestEnv.h"
#include "support/WindowList.h"

#include <QDir>
#include <QMap>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <unistd.h>

namespace {

const QString Caption = QStringLiteral("Select Output Folder");

// A fresh home with a folder for media, and real FLV files to put in it.
class QueueFiles : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_clips = std::make_unique<QTemporaryDir>();
        MakeFlv(s_clips->filePath("clip.flv"), 1.0);
    }
    static void TearDownTestSuite() { s_clips.reset(); }

    FreshHome home;
    Prompt::Script prompts;
    QString media = home.root() + QStringLiteral("/media");

    void SetUp() override { QDir().mkpath(media); }

    // A real FLV under the given name, inside `folder` (media by default).
    QString clip(const QString& name, const QString& folder = {})
    {
        const QString path = (folder.isEmpty() ? media : folder) + QLatin1Char('/') + name;
        EXPECT_TRUE(QFile::copy(s_clips->filePath("clip.flv"), path)) << path.toStdString();
        return path;
    }

    // A real FLV under a name given as raw bytes, which need not be valid in
    // the system's encoding.
    void rawClip(const QByteArray& nativePath)
    {
        QFile source(s_clips->filePath("clip.flv"));
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        const QByteArray bytes = source.readAll();
        const int fd = ::open(nativePath.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        ASSERT_GE(fd, 0) << nativePath.constData();
        ASSERT_EQ(::write(fd, bytes.constData(), bytes.size()), bytes.size());
        ::close(fd);
    }

    QString junk(const QString& name, const QByteArray& bytes)
    {
        QFile f(media + QLatin1Char('/') + name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }

    static std::unique_ptr<QTemporaryDir> s_clips;
};

std::unique_ptr<QTemporaryDir> QueueFiles::s_clips;

// The queue's actions on the state and the rows alone, started as the program
// starts them; what the path boxes would show is recorded from the signals.
class Queue : public QueueFiles
{
protected:
    Queue()
    {
        finder.Filter = QStringLiteral("*.flv");
        finder.Recurse = false;
        StartUp::UsePrivateTempFolder(tools);
        StartUp::FindTools(tools);
        QObject::connect(&actions, &QueueActions::fileChosen, &actions, [this](const QString& p) { filesChosen << p; });
        QObject::connect(&actions, &QueueActions::folderChosen, &actions,
                         [this](const QString& f) { foldersChosen << f; });
        QObject::connect(&actions, &QueueActions::outputFolderStored, &actions,
                         [this](const QString& f) { foldersStored << f; });
        QObject::connect(&actions, &QueueActions::addsEnded, &actions, [this](const QList<AddOutcome>& outcomes) {
            ++addsTold;
            for (const AddOutcome& o : outcomes)
                notQueued << o.path + ": " + o.reason;
        });
    }

    Settings s;
    Tools tools;
    QueueModel q;
    TFindFile finder;
    QueueActions actions{s, tools, q, finder};
    QStringList filesChosen;   // Edit1
    QStringList foldersChosen; // Edit2
    QStringList foldersStored; // Edit4
    QStringList notQueued;     // "path: reason" of each file the adds passed over
    int addsTold = 0;          // times the adds ended with files passed over

    // As the window's Browse: what the action returns is told.
    void setOutputFolder(const QString& folder)
    {
        if (const QString told = actions.SetOutputFolder(folder); !told.isEmpty())
            Prompt::message(told);
    }

    // mediainfo as it is, but for the files whose names match the shell
    // pattern, for which it first runs `then` (ending there if that exits).
    void wrapMediaInfo(const char* pattern, const char* then)
    {
        const QString script = home.root() + QStringLiteral("/wrapped-mediainfo");
        QFile f(script);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("#!/bin/sh\ncase \"$*\" in ") + pattern + ") " + then + ";; esac\nexec '"
                + QFile::encodeName(tools.MediaInfoExe) + "' \"$@\"\n");
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
        tools.MediaInfoExe = script;
    }
    // For files named "mute" it writes no line at all, as it may for a file it cannot read.
    void muteMediaInfo() { wrapMediaInfo("*mute*", "exit 0"); }

    // As at the window's handler: an error ends in the error box.
    void guarded(const std::function<void()>& action) { RunGuarded(action); }
    // Each add returns at once; its files are measured meanwhile.
    void settle()
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !actions.isAdding(); }, 120000));
    }
    void addFile(const QString& path)
    {
        guarded([&] { actions.AddFlvFile(path); });
        settle();
    }
    void addFolder(const QString& folder)
    {
        guarded([&] { actions.AddFolder(folder); });
        settle();
    }

    void expectAligned()
    {
        EXPECT_EQ(q.PathList().size(), q.count());
        EXPECT_EQ(q.DurationList().size(), q.count());
    }
};

TEST_F(Queue, AddFlvFileProbesAndQueuesFilesWithOddNames)
{
    const QStringList names{"with blanks.flv",
                            "100% %PATH% off.flv",
                            "rock & roll.flv",
                            "a;b.flv",
                            "$HOME.flv",
                            "`id`.flv",
                            "it's.flv",
                            "ünïcödé ñame.flv",
                            "-leading-dash.flv",
                            "back\\slash.flv",
                            QString(196, QLatin1Char('x')) + ".flv",
                            "CLIP.FLV",
                            "my.clip.flv",
                            "say \"hi\".flv",
                            "two\nlines.flv",
                            "cr\r.flv"};
    QStringList paths;
    for (const QString& name : names) {
        const QString path = clip(name);
        paths << path;
        addFile(path);
        ASSERT_EQ(q.count(), names.indexOf(name) + 1) << name.toStdString();
        const int row = q.count() - 1;
        EXPECT_EQ(q.path(row), path);
        EXPECT_EQ(q.seconds(row), 2) << "1 s of video, plus one";
        // A line break shows as one, never breaking the row.
        EXPECT_EQ(q.cell(row, QueueModel::ColFileName), NamePart(name).replace("\n", "\\n").replace("\r", "\\r"));
        EXPECT_EQ(q.progress(row), "Pending");
    }
    EXPECT_EQ(filesChosen, paths);
    EXPECT_TRUE(prompts.shown().empty()) << prompts.shown().front().text.toStdString();

    EXPECT_EQ(q.count(), names.size());
    EXPECT_EQ(filesChosen, paths);
    expectAligned();

    // The same file twice gives two rows.
    addFile(q.path(0));
    EXPECT_EQ(q.count(), names.size() + 1);
    EXPECT_EQ(q.path(q.count() - 1), q.path(0));
    expectAligned();
}

TEST_F(Queue, ContentWithoutATimeIsPassedOverWithItsReasonNeverAnInvalidTime)
{
    QByteArray noise;
    for (int i = 0; i < 4096; ++i)
        noise += static_cast<char>((i * 31 + 7) % 256);
    for (const QString& path : {junk("empty.flv", {}), junk("noise.flv", noise)}) {
        addFile(path);
        EXPECT_EQ(notQueued, QStringList{path + ": " + QueueActions::NoPlayingTimeText()});
        notQueued.clear();
    }
    EXPECT_TRUE(filesChosen.isEmpty());
    EXPECT_EQ(q.count(), 0);

    const QString locked = clip("locked.flv");
    QFile::setPermissions(locked, QFileDevice::Permissions());
    addFile(locked);
    if (::geteuid() == 0) {
        EXPECT_EQ(q.count(), 1) << "root reads it all the same";
    } else {
        EXPECT_EQ(q.count(), 0);
        EXPECT_EQ(notQueued, QStringList{locked + ": permission denied"});
    }
    EXPECT_TRUE(prompts.shown().empty());
    expectAligned();
}

TEST_F(Queue, AddFolderQueuesInFinderOrderPastAFileWithoutAnswer)
{
    const QString folder = media + "/set";
    QDir().mkpath(folder + "/sub");
    QDir().mkpath(folder + "/old.flv");
    for (const char* name : {"a.flv", "B.FLV", "c.flv", ".hidden.flv", "notes.txt"})
        clip(QString::fromUtf8(name), folder);
    clip("bad mute.flv", folder);
    clip("deep.flv", folder + "/sub");
    muteMediaInfo();

    addFolder(folder);
    EXPECT_EQ(s.LastFolder, folder);
    EXPECT_EQ(foldersChosen, QStringList{folder});
    EXPECT_TRUE(filesChosen.isEmpty());

    const QStringList found = finder.Files;
    ASSERT_EQ(found.size(), 5) << "no subfolder, no folder named .flv, no other extension";
    const qsizetype bad = found.indexOf(folder + "/bad mute.flv");
    ASSERT_GE(bad, 0);
    QStringList queued = found;
    queued.removeAt(bad);
    EXPECT_EQ(q.PathList(), queued);
    EXPECT_EQ(q.DurationList(), QStringList(queued.size(), QStringLiteral("2")));
    EXPECT_EQ(notQueued, QStringList{found[bad] + ": " + QueueActions::NoPlayingTimeText()});
    expectAligned();
}

// Every good file of a folder is queued in the finder's order, whichever of
// its files are bad, with the same rows and outcomes one at a time and side
// by side; each bad file is told once, when the add ends, with its reason.
TEST_F(Queue, AddFolderQueuesEveryGoodFileAndTellsEachBadOneOnce)
{
    // Files of two lengths, so an answer given to the wrong file shows.
    const QString twoSeconds = home.root() + "/two.flv";
    MakeFlv(twoSeconds, 2.0);
    enum Bad { Junk, Empty };
    struct Case
    {
        const char* name;
        int files;
        std::map<int, Bad> bad; // where bad files stand in the folder's order
    };
    const Case cases[] = {
        {"the first two files bad", 5, {{0, Junk}, {1, Empty}}},
        {"fifty with bad files in the middle", 50, {{24, Empty}, {25, Junk}}},
        {"the last file bad", 6, {{5, Empty}}},
        {"every file bad", 3, {{0, Junk}, {1, Empty}, {2, Junk}}},
        {"all good", 8, {}},
    };
    const auto name = [](int i) { return QStringLiteral("f%1.flv").arg(i, 2, 10, QLatin1Char('0')); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = media + "/" + QString::number(&c - cases);
        QDir().mkpath(folder);
        QStringList good, told;
        for (int i = 0; i < c.files; ++i) {
            const auto bad = c.bad.find(i);
            const QString path = folder + "/" + name(i);
            if (bad == c.bad.end()) {
                ASSERT_TRUE(QFile::copy(i % 3 == 0 ? twoSeconds : s_clips->filePath("clip.flv"), path));
                good << path;
                continue;
            }
            QFile::copy(junk("junk.flv", bad->second == Junk ? "FLV\x01 not really" : ""), path);
            QFile::remove(media + "/junk.flv");
            told << path + ": " + QueueActions::NoPlayingTimeText();
        }
        for (const int jobs : {1, 3}) {
            SCOPED_TRACE(jobs);
            while (q.count() > 0)
                q.remove(0);
            notQueued.clear();
            addsTold = 0;
            s.Jobs = jobs;
            addFolder(folder);
            EXPECT_EQ(q.PathList(), good);
            for (int row = 0; row < q.count(); ++row)
                EXPECT_EQ(q.seconds(row), QFileInfo(q.path(row)).fileName().mid(1, 2).toInt() % 3 == 0 ? 3 : 2) << row;
            EXPECT_EQ(notQueued, told);
            EXPECT_EQ(addsTold, told.isEmpty() ? 0 : 1);
            EXPECT_TRUE(prompts.shown().empty());
            // Probes side by side leave nothing behind.
            EXPECT_EQ(QDir(tools.TempDir).entryList(QDir::Files | QDir::Hidden), QStringList{});
            expectAligned();
        }
    }
}

// Old archives name their files in Latin-1: every such file is measured and
// queued, and shown as its output will be named; a control character shows as
// an escape, never acting on the list.
TEST_F(Queue, NamesInAnyEncodingAreMeasuredAndQueued)
{
    struct Name
    {
        QByteArray bytes;
        QString shown;
    };
    const QList<Name> cases[] = {
        {{"a.flv", "a"}, {"caf\xE9.flv", "caf\u00e9"}, {"d.flv", "d"}},
        {{"\xE9t\xE9.flv", "\u00e9t\u00e9"}},
        {{"\xFF\xFE.flv", "\u00ff\u00fe"}, {"z.flv", "z"}},
        {{"\xE8\xA7\x86\xE9\xA2\x91\xE9mix.flv", "\u89c6\u9891\u00e9mix"},
         {"esc\x1B[31m\ttab\nlf\x9B.flv", "esc\\x1B[31m\\ttab\\nlf\\x9B"}},
    };
    for (const QList<Name>& names : cases) {
        const QString folder = media + "/" + QString::number(&names - cases);
        QDir().mkpath(folder);
        QMap<QString, QString> expected; // what each file's row shows, by its path's name
        for (const Name& name : names) {
            rawClip(QFile::encodeName(folder) + "/" + name.bytes);
            expected[NativePath::Decode(name.bytes)] = name.shown;
        }
        const int before = q.count();
        notQueued.clear();
        addFolder(folder);
        QMap<QString, QString> queued;
        for (int row = before; row < q.count(); ++row)
            queued[Folders::FileNamePart(q.path(row))] = q.cell(row, QueueModel::ColFileName);
        EXPECT_EQ(queued, expected);
        EXPECT_TRUE(prompts.shown().empty());
    }
    expectAligned();
}

TEST_F(Queue, FoldersWithoutFilesGoneOrBrokenLoseNothing)
{
    addFolder(clip("kept.flv").section('/', 0, -2));
    ASSERT_EQ(q.count(), 1);

    const QString nested = media + "/nested";
    QDir().mkpath(nested + "/inner");
    clip("only.flv", nested + "/inner");
    addFolder(nested);
    EXPECT_TRUE(notQueued.isEmpty()) << "a folder without FLV files shows nothing";
    EXPECT_EQ(s.LastFolder, nested);

    addFolder(media + "/vanished");
    EXPECT_EQ(notQueued, QStringList{media + "/vanished: the folder cannot be read"});
    EXPECT_EQ(foldersChosen.value(foldersChosen.size() - 1), media + "/vanished");
    notQueued.clear();

    const QString broken = media + "/broken";
    QDir().mkpath(broken);
    QFile::copy(junk("x.flv", "FLV\x01 not really"), broken + "/x.flv");
    addFolder(broken);
    EXPECT_EQ(notQueued, QStringList{broken + "/x.flv: " + QueueActions::NoPlayingTimeText()});
    EXPECT_TRUE(prompts.shown().empty());
    EXPECT_EQ(q.count(), 1);
    expectAligned();
}

TEST_F(Queue, MissingMediaInfoIsNamedWithItsPackage)
{
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(PathWithout({"mediainfo"}, home.root() + "/bin")));
    StartUp::FindTools(tools);
    qputenv("PATH", savedPath);
    ASSERT_EQ(tools.MediaInfoExe, "");

    addFile(clip("a.flv"));
    addFolder(media);
    ASSERT_EQ(notQueued.size(), 2);
    for (const QString& e : notQueued) {
        EXPECT_TRUE(e.contains("\"mediainfo\"")) << e.toStdString();
        EXPECT_TRUE(e.contains("install the package \"mediainfo\"")) << e.toStdString();
    }
    EXPECT_EQ(q.count(), 0);
}

// What a crash would lose is what is not in the list yet: the file being
// measured and every add that waits behind it, which the kept queue holds.
TEST_F(Queue, AddsWaitingBehindAMeasuredFileAreAccountedFor)
{
    const QString slow = clip("slow.flv");
    const QString later = clip("later.flv");
    wrapMediaInfo("*slow*", "sleep 2");
    int waitingTold = 0;
    QObject::connect(&actions, &QueueActions::waitingAdded, &actions, [&] { ++waitingTold; });

    const QString empty = media + QStringLiteral("/empty");
    QDir().mkpath(empty);

    actions.AddFlvFile(slow);
    actions.QueueIncoming({later, empty});
    EXPECT_EQ(actions.unaccounted(), (QStringList{slow, later, empty}));
    EXPECT_EQ(waitingTold, 1);
    settle();
    EXPECT_EQ(actions.unaccounted(), QStringList{});
    EXPECT_EQ(q.PathList(), (QStringList{slow, later}));
}

TEST_F(Queue, EveryActionIsInertWhileBusy)
{
    q.append(clip("a.flv"), 2);
    s.WorkDir = media + "/work";
    actions.setBusyCheck([] { return true; });

    addFile(media + "/a.flv");
    addFolder(media);
    setOutputFolder(media);

    EXPECT_TRUE(prompts.shown().empty());
    EXPECT_EQ(q.count(), 1);
    EXPECT_EQ(s.LastFolder, "");
    EXPECT_EQ(s.WorkDir, media + "/work");
    EXPECT_FALSE(QSettings(home.configFile(), QSettings::IniFormat).contains("WorkDir"));
    EXPECT_TRUE(filesChosen.isEmpty());
    EXPECT_TRUE(foldersChosen.isEmpty());
    EXPECT_TRUE(foldersStored.isEmpty());
}

TEST_F(Queue, SettingTheOutputFolderStoresItAtOnceAndLeavesTheStartFolder)
{
    const QString out = media + "/out";
    setOutputFolder(out);
    EXPECT_EQ(QSettings(home.configFile(), QSettings::IniFormat).value("WorkDir").toString(), out);
    EXPECT_EQ(foldersStored, QStringList{out});
    EXPECT_EQ(s.WorkDir, out);
    EXPECT_EQ(s.LastFolder, "");
    EXPECT_FALSE(QFileInfo::exists(out)) << "neither tested nor made";

    // A settings store that cannot be written: the folder is used for the
    // session, and the loss is told once, naming the file.
    QFile::remove(home.configFile());
    QDir().mkpath(home.configFile());
    setOutputFolder(media);
    setOutputFolder(out);
    EXPECT_EQ(s.WorkDir, out);
    EXPECT_EQ(foldersStored, (QStringList{out, media, out}));
    const QStringList told = prompts.texts(Prompt::Kind::Message);
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told.front().contains(home.configFile()) && told.front().endsWith("will not be remembered."))
        << told.front().toStdString();
}

// What only the window does: its buttons through their dialogs, the path
// boxes and the list's look; the list's clicks and keys only while busy.
QStringList QueuedNames(const QueueModel& queue)
{
    QStringList names;
    for (const QString& path : queue.PathList())
        names << QFileInfo(path).fileName();
    return names;
}

class QueueWindow : public QueueFiles, protected WindowList
{
protected:
    std::unique_ptr<TfrmMain> frm = std::make_unique<TfrmMain>();

    TfrmMain& window() override { return *frm; }
    void settle()
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !frm->AddingFiles(); }, 120000));
    }
};

TEST_F(QueueWindow, AddFlvFileButtonGoesThroughTheOpenDialog)
{
    const QString path = clip("a.flv");
    prompts.answerFile(path);
    frm->Button1Click();
    settle();
    EXPECT_EQ(prompts.texts(Prompt::Kind::OpenFile), QStringList{"FLV Files (*.flv)"});
    EXPECT_EQ(q().PathList(), QStringList{path});
    EXPECT_EQ(frm->Edit1->text(), path);
    frm->Button1Click(); // cancelled
    EXPECT_EQ(q().count(), 1);
    expectAligned();
}

TEST_F(QueueWindow, AddFolderButtonGoesThroughTheFolderDialog)
{
    const QString folder = media + "/set";
    QDir().mkpath(folder);
    const QString path = clip("a.flv", folder);
    prompts.answerFolder(folder);
    frm->Button2Click();
    settle();
    EXPECT_EQ(prompts.texts(Prompt::Kind::Folder), QStringList{Caption});
    EXPECT_EQ(frm->session().settings().LastFolder, folder);
    EXPECT_EQ(frm->Edit2->text(), folder);
    EXPECT_EQ(frm->Edit1->text(), "");
    EXPECT_EQ(frm->FindFile1->Files, QStringList{path});
    EXPECT_EQ(q().PathList(), QStringList{path});
    expectAligned();
}

// A folder whose first two files are bad: one message names both with their
// reasons, and the three good files are queued and converted.
TEST_F(QueueWindow, AFolderWithBadFilesFirstConvertsItsGoodFilesAfterOneMessage)
{
    const QString folder = media + "/set";
    QDir().mkpath(folder);
    const QString empty = junk("0-empty.flv", {});
    const QString damaged = junk("1-damaged.flv", "FLV\x01 not really");
    ASSERT_TRUE(QFile::rename(empty, folder + "/0-empty.flv"));
    ASSERT_TRUE(QFile::rename(damaged, folder + "/1-damaged.flv"));
    for (const char* name : {"2.flv", "3.flv", "4.flv"})
        clip(QString::fromLatin1(name), folder);
    frm->session().settings().WorkDir = media + "/out";
    QDir().mkpath(media + "/out");

    prompts.answerFolder(folder);
    frm->Button2Click();
    settle();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !prompts.texts(Prompt::Kind::Message).isEmpty(); }, 5000));
    const QStringList messages = prompts.texts(Prompt::Kind::Message);
    ASSERT_EQ(messages.size(), 1);
    for (const char* name : {"0-empty.flv", "1-damaged.flv"})
        EXPECT_TRUE(messages[0].contains(folder + "/" + name + ": " + QueueActions::NoPlayingTimeText()))
            << messages[0].toStdString();
    EXPECT_FALSE(messages[0].contains("valid time"));
    EXPECT_EQ(QueuedNames(q()), (QStringList{"2.flv", "3.flv", "4.flv"}));

    frm->EzRgnBtn3Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frm->session().busy(); }, 120000));
    for (int row = 0; row < q().count(); ++row)
        EXPECT_EQ(q().progress(row), "Done") << row;
    EXPECT_TRUE(prompts.texts(Prompt::Kind::Error).isEmpty());
}

TEST_F(QueueWindow, ButtonsListClicksAndKeysAreInertWhileBusy)
{
    q().append(clip("a.flv"), 2);
    frm->ListView1->selectionModel()->select(q().index(0, 0),
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ASSERT_TRUE(StartWaitingRun(*frm, media));
    prompts.answerFile(media + "/a.flv");
    prompts.answerFolder(media);
    prompts.answerFolder(media);
    const QString workDir = frm->session().settings().WorkDir;

    frm->Button1Click();
    frm->Button2Click();
    frm->Button3Click();
    frm->ListView1->setFocus();
    QTest::keyClick(frm->ListView1, Qt::Key_Delete);
    clickList(0, 430); // the DEL cell

    EXPECT_TRUE(prompts.shown().empty());
    EXPECT_EQ(q().count(), 1);
    EXPECT_EQ(frm->session().settings().LastFolder, "");
    EXPECT_EQ(frm->session().settings().WorkDir, workDir);
    EXPECT_EQ(frm->Edit1->text(), "");
    EXPECT_EQ(frm->Edit2->text(), "");
}

TEST_F(QueueWindow, BrowseButtonGoesThroughTheFolderDialogAndShowsTheOutputFolder)
{
    const QString out = media + "/out";
    prompts.answerFolder(out);
    frm->Button3Click();
    EXPECT_EQ(prompts.texts(Prompt::Kind::Folder), QStringList{Caption});
    EXPECT_EQ(QSettings(home.configFile(), QSettings::IniFormat).value("WorkDir").toString(), out);
    EXPECT_EQ(frm->Edit4->text(), out);
    EXPECT_EQ(frm->Edit3->text(), out);
    EXPECT_EQ(frm->session().settings().WorkDir, out);

    // A settings store that cannot be written: the folder is still used and
    // shown for this session, and the user is told it will not be remembered.
    QFile::remove(home.configFile());
    QDir().mkpath(home.configFile());
    prompts.answerFolder(media);
    frm->Button3Click();
    EXPECT_EQ(frm->Edit4->text(), media);
    EXPECT_EQ(frm->Edit3->text(), media);
    EXPECT_EQ(frm->session().settings().WorkDir, media);
    EXPECT_EQ(prompts.texts(Prompt::Kind::Message).size(), 1);
}

TEST_F(QueueWindow, PathBoxesOnlyDisplay)
{
    frm->AddFlvFile(clip("a.flv"));
    settle();
    for (QLineEdit* edit : {frm->Edit1, frm->Edit2, frm->Edit3}) {
        const QString before = edit->text();
        edit->setFocus();
        QTest::keyClicks(edit, "typed");
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClick(edit, Qt::Key_Backspace);
        EXPECT_EQ(edit->text(), before) << edit->objectName().toStdString();
    }
}

TEST_F(QueueWindow, LinkColumnsAreBlueAndUnderlined)
{
    struct Exposed : QueueCellDelegate
    {
        using QueueCellDelegate::initStyleOption;
    } delegate;
    q().append(media + "/a.flv", 2);
    for (int column = 0; column < QueueModel::ColumnCount; ++column) {
        QStyleOptionViewItem option;
        option.initFrom(frm->ListView1);
        const QColor plain = option.palette.color(QPalette::Text);
        delegate.initStyleOption(&option, q().index(0, column));
        const bool link = column == 1 || column == 3 || column == 4;
        EXPECT_EQ(option.font.underline(), link) << column;
        const QColor expected = link ? QColor(0, 0, 255) : column == 2 ? QColor(0, 0, 0) : plain;
        EXPECT_EQ(option.palette.color(QPalette::Text), expected) << column;
    }
    EXPECT_NE(dynamic_cast<QueueCellDelegate*>(frm->ListView1->itemDelegate()), nullptr);
}

} // namespace
