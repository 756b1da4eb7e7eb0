// The program as users get it: installed with DESTDIR under a prefix with a
// blank in it, and as the Debian package built from the source as it stands
// and unpacked. Each copy must find its own batch helper in libexec and
// convert real files, and each shell must complete its command line.
#include "support/QtPrinters.h"
#include "support/TestEnv.h"

#include "engine/ConversionRun.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int Patience = 300000;       // ms; only a hang waits this long
constexpr int BuildPatience = 1800000; // ms; a whole build on a busy machine
constexpr uid_t PlainUser = 65534;     // nobody, when the test runs as root

struct Ran
{
    int code = -1;
    QString out;
    QString err;
};

Ran RunTool(const QString& program, const QStringList& arguments, const QProcessEnvironment& env = {},
            const QString& folder = {}, int patience = Patience)
{
    QProcess process;
    process.setProcessEnvironment(env.isEmpty() ? QProcessEnvironment::systemEnvironment() : env);
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(program, arguments);
    if (!process.waitForFinished(patience)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << program.toStdString() << " did not end";
    }
    Ran ran;
    ran.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    ran.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    ran.err = QString::fromLocal8Bit(process.readAllStandardError());
    return ran;
}

QString BuildDir()
{
    return QDir::cleanPath(QStringLiteral(VANTREL_BIN_DIR "/.."));
}

// Every file below root, as "/usr/bin/vantrel".
QStringList FilesBelow(const QString& root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next().mid(root.size());
    files.sort();
    return files;
}

