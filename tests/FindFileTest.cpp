#include "queue/FindFile.h"
#include "platform/NativePath.h"
#include "support/QtPrinters.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void touch(const QString& path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

class Finder : public ::testing::Test
{
protected:
    FreshHome home;
    QString root = home.root() + QStringLiteral("/R");
    TFindFile finder;

    void SetUp() override
    {
        for (const char* sub : {"A/A1", "B", ".hid/H1", "old.flv"})
            QDir().mkpath(root + "/" + sub);
        for (const char* file : {"clip.flv", "CLIP2.FLV", ".hidden.flv", "notes.txt", "flv", "a.flvx", "A/a.flv",
                                 "A/A1/deep.Flv", "B/b.flv", ".hid/h.flv", ".hid/H1/h1.flv"})
            touch(root + "/" + file);
    }
};

TEST_F(Finder, OneFolderFilterIgnoresCaseAndListsHiddenFilesButNoFolders)
{
    finder.Filter = "*.flv";
    finder.Directory = root;
    finder.Execute();
    // In name order, letter case ignored, as a file manager shows them.
    EXPECT_EQ(finder.Files, (QStringList{root + "/.hidden.flv", root + "/clip.flv", root + "/CLIP2.FLV"}));

    // With or without the trailing "/", the same entries; a second run does not add up.
    const QStringList first = finder.Files;
    finder.Directory = root + "/";
    finder.Execute();
    EXPECT_EQ(finder.Files, first);

    finder.Attributes |= ffDirectory;
    finder.Execute();
    EXPECT_TRUE(finder.Files.contains(root + "/old.flv"));

    finder.Attributes = TAttrOptions(ffDirectory);
    finder.Execute();
    EXPECT_EQ(sorted(finder.Files), (QStringList{root + "/CLIP2.FLV", root + "/clip.flv", root + "/old.flv"}))
        << "without ffHidden a name starting with '.' is not listed";
}

TEST_F(Finder, WildcardsFollowTheOldRules)
{
    struct Case
    {
        const char* pattern;
        const char* name;
        bool match;
    };
    const Case cases[] = {
        {"*.flv", "CLIP.FLV", true},
        {"*.flv", "a.flvx", false},
        {"*.flv", "flv", false},
        {"?.flv", "a.flv", true},
        {"?.flv", "ab.flv", false},
        {"a*b*c", "aXXbYYc", true},
        {"a*b*c", "aXXbYY", false},
        {"*.*", "README", true},
        {"*.*", "a.b", true},
        {"clip.*", "clip", true},
        {"*", "", true},
        {"ÜN*", "ünï.flv", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TFindFile::Matches(QString::fromUtf8(c.pattern), QString::fromUtf8(c.name)), c.match)
            << c.pattern << " vs " << c.name;
}

TEST_F(Finder, TreeSearchIsBreadthFirstAndAnnouncesEachFolder)
{
    QStringList announced;
    int before = 0;
    int after = 0;
    finder.BeforeExecute = [&](QObject* sender) {
        EXPECT_EQ(sender, &finder);
        ++before;
    };
    finder.AfterExecute = [&](QObject*) { ++after; };
    finder.OnNewPath = [&](TFindFile*, const QString& path, bool&) { announced << path; };
    finder.Filter = "*.flv";
    finder.Recurse = true;
    finder.Directory = root;
    finder.Execute();

    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 1);
    ASSERT_EQ(announced.size(), 7);
    EXPECT_EQ(announced.first(), root + "/");
    // Every folder of depth 1 before any of depth 2, each ending in "/".
    EXPECT_EQ(sorted(announced.mid(1, 4)),
              (QStringList{root + "/.hid/", root + "/A/", root + "/B/", root + "/old.flv/"}));
    EXPECT_EQ(sorted(announced.mid(5)), (QStringList{root + "/.hid/H1/", root + "/A/A1/"}));
    // Hidden folders are entered whatever Attributes holds; files follow their folder's order.
    EXPECT_EQ(finder.Files.size(), 8);
    EXPECT_TRUE(finder.Files.contains(root + "/.hid/H1/h1.flv"));
    EXPECT_TRUE(finder.Files.indexOf(root + "/B/b.flv") < finder.Files.indexOf(root + "/A/A1/deep.Flv"));
}

