#include "app/Main.h"
#include "core/StartUp.h"
#include "platform/Error.h"
#include "platform/Folders.h"
#include "platform/Prompt.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QSettings>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>

namespace {

QString stored(const FreshHome& home, const char* name)
{
    QSettings s(home.configFile(), QSettings::IniFormat);
    return s.value(QLatin1String(name)).toString();
}

void store(const FreshHome& home, const char* name, const QVariant& value)
{
    QSettings s(home.configFile(), QSettings::IniFormat);
    s.setValue(QLatin1String(name), value);
}

class StartUpRun : public ::testing::Test
{
protected:
    FreshHome home;
    Prompt::Script prompts;
};

TEST_F(StartUpRun, FirstRunWritesBothValuesAndMakesBothFolders)
{
    Settings s;
    Tools found;
    const QString shown = StartUp::Run(s, found);
    const QString work = home.documents() + "/VANTREL/";
    const QString tools = home.data() + "/VANTREL/";
    EXPECT_EQ(stored(home, "WorkDir"), work);
    EXPECT_EQ(stored(home, "AppDir"), tools);
    EXPECT_EQ(shown, work);
    EXPECT_EQ(s.WorkDir, work);
    EXPECT_EQ(s.AppDir, tools);
    // An empty home gets its Documents and data folders, as a desktop would have them.
    EXPECT_TRUE(QFileInfo(work).isDir());
    EXPECT_TRUE(QFileInfo(tools).isDir());
    EXPECT_TRUE(s.LastFolder.isEmpty());
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(StartUpRun, LaterRunKeepsTheStoredWorkFolderAndRewritesAppDir)
{
    const QString chosen = home.root() + "/chosen";
    QDir().mkpath(chosen);
    QDir().mkpath(home.documents());
    store(home, "WorkDir", chosen);
    store(home, "AppDir", "/somewhere/else/");

    Settings s;
    Tools tools;
    EXPECT_EQ(StartUp::Run(s, tools), chosen);
    EXPECT_EQ(stored(home, "WorkDir"), chosen);
    EXPECT_EQ(stored(home, "AppDir"), home.data() + "/VANTREL/");
    EXPECT_EQ(s.WorkDir, chosen);
    EXPECT_TRUE(QFileInfo(home.documents() + "/VANTREL").isDir()) << "the default is made all the same";
}

TEST_F(StartUpRun, JobsComeFromTheSettingsFileWithinOneToSixtyFour)
{
    const int cores = std::clamp(QThread::idealThreadCount(), 1, 64);
    struct Case
    {
        const char* line; // the settings file's Jobs line; "" for none
        int jobs;
    };
    const Case cases[] = {
        {"", cores},         {"Jobs=3", 3},    {"Jobs= 2 ", 2},      {"Jobs=1", 1},
        {"Jobs=0", 1},       {"Jobs=-3", 1},   {"Jobs=1000", 64},    {"Jobs=abc", cores},
        {"Jobs=2.5", cores}, {"Jobs=", cores}, {"Jobs=1, 2", cores}, {"Jobs=99999999999999999999", cores},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        QDir().mkpath(QFileInfo(home.configFile()).path());
        QFile file(home.configFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray("[General]\n") + c.line + "\n");
        file.close();

        EXPECT_EQ(StartUp::StoredJobs(), c.jobs);
        Settings s;
        Tools tools;
        StartUp::Run(s, tools);
        EXPECT_EQ(s.Jobs, c.jobs);
        EXPECT_EQ(s.jobs(), c.jobs);
        // Only the user writes it: start-up leaves the line as it found it.
        QFile after(home.configFile());
        ASSERT_TRUE(after.open(QIODevice::ReadOnly));
        const QByteArray text = after.readAll();
        EXPECT_EQ(text.contains("Jobs"), QByteArray(c.line).startsWith("Jobs")) << text.constData();
        if (*c.line) {
            EXPECT_TRUE(text.contains(QByteArray(c.line).split('=').at(1).trimmed())) << text.constData();
        }
    }
    // The state's own guard, for a state no start-up has filled.
    Settings unset;
    Tools unsetTools;
    EXPECT_EQ(unset.jobs(), 1);
    unset.Jobs = 500;
    EXPECT_EQ(unset.jobs(), Settings::MaxJobs);
}

TEST_F(StartUpRun, MissingStoredWorkFolderIsMadeOneLevelOnly)
{
    const QString missing = home.root() + "/gone";
    store(home, "WorkDir", missing);
    Settings first;
    Tools firstTools;
    StartUp::Run(first, firstTools);
    EXPECT_TRUE(QFileInfo(missing).isDir());
    EXPECT_EQ(stored(home, "WorkDir"), missing);

    const QString deep = home.root() + "/no/parent";
    store(home, "WorkDir", deep);
    Settings again;
    Tools againTools;
    StartUp::Run(again, againTools);
    EXPECT_FALSE(QFileInfo(deep).exists());
    EXPECT_FALSE(QFileInfo(home.root() + "/no").exists());
    EXPECT_EQ(again.WorkDir, deep);
}

TEST_F(StartUpRun, NonTextWorkDirLeavesTheWorkFolderEmpty)
{
    store(home, "WorkDir", QStringList{"a", "b"});
    Settings s;
    Tools tools;
    EXPECT_EQ(StartUp::Run(s, tools), "");
    EXPECT_EQ(s.WorkDir, "");
}

TEST_F(StartUpRun, SettingsStoreThatCannotBeUsedDoesNotStopStartUp)
{
    // A folder where the settings file belongs can be neither read nor written.
    QDir().mkpath(home.configFile());
    QDir().mkpath(home.documents());
    Settings s;
    Tools tools;
    EXPECT_EQ(StartUp::Run(s, tools), "");
    EXPECT_EQ(s.WorkDir, "");
    EXPECT_EQ(s.AppDir, home.data() + "/VANTREL/");
    EXPECT_TRUE(QFileInfo(home.documents() + "/VANTREL").isDir());
    EXPECT_TRUE(QFileInfo(home.configFile()).isDir());
    // Said once, naming the file and what is lost.
    EXPECT_EQ(prompts.texts(Prompt::Kind::Message).join('\n').toStdString(),
              ("Cannot read the settings file \"" + home.configFile() + "\". The output folder will not be remembered.")
                  .toStdString());
}

TEST_F(StartUpRun, ToolsAreFoundOnThePathOrLeftEmpty)
{
    Settings with;
    Tools withTools;
    StartUp::Run(with, withTools);
    EXPECT_TRUE(withTools.FfmpegExe.endsWith("/ffmpeg"));
    EXPECT_TRUE(withTools.MediaInfoExe.endsWith("/mediainfo"));

    const QByteArray saved = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(PathWithout({"ffmpeg", "mediainfo"}, home.root() + "/bin")));
    Settings without;
    Tools withoutTools;
    StartUp::Run(without, withoutTools);
    qputenv("PATH", saved);
    EXPECT_EQ(withoutTools.FfmpegExe, "");
    EXPECT_EQ(withoutTools.MediaInfoExe, "");
}

TEST_F(StartUpRun, TheWindowShowsTheStoredOutputFolderInBothBoxes)
{
    const QString chosen = home.root() + "/chosen";
    QDir().mkpath(chosen);
    store(home, "WorkDir", chosen);
    TfrmMain frm;
    EXPECT_EQ(frm.Edit4->text(), chosen);
    EXPECT_EQ(frm.Edit3->text(), chosen);
    EXPECT_EQ(frm.session().settings().WorkDir, chosen);
}

TEST(Folders, DoubleSlashCollapsesOnceLeftToRight)
{
    EXPECT_EQ(Folders::CollapseDoubleSlash("/" + QStringLiteral("/VANTREL/")), "/VANTREL/");
    EXPECT_EQ(Folders::CollapseDoubleSlash("/a///b"), "/a//b");
    EXPECT_EQ(Folders::CollapseDoubleSlash("/a////b"), "/a//b");
    EXPECT_EQ(Folders::FolderPart("/tmp/x/open.bat"), "/tmp/x");
    EXPECT_EQ(Folders::FolderPart("/open.bat"), "/");
    EXPECT_EQ(Folders::FolderPart("open.bat"), "");
}

TEST(Folders, PrivateTempFolderIsMadeOwnerOnlyAndUnsafeOnesAreRefused)
{
    FreshHome home;
    const QString dir = Folders::PrivateTempDir();
    EXPECT_TRUE(dir.startsWith(home.tmp() + "/vantrel-"));
    EXPECT_TRUE(dir.endsWith('/'));
    struct stat st
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(dir).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // Left open to others, it is refused as it stands, never repaired.
    ASSERT_EQ(::chmod(QFile::encodeName(dir).constData(), 0777), 0);
    EXPECT_THROW(Folders::PrivateTempDir(), VantrelError);
    ASSERT_EQ(::stat(QFile::encodeName(dir).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0777u);

    // A link planted in its place is refused, and so the program never uses it.
    QDir(dir).removeRecursively();
    QDir().mkpath(home.root() + "/elsewhere");
    ASSERT_TRUE(QFile::link(home.root() + "/elsewhere", dir.chopped(1)));
    EXPECT_THROW(Folders::PrivateTempDir(), VantrelError);

    Prompt::Script prompts;
    Settings s;
    Tools tools;
    StartUp::Run(s, tools);
    EXPECT_EQ(tools.TempDir, "");
    ASSERT_EQ(prompts.texts(Prompt::Kind::Error).size(), 1);
    EXPECT_TRUE(prompts.texts(Prompt::Kind::Error).first().contains("link"));
}

} // namespace
