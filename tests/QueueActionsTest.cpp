#include "app/Main.h"
#include "app/StartUp.h"
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

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <unistd.h>

// Stands in for the desktop's "open": records what would have been opened.
class OpenedUrls : public QObject
{
    Q_OBJECT

public:
    OpenedUrls() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~OpenedUrls() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QStringList paths;

public slots:
    void open(const QUrl& url) { paths << url.toLocalFile(); }
};

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
    }

    Settings s;
    Tools tools;
    QueueModel q;
    TFindFile finder;
    QueueActions actions{s, tools, q, finder};
    QStringList filesChosen;   // Edit1
    QStringList foldersChosen; // Edit2
    QStringList foldersStored; // Edit4

    // mediainfo as it is for every file but those named "mute", for which it
    // writes no line at all, as it may for a file it cannot read.
    void muteMediaInfo()
    {
        const QString script = home.root() + QStringLiteral("/mute-mediainfo");
        QFile f(script);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\ncase \"$*\" in *mute*) exit 0;; esac\nexec '" + QFile::encodeName(tools.MediaInfoExe)
                + "' \"$@\"\n");
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
        tools.MediaInfoExe = script;
    }

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
        EXPECT_EQ(q.cell(row, QueueModel::ColFileName), NamePart(name));
        EXPECT_EQ(q.progress(row), "Pending");
    }
    EXPECT_EQ(filesChosen, paths);
    EXPECT_TRUE(prompts.shown().empty()) << prompts.shown().front().text.toStdString();

    // A file mediainfo writes no line for is refused as a file without an answer.
    muteMediaInfo();
    addFile(clip("mute.flv"));
    EXPECT_EQ(prompts.texts(Prompt::Kind::Message),
              QStringList{"Cannot process this file! Bad file header! Please use different file."});
    prompts.clear();
    EXPECT_EQ(q.count(), names.size());
    EXPECT_EQ(filesChosen, paths);
    expectAligned();

    // The same file twice gives two rows.
    addFile(q.path(0));
    EXPECT_EQ(q.count(), names.size() + 1);
    EXPECT_EQ(q.path(q.count() - 1), q.path(0));
    expectAligned();
}

TEST_F(Queue, ContentThatGivesNoTimeEndsInTheErrorBox)
{
    QByteArray noise;
    for (int i = 0; i < 4096; ++i)
        noise += static_cast<char>((i * 31 + 7) % 256);
    for (const QString& path : {junk("empty.flv", {}), junk("noise.flv", noise)}) {
        addFile(path);
        EXPECT_EQ(prompts.texts(Prompt::Kind::Error), QStringList{"'' is not a valid time."});
        EXPECT_EQ(filesChosen.value(filesChosen.size() - 1), path) << "the box shows the file before its time is read";
        prompts.clear();
    }
    EXPECT_EQ(q.count(), 0);

    const QString locked = clip("locked.flv");
    QFile::setPermissions(locked, QFileDevice::Permissions());
    addFile(locked);
    if (::geteuid() == 0) {
        EXPECT_EQ(q.count(), 1) << "root reads it all the same";
    } else {
        EXPECT_EQ(q.count(), 0);
        EXPECT_EQ(prompts.texts(Prompt::Kind::Error), QStringList{"'' is not a valid time."});
    }
    expectAligned();
}

TEST_F(Queue, AddFolderQueuesInFinderOrderAndStopsAtTheFirstFileWithoutAnswer)
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
    EXPECT_EQ(q.PathList(), found.mid(0, bad));
    EXPECT_EQ(q.DurationList(), QStringList(bad, QStringLiteral("2")));
    EXPECT_EQ(prompts.texts(Prompt::Kind::Message),
              QStringList{"Cannot process file bad mute.flv Bad file header or bad characters in filename! "
                          "Please use different file."});
    expectAligned();
}

