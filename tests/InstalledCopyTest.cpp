// The program as users get it: installed with DESTDIR under a prefix with a
// blank in it, and as the Debian package unpacked. Each copy must find its
// own batch helper in libexec and convert real files.
#include "support/QtPrinters.h"
#include "support/TestEnv.h"

#include "engine/ConversionRun.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr int Patience = 300000; // ms; only a hang waits this long

struct Ran
{
    int code = -1;
    QString out;
    QString err;
};

Ran RunTool(const QString& program, const QStringList& arguments, const QProcessEnvironment& env = {},
            const QString& folder = {})
{
    QProcess process;
    process.setProcessEnvironment(env.isEmpty() ? QProcessEnvironment::systemEnvironment() : env);
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(program, arguments);
    if (!process.waitForFinished(Patience)) {
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
    for (const QString& avi : {out + "/a.avi", out + "/b.avi"})
        EXPECT_GT(QFileInfo(avi).size(), 0) << avi.toStdString();
}

} // namespace

TEST(InstalledCopy, RunsFromAPrefixWithABlankAndCompletesInBash)
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

    // The completion bash-completion loads for "vantrel", from where it looks.
    const QString completion = root + "/share/bash-completion/completions/vantrel";
    const QString folder = scratch.filePath("completing");
    QDir().mkpath(folder + "/sub folder");
    for (const char* name : {"a.flv", "B.FLV", "notes.txt"}) {
        QFile file(folder + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    struct Case
    {
        QStringList words; // the last one is being completed
        QString offered;   // COMPREPLY, one a line, sorted
    };
    const std::vector<Case> cases{
        {{"vantrel", "--convert-to", ""}, "divx\nxvid\n"},
        {{"vantrel", "--convert-to", "=", "x"}, "xvid\n"},
        {{"vantrel", "--conv"}, "--convert-to\n"},
        {{"vantrel", "--outdir", ""}, "sub folder\n"},
        {{"vantrel", "--convert-to", "divx", ""}, "B.FLV\na.flv\nsub folder\n"},
        {{"vantrel", "--", "-"}, ""},
    };
    const QString script
        = QStringLiteral("source \"$1\"; shift; COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); "
                         "$(complete -p vantrel | sed 's/.*-F \\([^ ]*\\).*/\\1/'); "
                         "[ ${#COMPREPLY[@]} = 0 ] || printf '%s\\n' \"${COMPREPLY[@]}\" | LC_ALL=C sort");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words.join(' ').toStdString());
        const Ran ran
            = RunTool(QStringLiteral("bash"), QStringList{"-c", script, "bash", completion} + c.words, {}, folder);
        EXPECT_EQ(ran.code, 0) << ran.err.toStdString();
        EXPECT_EQ(ran.out, c.offered);
    }
}

TEST(InstalledCopy, PackageHoldsTheInstallAndItsDependsAndRunsUnpacked)
{
    QTemporaryDir scratch;
    const Ran arch = RunTool(QStringLiteral("dpkg"), {"--print-architecture"});
    const QString debName = "vantrel_0.2.0_" + arch.out.trimmed() + ".deb";

    // Built twice: the same files each time.
    QStringList lists[2];
    for (int i = 0; i < 2; ++i) {
        const QString folder = scratch.filePath(QString::number(i));
        const Ran cpack
            = RunTool(QStringLiteral(VANTREL_CPACK),
                      {"-G", "DEB", "-B", folder, "--config", BuildDir() + "/CPackConfig.cmake"}, {}, BuildDir());
        ASSERT_EQ(cpack.code, 0) << cpack.out.toStdString() << cpack.err.toStdString();
        ASSERT_TRUE(QFile::exists(folder + "/" + debName)) << cpack.out.toStdString();
        const Ran unpack = RunTool(QStringLiteral("dpkg-deb"), {"-x", folder + "/" + debName, folder + "/root"});
        ASSERT_EQ(unpack.code, 0) << unpack.err.toStdString();
        lists[i] = FilesBelow(folder + "/root");
    }
    EXPECT_EQ(lists[0], lists[1]);
    for (const char* file :
         {"/usr/bin/vantrel", "/usr/libexec/vantrel/vantrel-batch", "/usr/share/man/man1/vantrel.1.gz",
          "/usr/share/bash-completion/completions/vantrel", "/usr/share/doc/vantrel/copyright",
          "/usr/share/doc/vantrel/changelog.gz", "/usr/share/applications/vantrel.desktop",
          "/usr/share/metainfo/io.vantrel.Vantrel.metainfo.xml", "/usr/share/icons/hicolor/scalable/apps/vantrel.svg"})
        EXPECT_TRUE(lists[0].contains(QLatin1String(file)))
            << file << " missing from " << lists[0].join(' ').toStdString();
    for (const QString& file : lists[0])
        EXPECT_TRUE(file.startsWith("/usr/share/") || file == "/usr/bin/vantrel"
                    || file == "/usr/libexec/vantrel/vantrel-batch")
            << file.toStdString() << " has no place in the package";

    const QString deb = scratch.filePath("0/" + debName);
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
        {"Recommends", {"fonts-wine"}},
        {"Description", {"\n"}}, // a synopsis and a long description
    };
    for (const Field& field : fields) {
        const Ran value = RunTool(QStringLiteral("dpkg-deb"), {"-f", deb, field.name});
        for (const QString& part : field.holds)
            EXPECT_TRUE(value.out.trimmed().contains(part)) << field.name << ": " << value.out.toStdString();
    }

    ChecksAnInstalledProgram(scratch.filePath("0/root/usr"), scratch.filePath("run"));
}
