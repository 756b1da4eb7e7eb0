#include "BenchSupport.h"

#include "BenchCommands.h"

#include "app/Main.h"

#include <QDir>
#include <QSettings>

BenchHome::BenchHome()
{
    const QString base = m_dir.path();
    for (const char* sub : {"home/.config", "home/.local/share", "home/.cache", "runtime", "tmp"})
        QDir().mkpath(base + QLatin1Char('/') + QLatin1String(sub));
    QFile::setPermissions(base + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("HOME", QFile::encodeName(base + QStringLiteral("/home")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(base + QStringLiteral("/home/.config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(base + QStringLiteral("/home/.local/share")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(base + QStringLiteral("/home/.cache")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(base + QStringLiteral("/runtime")));
    qputenv("TMPDIR", QFile::encodeName(base + QStringLiteral("/tmp")));
    qunsetenv("XDG_DOCUMENTS_DIR");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, base + QStringLiteral("/home/.config"));
}

std::unique_ptr<TfrmMain> MakeBenchWindow()
{
    return std::make_unique<TfrmMain>();
}

QString SecondsText(qint64 nanoseconds)
{
    return QString::number(static_cast<double>(nanoseconds) / 1e9, 'f', 3);
}

BenchRegistration::BenchRegistration(const char* name, const char* usage, BenchCommand command)
{
    const_cast<std::vector<BenchEntry>&>(BenchCommands()).push_back({name, usage, command});
}

const std::vector<BenchEntry>& BenchCommands()
{
    static std::vector<BenchEntry> commands;
    return commands;
}
