#include "support/PrivateHome.h"

#include <QDir>
#include <QFile>
#include <QSettings>

void PointHomeInto(const QString& base)
{
    for (const char* sub : {"home", "home/.config", "home/.local/share", "home/.cache", "runtime", "tmp"})
        QDir().mkpath(base + QLatin1Char('/') + QLatin1String(sub));
    // Qt refuses a runtime folder that others may enter.
    QFile::setPermissions(base + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    qputenv("HOME", QFile::encodeName(base + QStringLiteral("/home")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(base + QStringLiteral("/home/.config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(base + QStringLiteral("/home/.local/share")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(base + QStringLiteral("/home/.cache")));
    qputenv("XDG_STATE_HOME", QFile::encodeName(base + QStringLiteral("/home/.local/state")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(base + QStringLiteral("/runtime")));
    qputenv("TMPDIR", QFile::encodeName(base + QStringLiteral("/tmp")));
    qunsetenv("XDG_DOCUMENTS_DIR"); // Documents is then ~/Documents
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, base + QStringLiteral("/home/.config"));
}
