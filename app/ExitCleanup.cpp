#include "app/ExitCleanup.h"

#include "model/MainState.h"

#include <QDir>
#include <QFile>

namespace ExitCleanup {

namespace {

// open.bat, and what probes side by side left: the private temp folder is
// ours alone, so their names cannot be another program's.
QStringList probeBatch(const MainState& state)
{
    if (state.TempDir.isEmpty())
        return {};
    QStringList files{state.TempDir + QStringLiteral("open.bat")};
    const QStringList sideBySide = QDir(state.TempDir).entryList(
        {QStringLiteral("open-*.bat"), QStringLiteral("duration_time-*.txt")}, QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& name : sideBySide)
        files << state.TempDir + name;
    return files;
}

} // namespace

QStringList FilesAtClose(const MainState& state)
{
    return probeBatch(state);
}

QStringList FilesAtDestroy(const MainState& state)
{
    return probeBatch(state);
}

void DeleteFiles(const QStringList& paths)
{
    for (const QString& path : paths)
        QFile::remove(path);
}

} // namespace ExitCleanup