TEST_F(Queue, AddFolderSideBySideGivesTheRowsAndMessagesOfOneAtATime)
{
    // Files of two lengths, so an answer given to the wrong file shows.
    const QString twoSeconds = home.root() + "/two.flv";
    MakeFlv(twoSeconds, 2.0);
    const auto good = [&](const QString& folder, int i) {
        const QString path = folder + QStringLiteral("/f%1.flv").arg(i, 2, 10, QLatin1Char('0'));
        return i % 3 == 0 ? QFile::copy(twoSeconds, path) : QFile::copy(s_clips->filePath("clip.flv"), path);
    };
    enum Bad { None, Mute, Junk };
    muteMediaInfo();
    struct Case
    {
        const char* name;
        int files;
        int badAt; // where the bad file stands in the folder's order
        Bad bad;
    };
    const Case cases[] = {
        {"fifty with a file without an answer in the middle", 50, 25, Mute},
        {"fifty with content that gives no time in the middle", 50, 25, Junk},
        {"the first file bad", 6, 0, Junk},
        {"the last file bad", 6, 5, Mute},
        {"all good", 8, -1, None},
    };
    struct Outcome
    {
        QStringList paths, durations, messages, errors;
        bool operator==(const Outcome&) const = default;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = media + "/" + QString::number(&c - cases);
        QDir().mkpath(folder);
        for (int i = 0; i < c.files; ++i) {
            if (i != c.badAt)
                ASSERT_TRUE(good(folder, i));
            else if (c.bad == Mute)
                ASSERT_TRUE(QFile::copy(s_clips->filePath("clip.flv"),
                                        folder + QStringLiteral("/f%1 mute.flv").arg(i, 2, 10, QLatin1Char('0'))));
            else
                QFile::copy(junk("junk.flv", "FLV\x01 not really"),
                            folder + QStringLiteral("/f%1.flv").arg(i, 2, 10, QLatin1Char('0')));
        }
        Outcome byJobs[2];
        for (const int jobs : {1, 3}) {
            while (q.count() > 0)
                q.remove(0);
            prompts.clear();
            s.Jobs = jobs;
            addFolder(folder);
            Outcome& o = byJobs[jobs == 3];
            o = {q.PathList(), q.DurationList(), prompts.texts(Prompt::Kind::Message),
                 prompts.texts(Prompt::Kind::Error)};
            // Probes side by side leave nothing behind, even those past the stop.
            EXPECT_EQ(QDir(tools.TempDir).entryList(QDir::Files | QDir::Hidden), QStringList{}) << jobs;
            expectAligned();
        }
        EXPECT_TRUE(byJobs[0] == byJobs[1])
            << byJobs[1].paths.join(' ').toStdString() << " / " << byJobs[1].messages.join(' ').toStdString();
        const Outcome& o = byJobs[1];
        const int queued = c.badAt < 0 ? c.files : c.badAt;
        ASSERT_EQ(o.paths.size(), queued);
        for (int i = 0; i < queued; ++i) {
            EXPECT_EQ(o.paths[i], folder + QStringLiteral("/f%1.flv").arg(i, 2, 10, QLatin1Char('0')));
            EXPECT_EQ(o.durations[i], i % 3 == 0 ? "3" : "2") << i;
        }
        const QString badName = QStringLiteral("f%1 mute.flv").arg(c.badAt, 2, 10, QLatin1Char('0'));
        EXPECT_EQ(o.messages,
                  c.bad == Mute ? QStringList{QueueActions::BadFolderFileText(folder + "/" + badName)} : QStringList{});
        EXPECT_EQ(o.errors, c.bad == Junk ? QStringList{"'' is not a valid time."} : QStringList{});
    }
}

