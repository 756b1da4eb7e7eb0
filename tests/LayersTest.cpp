// The folders' include graph: each folder includes only from the folders
// before it, queue/ and engine/ never include each other, controls/ includes
// nothing of the project, and no chain of includes leads back to its folder.
// And the libraries each layer links: Qt Widgets only in controls/ and app/.
#include "support/TestEnv.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

namespace {

// The layers in link order; a folder may include only from a lower rank.
// queue/ and engine/ share a rank, so neither may include the other; so do
// controls/ and core/.
const std::map<QString, int> Rank{
    {"platform", 0}, {"model", 1}, {"queue", 2}, {"engine", 2}, {"controls", 3}, {"core", 3}, {"app", 4},
};
// The layers that may show a widget.
const QStringList WidgetLayers{"controls", "app"};
// Folders after the libraries: free among themselves, but never in a cycle.
const QStringList Later{"tools", "tests", "bench"};

struct Include
{
    QString file; // relative to the source folder
    int line;
    QString from;
    QString to;

    QString where() const { return QStringLiteral("%1:%2 includes %3/").arg(file).arg(line).arg(to); }
};

QString TopFolder(const QString& relative)
{
    return relative.section(QLatin1Char('/'), 0, 0);
}

// Which top folder an include names: as written from the source folder, from
// the including file's folder, or from a top folder (the tests' include path).
QString IncludedFolder(const QDir& root, const QString& fileDir, const QString& included)
{
    if (QFileInfo::exists(root.filePath(included)))
        return TopFolder(included);
    if (QFileInfo::exists(QDir(fileDir).filePath(included)))
        return TopFolder(root.relativeFilePath(QDir(fileDir).filePath(included)));
    for (const QString& top : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (QFileInfo::exists(root.filePath(top + QLatin1Char('/') + included)))
            return top;
    return {};
}

// Every #include "..." of the project's sources that reaches another folder.
std::vector<Include> CrossFolderIncludes(const QString& sourceDir)
{
    const QDir root(sourceDir);
    std::vector<Include> found;
    QStringList folders;
    for (const auto& [folder, rank] : Rank)
        folders << folder;
    folders << Later;
    static const QRegularExpression includeLine(QStringLiteral(R"re(^\s*#\s*include\s*"([^"]+)")re"));
    for (const QString& folder : folders) {
        QDirIterator it(root.filePath(folder), {"*.h", "*.cpp"}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
                continue;
            const QString relative = root.relativeFilePath(path);
            int number = 0;
            while (!file.atEnd()) {
                ++number;
                const auto match = includeLine.match(QString::fromUtf8(file.readLine()));
                if (!match.hasMatch())
                    continue;
                const QString to = IncludedFolder(root, QFileInfo(path).path(), match.captured(1));
                if (!to.isEmpty() && to != folder)
                    found.push_back({relative, number, folder, to});
            }
        }
    }
    return found;
}

// One line per include that breaks the layering, naming file and line.
QStringList WrongWayIncludes(const std::vector<Include>& includes)
{
    QStringList wrong;
    for (const Include& inc : includes) {
        const auto from = Rank.find(inc.from);
        const auto to = Rank.find(inc.to);
        if (from == Rank.end())
            continue; // a later folder may use any library
        if (inc.from == QLatin1String("controls"))
            wrong << inc.where() + QStringLiteral(": controls/ includes nothing of the project");
        else if (to == Rank.end() || to->second >= from->second)
            wrong << inc.where() + QStringLiteral(": %1/ may include only folders before it").arg(inc.from);
    }
    return wrong;
}

// A cycle in the folder graph, as the includes that close it; empty when none.
QStringList FolderCycle(const std::vector<Include>& includes)
{
    std::map<QString, std::map<QString, const Include*>> edges;
    for (const Include& inc : includes)
        edges[inc.from].emplace(inc.to, &inc);

    std::map<QString, int> mark; // 1 on the path, 2 done
    std::vector<const Include*> path;
    QStringList cycle;
    std::function<bool(const QString&)> visit = [&](const QString& folder) {
        mark[folder] = 1;
        for (const auto& [next, inc] : edges[folder]) {
            path.push_back(inc);
            if (mark[next] == 1) {
                auto start = path.begin();
                while ((*start)->from != next)
                    ++start;
                for (auto it = start; it != path.end(); ++it)
                    cycle << (*it)->where();
                return true;
            }
            if (mark[next] == 0 && visit(next))
                return true;
            path.pop_back();
        }
        mark[folder] = 2;
        return false;
    };
    for (const auto& [folder, out] : edges)
        if (mark[folder] == 0 && visit(folder))
            break;
    return cycle;
}

// The Qt modules ("Core", "Widgets") a program needs at run time, as its
// dynamic section names them.
QStringList QtModulesNeeded(const QString& program)
{
    QProcess readelf;
    readelf.start(QStringLiteral("readelf"), {QStringLiteral("--dynamic"), QStringLiteral("--wide"), program});
    if (!readelf.waitForFinished(30000) || readelf.exitCode() != 0)
        return {};
    static const QRegularExpression needed(QStringLiteral(R"re(\(NEEDED\)\s+Shared library: \[libQt6(\w+)\.so)re"));
    QStringList modules;
    for (auto it = needed.globalMatch(QString::fromUtf8(readelf.readAllStandardOutput())); it.hasNext();)
        modules << it.next().captured(1);
    return modules;
}

void Plant(const QTemporaryDir& dir, const QString& file, const QString& text)
{
    const QString path = dir.filePath(file);
    QDir().mkpath(QFileInfo(path).path());
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(text.toUtf8());
}

TEST(Layers, TheProjectsIncludesFollowTheLayersWithoutCycle)
{
    const auto includes = CrossFolderIncludes(QStringLiteral(VANTREL_SOURCE_DIR));
    ASSERT_GT(includes.size(), 20u) << "the sources were not read";
    EXPECT_EQ(WrongWayIncludes(includes).join('\n').toStdString(), "");
    EXPECT_EQ(FolderCycle(includes).join('\n').toStdString(), "");
}

// Each layer as the build links it: a program made of the whole layer alone
// (tests/CMakeLists.txt) needs exactly the libraries the layer brings along.
TEST(Layers, OnlyControlsAndAppLinkQtWidgets)
{
    for (const auto& [layer, rank] : Rank) {
        const bool widgets = WidgetLayers.contains(layer);
        const QStringList modules = QtModulesNeeded(BinPath(QStringLiteral("layer-link-") + layer));
        const std::string seen = layer.toStdString() + " links Qt " + modules.join(QStringLiteral(", ")).toStdString();
        EXPECT_TRUE(modules.contains(QStringLiteral("Core"))) << seen;
        EXPECT_EQ(modules.contains(QStringLiteral("Widgets")), widgets) << seen;
    }
}

// The check itself, on small planted trees: it must name what breaks the rules.
TEST(Layers, TheCheckNamesTheFileAndLineOfEachWrongInclude)
{
    struct Case
    {
        const char* name;
        std::vector<std::pair<QString, QString>> files; // path, text
        QString wrong;                                  // expected first wrong-way line; empty: none
        QString cycle;                                  // expected cycle; empty: none
    };
    const QString header = QStringLiteral("#pragma once\n");
    const std::vector<Case> cases{
        {"layered tree",
         {{"platform/P.h", header},
          {"model/M.h", "#include \"platform/P.h\"\n"},
          {"app/A.cpp", "#include \"model/M.h\"\n#include \"A.h\"\n"},
          {"app/A.h", header}},
         "",
         ""},
        {"engine reaches up into app",
         {{"app/A.h", header}, {"engine/E.cpp", "// run\n#include <QObject>\n#include \"app/A.h\"\n"}},
         "engine/E.cpp:3 includes app/: engine/ may include only folders before it",
         ""},
        {"queue and engine include each other",
         {{"queue/Q.h", "#include \"engine/E.h\"\n"}, {"engine/E.h", "#include \"queue/Q.h\"\n"}},
         "engine/E.h:1 includes queue/: engine/ may include only folders before it",
         "engine/E.h:1 includes queue/\nqueue/Q.h:1 includes engine/"},
        {"controls uses the platform",
         {{"platform/P.h", header}, {"controls/C.cpp", "  #  include \"platform/P.h\"\n"}},
         "controls/C.cpp:1 includes platform/: controls/ includes nothing of the project",
         ""},
        {"later folders in a circle",
         {{"tests/support/T.h", "#include \"bench/B.h\"\n"}, {"bench/B.h", "#include \"support/T.h\"\n"}},
         "",
         "bench/B.h:1 includes tests/\ntests/support/T.h:1 includes bench/"},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        for (const auto& [file, text] : c.files)
            Plant(dir, file, text);
        const auto includes = CrossFolderIncludes(dir.path());
        const QStringList wrong = WrongWayIncludes(includes);
        EXPECT_EQ(wrong.value(0).toStdString(), c.wrong.toStdString()) << c.name;
        EXPECT_EQ(FolderCycle(includes).join('\n').toStdString(), c.cycle.toStdString()) << c.name;
    }
}

} // namespace
