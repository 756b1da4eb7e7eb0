#include "app/ExitCleanup.h"

#include "model/MainState.h"

#include <QFile>

namespace ExitCleanup {

namespace {

QStringList probeBatch(const MainState& state)
{
    if (state.TempDir.isEmpty())
        return {};
    return {state.TempDir + QStringLiteral("open.bat")};
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