// Old archives name their files in Latin-1: every such file is measured and queued.
TEST_F(Queue, NamesInAnyEncodingAreMeasuredAndQueued)
{
    const QList<QByteArray> cases[] = {
        {"a.flv", "caf\xE9.flv", "d.flv"},
        {"\xE9t\xE9.flv"},
        {"\xFF\xFE.flv", "z.flv"},
    };
    for (const QList<QByteArray>& names : cases) {
        const QString folder = media + "/" + QString::number(&names - cases);
        QDir().mkpath(folder);
        QStringList expected;
        for (const QByteArray& name : names) {
            rawClip(QFile::encodeName(folder) + "/" + name);
            expected << NativePath::Decode(name);
        }
        const int before = q.count();
        addFolder(folder);
        QStringList queued;
        for (int row = before; row < q.count(); ++row)
            queued << Folders::FileNamePart(q.path(row));
        std::sort(expected.begin(), expected.end());
        std::sort(queued.begin(), queued.end());
        EXPECT_EQ(queued, expected);
        // Shown as the output will be named.
        for (int row = before; row < q.count(); ++row)
            EXPECT_EQ(q.cell(row, QueueModel::ColFileName),
                      NamePart(QString::fromLatin1(NativePath::Encode(Folders::FileNamePart(q.path(row))))));
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
    EXPECT_TRUE(prompts.shown().empty());
    EXPECT_EQ(s.LastFolder, nested);

    addFolder(media + "/vanished");
    EXPECT_EQ(prompts.texts(Prompt::Kind::Message),
              QStringList{"Cannot open folder " + media + "/vanished! It no longer exists or cannot be read."});
    EXPECT_EQ(foldersChosen.value(foldersChosen.size() - 1), media + "/vanished");
    prompts.clear();

    const QString broken = media + "/broken";
    QDir().mkpath(broken);
    QFile::copy(junk("x.flv", "FLV\x01 not really"), broken + "/x.flv");
    addFolder(broken);
    EXPECT_EQ(prompts.texts(Prompt::Kind::Error), QStringList{"'' is not a valid time."});
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
    const QStringList errors = prompts.texts(Prompt::Kind::Error);
    ASSERT_EQ(errors.size(), 2);
    for (const QString& e : errors) {
        EXPECT_TRUE(e.contains("\"mediainfo\"")) << e.toStdString();
        EXPECT_TRUE(e.contains("install the package \"mediainfo\"")) << e.toStdString();
    }
    EXPECT_EQ(q.count(), 0);
}

TEST_F(Queue, EveryActionIsInertWhileBusy)
{
    OpenedUrls opened;
    q.append(clip("a.flv"), 2);
    s.WorkDir = media + "/work";
    actions.setBusyCheck([] { return true; });
    const std::array<int, 4> widths{40, 154, 65, 156};

    addFile(media + "/a.flv");
    addFolder(media);
    guarded([&] { actions.SetOutputFolder(media); });
    guarded([&] { actions.KeyDown(Qt::Key_Delete, 0); });
    guarded([&] { actions.Click(0, 430, widths); }); // the DEL cell
    guarded([&] { actions.Click(0, 100, widths); }); // the name

    EXPECT_TRUE(prompts.shown().empty());
    EXPECT_EQ(q.count(), 1);
    EXPECT_TRUE(opened.paths.isEmpty());
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
    guarded([&] { actions.SetOutputFolder(out); });
    EXPECT_EQ(QSettings(home.configFile(), QSettings::IniFormat).value("WorkDir").toString(), out);
    EXPECT_EQ(foldersStored, QStringList{out});
    EXPECT_EQ(s.WorkDir, out);
    EXPECT_EQ(s.LastFolder, "");
    EXPECT_FALSE(QFileInfo::exists(out)) << "neither tested nor made";

    // A settings store that cannot be written: the folder is used for the
    // session, and the loss is told once, naming the file.
    QFile::remove(home.configFile());
    QDir().mkpath(home.configFile());
    guarded([&] { actions.SetOutputFolder(media); });
    guarded([&] { actions.SetOutputFolder(out); });
    EXPECT_EQ(s.WorkDir, out);
    EXPECT_EQ(foldersStored, (QStringList{out, media, out}));
    const QStringList told = prompts.texts(Prompt::Kind::Message);
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told.front().contains(home.configFile()) && told.front().endsWith("will not be remembered."))
        << told.front().toStdString();
}

