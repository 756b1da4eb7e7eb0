#include "platform/SettingsStore.h"

#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringDecoder>

#include <unistd.h>

namespace {

void throwOnFailure(const QSettings& settings, const char* what)
{
    switch (settings.status()) {
    case QSettings::NoError:
        return;
    case QSettings::AccessError:
        throw VantrelError(QStringLiteral("Cannot %1 the settings file \"%2\"")
                               .arg(QLatin1String(what), settings.fileName()));
    case QSettings::FormatError:
        throw VantrelError(QStringLiteral("The settings file \"%1\" is damaged").arg(settings.fileName()));
    }
}

// The settings format reads almost any bytes as some keys, and would write
// them back mangled: only text of comments, [sections] and key=value lines counts.
bool LooksLikeSettings(const QString& path)
{
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return true; // missing or unreadable: QSettings itself reports it
    const QByteArray bytes = file.readAll();
    if (bytes.contains('\0'))
        return false;
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    if (utf8.hasError())
        return false;
    for (QString line : text.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) ? !line.endsWith(QLatin1Char(']')) : !line.contains(QLatin1Char('=')))
            return false;
    }
    return true;
}

bool MayWrite(const QString& path)
{
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

// The settings are saved by writing a new file beside the old one and renaming
// it: the folder (or, when missing, the nearest folder above it) must be
// writable, and the file itself when it exists.
bool CanSave(const QString& file)
{
    QString folder = QFileInfo(file).absolutePath();
    while (!QFileInfo::exists(folder) && folder != QDir::rootPath())
        folder = QFileInfo(folder).absolutePath();
    return MayWrite(folder) && (!QFileInfo::exists(file) || MayWrite(file));
}

} // namespace

const QString SettingsStore::WorkDirKey = QStringLiteral("WorkDir");
const QString SettingsStore::AppDirKey = QStringLiteral("AppDir");
const QString SettingsStore::JobsKey = QStringLiteral("Jobs");

SettingsStore::SettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             QStringLiteral("Vantrel")))
{
    throwOnFailure(*m_settings, "read");
    if (!LooksLikeSettings(m_settings->fileName()))
        throw VantrelError(QStringLiteral("The settings file \"%1\" is damaged").arg(m_settings->fileName()));
}

SettingsStore::~SettingsStore() = default;

bool SettingsStore::contains(const QString& name) const
{
    return m_settings->contains(name);
}

QString SettingsStore::readString(const QString& name) const
{
    const QVariant value = m_settings->value(name);
    if (value.typeId() != QMetaType::QString)
        throw VantrelError(QStringLiteral("The setting \"%1\" is not a text").arg(name));
    return value.toString();
}

void SettingsStore::writeString(const QString& name, const QString& value)
{
    // A change that cannot be saved would stay cached for the whole process
    // and fail every later read, so it is never made.
    if (!CanSave(m_settings->fileName()))
        throw VantrelError(QStringLiteral("Cannot write the settings file \"%1\"").arg(m_settings->fileName()));
    m_settings->setValue(name, value);
    m_settings->sync();
    throwOnFailure(*m_settings, "write");
}
