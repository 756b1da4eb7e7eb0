#include "platform/SettingsStore.h"

#include "platform/Error.h"

#include <QSettings>

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

} // namespace

const QString SettingsStore::WorkDirKey = QStringLiteral("WorkDir");
const QString SettingsStore::AppDirKey = QStringLiteral("AppDir");

SettingsStore::SettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             QStringLiteral("Vantrel")))
{
    throwOnFailure(*m_settings, "read");
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
    m_settings->setValue(name, value);
    m_settings->sync();
    throwOnFailure(*m_settings, "write");
}