TEST(QueueClickRule, ColumnsAreHitWithStrictBoundaries)
{
    const std::array<int, 4> w{40, 154, 65, 156}; // edges at 40, 194, 259, 415
    using S = RowState;
    struct Case
    {
        int x;
        RowState state;
        QueueClick expected;
    };
    const Case cases[] = {
        {0, S::Pending, QueueClick::Nothing},      {40, S::Pending, QueueClick::Nothing},
        {41, S::Done, QueueClick::OpenSource},     {193, S::Converting, QueueClick::OpenSource},
        {194, S::Pending, QueueClick::Nothing},    {230, S::Done, QueueClick::Nothing},
        {259, S::Done, QueueClick::Nothing},       {260, S::Done, QueueClick::OpenOutputFolder},
        {260, S::Pending, QueueClick::Nothing},    {414, S::Done, QueueClick::OpenOutputFolder},
        {415, S::Done, QueueClick::Nothing},       {415, S::Pending, QueueClick::Nothing},
        {416, S::Pending, QueueClick::RemoveRow},  {2000, S::Pending, QueueClick::RemoveRow},
        {430, S::Done, QueueClick::Nothing},       {430, S::Failed, QueueClick::Nothing},
        {430, S::Converting, QueueClick::Nothing},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QueueActions::HitTest(c.x, w, c.state), c.expected)
            << "x=" << c.x << " " << RowStateText(c.state, 42).toStdString();
}

// What only the window does: its buttons through their dialogs, the list's
// clicks and keys, the path boxes and the list's look.
class QueueWindow : public QueueFiles
{
protected:
    std::unique_ptr<TfrmMain> frm = std::make_unique<TfrmMain>();