// The installed program run headless as a user runs it, through each face it
// offers without a window. Files converted go to out.
void ChecksAnInstalledProgram(const QString& prefix, const QString& scratch)
{
    const FreshHome home; // a new account: no output folder stored, none made
    const QString vantrel = prefix + "/bin/vantrel";
    ASSERT_TRUE(QFile::exists(vantrel));
    // Beside the program there is nothing it could take for the installed helper.
    EXPECT_FALSE(QFile::exists(prefix + "/bin/vantrel-batch"));
    EXPECT_TRUE(QFile::exists(prefix + "/libexec/vantrel/vantrel-batch"));

    const QString in = scratch + "/flv files";
    const QString out = scratch + "/avi files";
    QDir().mkpath(in);
    QDir().mkpath(out);
    const QString a = in + "/a.flv";
    const QString b = in + "/b.flv";
    MakeFlv(a);
    MakeFlv(b);

    QProcessEnvironment headless = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        headless.remove(QLatin1String(name));
    QProcessEnvironment noFfmpeg = headless;
    noFfmpeg.insert(QStringLiteral("PATH"), PathWithout({QStringLiteral("ffmpeg")}, scratch + "/bin"));

    struct Case
    {
        const char* name;
        QStringList arguments;
        QProcessEnvironment env;
        int code;
        QString out;
        QString err; // a fragment of standard error
    };
    const std::vector<Case> cases{
        {"its version", {"--version"}, headless, 0, "vantrel 0.2.0\n", ""},
        {"two files measured and converted",
         {"--convert-to", "divx", "--jobs", "1", "--outdir", out, a, b},
         headless,
         0,
         "Done\t" + a + "\t" + out + "/a.avi\nDone\t" + b + "\t" + out + "/b.avi\n",
         ""},
        {"no --outdir on a new account: the window's default folder",
         {"--convert-to", "xvid", a},
         headless,
         0,
         "Done\t" + a + "\t" + home.documents() + "/VANTREL/a.avi\n",
         "converting into \"" + home.documents() + "/VANTREL\""},
        {"no ffmpeg on PATH",
         {"--convert-to", "divx", "--outdir", out, a},
         noFfmpeg,
         2,
         "",
         ConversionRun::MissingFfmpegText()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Ran ran = RunTool(vantrel, c.arguments, c.env);
        EXPECT_EQ(ran.code, c.code) << ran.err.toStdString();
        EXPECT_EQ(ran.out, c.out);
        EXPECT_TRUE(ran.err.contains(c.err)) << ran.err.toStdString();
    }
    for (const QString& avi : {out + "/a.avi", out + "/b.avi", home.documents() + "/VANTREL/a.avi"})
        EXPECT_GT(QFileInfo(avi).size(), 0) << avi.toStdString();
}

// The completion of bash, zsh and fish, each loaded from where that shell
// looks below share (for zsh, below a prefix of its own), offers what each
// word of a command line may be.
void CompletesInEachShell(const QString& share)
{
    QTemporaryDir scratch;
    const QString folder = scratch.filePath("completing");
    QDir().mkpath(folder + "/sub folder");
    for (const char* name : {"a.flv", "B.FLV", "notes.txt"}) {
        QFile file(folder + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const auto offered = [](const QString& text) {
        QStringList lines = text.split('\n', Qt::SkipEmptyParts);
        lines.sort();
        return lines.join('\n');
    };

    // bash splits "--convert-to=x" at the "=".
    struct BashCase
    {
        QStringList words; // the last one is being completed
        QString offered;   // one a line
    };
    const std::vector<BashCase> bashCases{
        {{"vantrel", "--convert-to", ""}, "divx\nxvid"},
        {{"vantrel", "--convert-to", "=", "x"}, "xvid"},
        {{"vantrel", "--conv"}, "--convert-to"},
        {{"vantrel", "--outdir", ""}, "sub folder"},
        {{"vantrel", "--convert-to", "divx", ""}, "B.FLV\na.flv\nsub folder"},
        {{"vantrel", "--", "-"}, ""},
    };
    const QString bash = QStringLiteral("source \"$1\"; shift; COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); "
                                        "$(complete -p vantrel | sed 's/.*-F \\([^ ]*\\).*/\\1/'); "
                                        "[ ${#COMPREPLY[@]} = 0 ] || printf '%s\\n' \"${COMPREPLY[@]}\"");
    for (const BashCase& c : bashCases) {
        SCOPED_TRACE("bash: " + c.words.join(' ').toStdString());
        const Ran ran = RunTool(
            QStringLiteral("bash"),
            QStringList{"-c", bash, "bash", share + "/bash-completion/completions/vantrel"} + c.words, {}, folder);
        EXPECT_EQ(ran.code, 0) << ran.err.toStdString();
        EXPECT_EQ(offered(ran.out), c.offered);
    }

    // zsh quotes a blank; fish keeps the option before a value after "=" and
    // marks folders with a slash.
    struct LineCase
    {
        QString line; // completed at its end
        QString zsh;
        QString fish;
    };
    const std::vector<LineCase> lineCases{
        {"vantrel --convert-to ", "divx\nxvid", "divx\nxvid"},
        {"vantrel --convert-to=x", "xvid", "--convert-to=xvid"},
        {"vantrel --conv", "--convert-to", "--convert-to"},
        {"vantrel --outdir ", "sub\\ folder", "sub folder/"},
        {"vantrel --convert-to divx ", "B.FLV\na.flv\nsub\\ folder", "B.FLV\na.flv\nsub folder/"},
        {"vantrel -- -", "", ""},
    };
    const QString fish = QStringLiteral("source $argv[1]; complete -C $argv[2] | string replace -r '\\t.*' ''; true");
    for (const LineCase& c : lineCases) {
        SCOPED_TRACE(c.line.toStdString());
        const Ran zsh = RunTool(
            QStringLiteral("zsh"),
            {"-f", VANTREL_SOURCE_DIR "/tests/support/zsh-complete.zsh", share + "/zsh/site-functions", c.line}, {},
            folder);
        EXPECT_TRUE(zsh.code == 0 && zsh.err.isEmpty()) << zsh.err.toStdString();
        EXPECT_EQ(offered(zsh.out), c.zsh) << "zsh";
        const Ran ran
            = RunTool(QStringLiteral("fish"),
                      {"-N", "-c", fish, share + "/fish/vendor_completions.d/vantrel.fish", c.line}, {}, folder);
        EXPECT_TRUE(ran.code == 0 && ran.err.isEmpty()) << ran.err.toStdString();
        EXPECT_EQ(offered(ran.out), c.fish) << "fish";
    }
}

// The files of the source as it stands, tracked or new, but none that git
// ignores (build folders, a package build's leftovers), copied into to.
bool CopySource(const QString& to)
{
    const Ran listed = RunTool(QStringLiteral("git"), {"-C", VANTREL_SOURCE_DIR, "ls-files", "-z", "--cached",
                                                       "--others", "--exclude-standard"});
    if (listed.code != 0)
        return false;
    for (const QString& name : listed.out.split(QChar(0), Qt::SkipEmptyParts)) {
        const QString from = QStringLiteral(VANTREL_SOURCE_DIR "/") + name;
        if (!QFileInfo(from).isFile())
            continue; // deleted, not yet committed
        QDir().mkpath(QFileInfo(to + "/" + name).path());
        if (!QFile::copy(from, to + "/" + name))
            return false;
    }
    return true;
}

} // namespace

TEST(InstalledCopy, RunsFromAPrefixWithABlankAndCompletesInEachShell)
{
    QTemporaryDir scratch;
    const QString destdir = scratch.filePath("staged root");
    const QString prefix = QStringLiteral("/opt/video tools");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DESTDIR"), destdir);
    const Ran install = RunTool(QStringLiteral(VANTREL_CMAKE), {"--install", BuildDir(), "--prefix", prefix}, env);
    ASSERT_EQ(install.code, 0) << install.err.toStdString();
    const QString root = destdir + prefix;

    ChecksAnInstalledProgram(root, scratch.filePath("run"));

    CompletesInEachShell(root + "/share");
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Built twice from copies of the source at two paths, at two times, and once
// more from its source package as a plain user in a path with a blank, with
// the suite: the same bytes each time. Longer than the rest of the suite
// together, so ctest leaves it to `make check-package`.
TEST(InstalledCopy, PackageIsReproducibleHoldsTheInstallAndItsDependsAndRunsUnpacked)
{
    QTemporaryDir scratch;
    const QString folders[] = {scratch.filePath("second/b"), scratch.path()};
    const Ran arch = RunTool(QStringLiteral("dpkg"), {"--print-architecture"});
    const QString suffix = "_0.2.0_" + arch.out.trimmed();
    const QString debName = "vantrel" + suffix + ".deb";

    // Without the checks: the suite that runs this never runs itself again.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"MAKEFLAGS", "MFLAGS", "MAKELEVEL"})
        env.remove(QLatin1String(name));
    // Inside a package build the outer build's flags and settings are in the
    // environment, and debhelper keeps flags it finds set: its path mapping
    // would leave each inner build's own path in its files.
    for (const QString& name : env.keys()) {
        static const QStringList flags{"CFLAGS",    "CXXFLAGS",    "CPPFLAGS", "LDFLAGS",
                                       "OBJCFLAGS", "OBJCXXFLAGS", "FFLAGS",   "FCFLAGS"};
        if (flags.contains(name) || name.startsWith(QLatin1String("DEB_")) || name.startsWith(QLatin1String("DH_")))
            env.remove(name);
    }
    env.insert(QStringLiteral("DEB_BUILD_OPTIONS"), QStringLiteral("nocheck parallel=1"));
    for (const QString& folder : folders) {
        if (!CopySource(folder + "/vantrel"))
            GTEST_SKIP() << "no git checkout to build the package from";
        const Ran build = RunTool(QStringLiteral("dpkg-buildpackage"), {"-us", "-uc", "-b", "-Pnocheck"}, env,
                                  folder + "/vantrel", BuildPatience);
        ASSERT_EQ(build.code, 0) << build.out.toStdString() << build.err.toStdString();
    }

    // As Debian's build machines build it: unpacked from the .dsc by a user
    // who is not root, its suite run. Root's private folders are not theirs.
    const QString source = scratch.filePath("source");
    ASSERT_TRUE(CopySource(source + "/vantrel"));
    const Ran dsc = RunTool(QStringLiteral("dpkg-source"), {"-b", "vantrel"}, env, source);
    ASSERT_EQ(dsc.code, 0) << dsc.out.toStdString() << dsc.err.toStdString();
    const QString plain = scratch.filePath("plain user");
    QDir().mkpath(plain + "/tmp");
    const bool root = ::geteuid() == 0;
    if (root) {
        for (const QString& folder : {plain, plain + "/tmp"})
            ASSERT_EQ(::chown(QFile::encodeName(folder).constData(), PlainUser, PlainUser), 0);
        for (QString up = scratch.path(); up.size() > 1; up = QFileInfo(up).path()) {
            struct stat st
            {
            };
            if (::stat(QFile::encodeName(up).constData(), &st) == 0 && st.st_uid == 0)
                ::chmod(QFile::encodeName(up).constData(), (st.st_mode & 07777) | S_IXOTH);
        }
    }
    QProcessEnvironment user = env;
    for (const QString& name : user.keys())
        if (name.startsWith(QLatin1String("XDG_")))
            user.remove(name);
    user.insert(QStringLiteral("HOME"), plain);
    user.insert(QStringLiteral("TMPDIR"), plain + "/tmp");
    user.insert(QStringLiteral("DEB_BUILD_OPTIONS"), QStringLiteral("parallel=2"));
    const QStringList asUser = root ? QStringList{"--reuid=" + QString::number(PlainUser),
                                                  "--regid=" + QString::number(PlainUser), "--clear-groups", "--", "sh"}
                                    : QStringList{};
    const Ran fromDsc
        = RunTool(root ? QStringLiteral("setpriv") : QStringLiteral("sh"),
                  asUser
                      + QStringList{"-c", "dpkg-source -x \"$1\" vantrel && cd vantrel && dpkg-buildpackage -us -uc -b",
                                    "sh", source + "/vantrel_0.2.0.dsc"},
                  user, plain, 2 * BuildPatience);
    ASSERT_EQ(fromDsc.code, 0) << fromDsc.out.right(20000).toStdString() << fromDsc.err.right(20000).toStdString();

    for (const QString& file : {debName, "vantrel-dbgsym" + suffix + ".deb"}) {
        const QByteArray first = ReadAll(folders[0] + "/" + file);
        EXPECT_FALSE(first.isEmpty()) << file.toStdString();
        EXPECT_TRUE(first == ReadAll(folders[1] + "/" + file)) << file.toStdString() << " differs between the builds";
        EXPECT_TRUE(first == ReadAll(plain + "/" + file))
            << file.toStdString() << " built from the .dsc with the suite differs";
    }
    for (const QString& checked : {scratch.filePath("vantrel" + suffix + ".changes"), source + "/vantrel_0.2.0.dsc"}) {
        const Ran lintian = RunTool(QStringLiteral("lintian"), {"--fail-on", "error,warning", checked});
        EXPECT_EQ(lintian.code, 0) << lintian.out.toStdString() << lintian.err.toStdString();
    }

    const QString deb = scratch.filePath(debName);
    const Ran unpack = RunTool(QStringLiteral("dpkg-deb"), {"-x", deb, scratch.filePath("root")});
    ASSERT_EQ(unpack.code, 0) << unpack.err.toStdString();
    const QStringList files = FilesBelow(scratch.filePath("root"));
    for (const char* file :
         {"/usr/bin/vantrel", "/usr/libexec/vantrel/vantrel-batch", "/usr/share/man/man1/vantrel.1.gz",
          "/usr/share/bash-completion/completions/vantrel", "/usr/share/zsh/vendor-completions/_vantrel",
          "/usr/share/fish/vendor_completions.d/vantrel.fish", "/usr/share/doc/vantrel/copyright",
          "/usr/share/doc/vantrel/changelog.gz", "/usr/share/doc/vantrel/CHANGELOG.md.gz",
          "/usr/share/applications/vantrel.desktop", "/usr/share/metainfo/io.vantrel.Vantrel.metainfo.xml",
          "/usr/share/icons/hicolor/scalable/apps/vantrel.svg"})
        EXPECT_TRUE(files.contains(QLatin1String(file))) << file << " missing from " << files.join(' ').toStdString();
    for (const QString& file : files)
        EXPECT_TRUE(file.startsWith("/usr/share/") || file == "/usr/bin/vantrel"
                    || file == "/usr/libexec/vantrel/vantrel-batch")
            << file.toStdString() << " has no place in the package";

    struct Field
    {
        const char* name;
        QStringList holds;
    };
    const std::vector<Field> fields{
        {"Package", {"vantrel"}},
        {"Version", {"0.2.0"}},
        {"Section", {"video"}},
        {"Maintainer", {"<"}},
        {"Depends",
         {"ffmpeg", "mediainfo", "libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6network6", "libqt6dbus6",
          "libc6", "libstdc++6"}},
        {"Recommends", {"fonts-wine", "xdg-utils"}},
        {"Description", {"\n"}}, // a synopsis and a long description
    };
    for (const Field& field : fields) {
        const Ran value = RunTool(QStringLiteral("dpkg-deb"), {"-f", deb, field.name});
        for (const QString& part : field.holds)
            EXPECT_TRUE(value.out.trimmed().contains(part)) << field.name << ": " << value.out.toStdString();
    }

    ChecksAnInstalledProgram(scratch.filePath("root/usr"), scratch.filePath("run"));
}
