#include "platform/SettingsStore.h"

#include "platform/NativePath.h"
#include "platform/Error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringDecoder>

#include <algorithm>

#include <unistd.h>

namespace {

enum class Access { Read, Write };

void throwOnFailure(const QSettings& settings, Access access)
{
    switch (settings.status()) {
    case QSettings::NoError: return;
    case QSettings::AccessError:
        throw VantrelError((access == Access::Read
                                ? QCoreApplication::translate("SettingsStore", "Cannot read the settings file \"%1\"")
                                : QCoreApplication::translate("SettingsStore", "Cannot write the settings file \"%1\""))
                               .arg(settings.fileName()));
    case QSettings::FormatError:
        throw VantrelError(QCoreApplication::translate("SettingsStore", "The settings file \"%1\" is damaged")
                               .arg(settings.fileName()));
    }
}

enum class Shape { Settings, SettingsWithForeignText, NotSettings };

// The settings format reads almost any bytes as some keys, and would write
// them back mangled: only comments, [sections] and key=value lines count, and
// no control byte. A byte that is not UTF-8 still leaves a file of settings:
// in a comment it changes nothing read, but in a line of settings it is read
// as U+FFFD and would be written back changed, so such a file is only read.
Shape ShapeOf(const QString& path)
{
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return Shape::Settings; // missing or unreadable: QSettings itself reports it
    Shape shape = Shape::Settings;
    const auto control = [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r'; };
    for (QByteArray line : file.readAll().split('\n')) {
        if (std::any_of(line.cbegin(), line.cend(), control))
            return Shape::NotSettings;
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[') ? !line.endsWith(']') : !line.contains('='))
            return Shape::NotSettings;
        QStringDecoder utf8(QStringDecoder::Utf8);
        [[maybe_unused]] const QString text = utf8(line);
        if (utf8.hasError())
            shape = Shape::SettingsWithForeignText;
    }
    return shape;
}

bool MayWrite(const QString& path)
{
    return ::access(NativePath::Encode(path).constData(), W_OK) == 0;
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
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vantrel")))
{
    throwOnFailure(*m_settings, Access::Read);
    const Shape shape = ShapeOf(m_settings->fileName());
    if (shape == Shape::NotSettings)
        throw VantrelError(QCoreApplication::translate("SettingsStore", "The settings file \"%1\" is damaged")
                               .arg(m_settings->fileName()));
    m_rewritable = shape == Shape::Settings;
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::NotRememberedText(const QString& trouble)
{
    const QString sentence = trouble.endsWith(QLatin1Char('.')) ? trouble : trouble + QLatin1Char('.');
    return sentence + QCoreApplication::translate("SettingsStore", " The output folder will not be remembered.");
}

bool SettingsStore::contains(const QString& name) const
{
    return m_settings->contains(name);
}

QString SettingsStore::readString(const QString& name) const
{
    const QVariant value = m_settings->value(name);
    if (value.typeId() != QMetaType::QString)
        throw VantrelError(QCoreApplication::translate("SettingsStore", "The setting \"%1\" is not a text").arg(name));
    return value.toString();
}

void SettingsStore::writeString(const QString& name, const QString& value)
{
    // A change that cannot be saved would stay cached for the whole process
    // and fail every later read, so it is never made.
    if (!m_rewritable)
        throw VantrelError(
            QCoreApplication::translate("SettingsStore",
                                        "Cannot write the settings file \"%1\": it holds text that is not UTF-8")
                .arg(m_settings->fileName()));
    if (!CanSave(m_settings->fileName()))
        throw VantrelError(QCoreApplication::translate("SettingsStore", "Cannot write the settings file \"%1\"")
                               .arg(m_settings->fileName()));
    m_settings->setValue(name, value);
    m_settings->sync();
    throwOnFailure(*m_settings, Access::Write);
}