    QueueModel& q() { return frm->queue(); }
    void settle()
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !frm->AddingFiles(); }, 120000));
    }

    void expectAligned()
    {
        EXPECT_EQ(q().PathList().size(), q().count());
        EXPECT_EQ(q().DurationList().size(), q().count());
        EXPECT_EQ(frm->ListView1->model()->rowCount(), q().count());
    }

    QPoint cellPoint(int row, int x)
    {
        const QRect rect = frm->ListView1->visualRect(q().index(row, 0));
        return {x, rect.center().y()};
    }

    void clickList(int row, int x)
    {
        QTest::mouseClick(frm->ListView1->viewport(), Qt::LeftButton, {}, cellPoint(row, x));
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

TEST_F(QueueWindow, ClicksActOnTheSelectedRowByColumn)
{
    OpenedUrls opened;
    for (const char* name : {"a.flv", "b.flv", "c.flv"})
        q().append(media + "/" + name, 2);
    q().setState(0, RowState::Done);
    q().setConvertedFile(0, "AVI");

    clickList(0, 20); // selects row 0, opens nothing
    clickList(0, 100);
    clickList(0, 300);
    clickList(0, 430); // DEL of a finished row: nothing
    const QString work = frm->session().settings().WorkDir;
    EXPECT_EQ(opened.paths, (QStringList{media + "/a.flv", work.endsWith('/') ? work : work + '/'}));
    EXPECT_EQ(q().count(), 3);

    clickList(1, 430);
    EXPECT_EQ(q().PathList(), (QStringList{media + "/a.flv", media + "/c.flv"}));

    // Right of the last column the press keeps the selection and the click removes the row.
    clickList(1, 20);
    clickList(1, 460);
    EXPECT_EQ(q().PathList(), QStringList{media + "/a.flv"});

    // A double click is one click.
    q().append(media + "/d.flv", 2);
    q().append(media + "/e.flv", 2);
    clickList(1, 20);
    {
        // What the platform delivers: press, release, press, double click, release.
        QWidget* viewport = frm->ListView1->viewport();
        const QPoint at = cellPoint(1, 430);
        QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
        QTest::mousePress(viewport, Qt::LeftButton, {}, at);
        QMouseEvent second(QEvent::MouseButtonDblClick, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                           Qt::NoModifier);
        QApplication::sendEvent(viewport, &second);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
    }
    EXPECT_EQ(q().PathList(), (QStringList{media + "/a.flv", media + "/e.flv"}));
    q().remove(1);

    // The user's column widths count: column 0 widened to 120 puts x=100 on the type cell.
    opened.paths.clear();
    frm->ListView1->setColumnWidth(0, 120);
    clickList(0, 100);
    EXPECT_TRUE(opened.paths.isEmpty());
    clickList(0, 121);
    EXPECT_EQ(opened.paths, QStringList{media + "/a.flv"});

    // A finished file's folder is where it was written, though the output folder changed since.
    opened.paths.clear();
    q().setOutput(0, media + "/earlier/a.avi");
    frm->session().settings().WorkDir = media + "/later";
    clickList(0, 400); // the converted cell, column 0 still widened
    EXPECT_EQ(opened.paths, QStringList{media + "/earlier/"});
    expectAligned();
}

TEST_F(QueueWindow, DeleteKeyRemovesTheSelectedRowWhateverItsState)
{
    for (const char* name : {"a.flv", "b.flv"})
        q().append(media + "/" + name, 2);
    q().setState(1, RowState::Done);
    frm->ListView1->setFocus();

    QTest::keyClick(frm->ListView1, Qt::Key_Delete); // nothing selected
    EXPECT_EQ(q().count(), 2);
    clickList(1, 20);
    QTest::keyClick(frm->ListView1, Qt::Key_Backspace);
    EXPECT_EQ(q().count(), 2);
    QTest::keyClick(frm->ListView1, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(q().PathList(), QStringList{media + "/a.flv"});
    expectAligned();
}

TEST_F(QueueWindow, OneDeleteRemovesOneRowAndABlankClickActsOnNone)
{
    OpenedUrls opened;
    const auto fill = [&](int rows) {
        while (q().count() > 0)
            q().remove(0);
        for (int i = 0; i < rows; ++i)
            q().append(media + QStringLiteral("/%1.flv").arg(i), 2);
    };
    const auto selected = [&] { return frm->ListView1->selectionModel()->selectedRows().size(); };
    // Under the last of three rows, where no row is.
    const auto blank = [&](int x) {
        const QRect last = frm->ListView1->visualRect(q().index(q().count() - 1, 0));
        ASSERT_LT(last.bottom() + 20, frm->ListView1->viewport()->height());
        QTest::mouseClick(frm->ListView1->viewport(), Qt::LeftButton, {}, QPoint(x, last.bottom() + 20));
    };
    frm->ListView1->setFocus();

    struct Case
    {
        const char* what;
        int rows;
        std::function<void()> act;
        int left;
        bool opened;
    };
    const Case cases[] = {
        {"nine Delete presses after one click", 9,
         [&] {
             clickList(4, 20);
             for (int i = 0; i < 9; ++i)
                 QTest::keyClick(frm->ListView1, Qt::Key_Delete);
         },
         8, false},
        {"a DEL cell click, then Delete", 3,
         [&] {
             clickList(0, 20);
             clickList(0, 430);
             QTest::keyClick(frm->ListView1, Qt::Key_Delete);
         },
         2, false},
        {"a blank click in the DEL column", 3,
         [&] {
             clickList(1, 20);
             blank(430);
         },
         3, false},
        {"a blank click right of the columns, then Delete", 3,
         [&] {
             clickList(1, 20);
             blank(460);
             QTest::keyClick(frm->ListView1, Qt::Key_Delete);
         },
         3, false},
        {"a blank click in the name column", 3,
         [&] {
             clickList(1, 20);
             blank(100);
         },
         3, false},
        {"a row is still chosen by a click on it", 3,
         [&] {
             blank(20);
             clickList(2, 430);
         },
         2, false},
    };
    for (const Case& c : cases) {
        fill(c.rows);
        opened.paths.clear();
        c.act();
        EXPECT_EQ(q().count(), c.left) << c.what;
        EXPECT_EQ(selected(), 0) << c.what;
        EXPECT_EQ(!opened.paths.isEmpty(), c.opened) << c.what;
    }
    expectAligned();
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

#include "QueueActionsTest.moc"