TEST_F(Finder, AbortStopsTheSearchAndStaysSetUntilAHandlerClearsIt)
{
    int calls = 0;
    bool afterCalled = false;
    finder.OnNewPath = [&](TFindFile*, const QString&, bool& abort) {
        ++calls;
        abort = true;
    };
    finder.AfterExecute = [&](QObject*) { afterCalled = true; };
    finder.Recurse = true;
    finder.Directory = root;
    finder.Execute();
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(finder.Files.isEmpty());
    EXPECT_TRUE(afterCalled);

    bool seenSet = false;
    finder.OnNewPath = [&](TFindFile*, const QString&, bool& abort) {
        seenSet = abort;
        abort = false;
    };
    finder.Recurse = false;
    finder.Execute();
    EXPECT_TRUE(seenSet) << "Execute itself never clears the flag";
    EXPECT_FALSE(finder.Files.isEmpty());
}

TEST_F(Finder, MissingOrEmptyDirectoryListsNothingWithoutError)
{
    QStringList announced;
    finder.OnNewPath = [&](TFindFile*, const QString& path, bool&) { announced << path; };
    finder.Files = QStringList{"stale"};
    finder.Directory = home.root() + "/gone";
    finder.Recurse = true;
    EXPECT_NO_THROW(finder.Execute());
    EXPECT_TRUE(finder.Files.isEmpty());
    EXPECT_EQ(announced, QStringList{home.root() + "/gone/"});

    announced.clear();
    finder.Directory.clear();
    finder.Execute();
    EXPECT_TRUE(announced.isEmpty());
    EXPECT_TRUE(finder.Files.isEmpty());
}

// Makes a file or folder under its raw bytes, as an old archive or a USB
// stick written elsewhere holds them.
void makeRaw(const QByteArray& path, bool folder = false)
{
    if (folder) {
        ASSERT_EQ(::mkdir(path.constData(), 0755), 0) << path.constData();
        return;
    }
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0) << path.constData();
    ::close(fd);
}

TEST_F(Finder, NamesInAnyEncodingAreListedByTheirOwnBytes)
{
    const QByteArray dir = QFile::encodeName(home.root()) + "/raw";
    makeRaw(dir, true);
    makeRaw(dir + "/sub\xE9", true);
    for (const QByteArray& name :
         {QByteArray("a.flv"), QByteArray("caf\xE9.flv"), QByteArray("c.flv"), QByteArray("\xFF\xFE\xE9"),
          QByteArray("\xC3.FLV"), QByteArray("sub\xE9/deep\xE9.flv"), QByteArray("ok \xC3\xA9t\xC3\xA9.flv")})
        makeRaw(dir + "/" + name);
    const QString folder = NativePath::Decode(dir) + "/";
    const auto raw = [](const char* bytes) { return NativePath::Decode(bytes); };

    struct Case
    {
        const char* what;
        QString filter;
        bool recurse;
        QStringList files;
    };
    const Case cases[] = {
        {"among valid names, in name order",
         "*.flv",
         false,
         {folder + "a.flv", folder + "c.flv", folder + raw("caf\xE9.flv"), folder + raw("\xC3.FLV"),
          folder + QStringLiteral("ok été.flv")}},
        {"a name of invalid bytes only",
         "*.*",
         false,
         {folder + "a.flv", folder + "c.flv", folder + raw("caf\xE9.flv"), folder + raw("\xC3.FLV"),
          folder + QStringLiteral("ok été.flv"), folder + raw("\xFF\xFE\xE9")}},
        {"inside a folder whose own name cannot be represented", "deep*", true, {folder + raw("sub\xE9/deep\xE9.flv")}},
    };
    for (const Case& c : cases) {
        finder.Directory = folder;
        finder.Filter = c.filter;
        finder.Recurse = c.recurse;
        finder.Execute();
        QStringList expected = c.files;
        EXPECT_EQ(sorted(finder.Files), sorted(expected)) << c.what;
    }
    // Case-insensitive name order puts the valid names where QDir put them.
    finder.Filter = "*.flv";
    finder.Recurse = false;
    finder.Execute();
    EXPECT_EQ(finder.Files.indexOf(folder + "a.flv"), 0);
    EXPECT_LT(finder.Files.indexOf(folder + "c.flv"), finder.Files.indexOf(folder + raw("caf\xE9.flv")));
}

TEST_F(Finder, RootFolderGivesSingleSlashPaths)
{
    finder.Directory = "/";
    finder.Filter = "tmp";
    finder.Attributes |= ffDirectory;
    finder.Execute();
    EXPECT_EQ(finder.Files, QStringList{"/tmp"});
}

} // namespace
