#pragma once

#include <QString>

#include <memory>
#include <optional>

class QSettings;

// The per-user settings store: QSettings in its native format, organisation
// "Vantrel" (~/.config/Vantrel.conf here, HKCU\Software\Vantrel on Windows).
// Every failure throws a VantrelError, so that a guarded block can swallow it;
// every write is synced at once, so nothing is lost when the program ends abruptly.
class SettingsStore
{
public:
    // Opens the store; throws when it exists but cannot be read or parsed, so
    // that nothing is written over a file the program could not understand.
    // A file with text that is not UTF-8 in its settings is read, but every
    // write throws, as it would change that text.
    SettingsStore();
    ~SettingsStore();

    // The values the program keeps.
    static const QString WorkDirKey; // the output folder
    static const QString AppDirKey;  // the tool folder
    static const QString JobsKey;    // files handled side by side; written only by the user

    // What a store that cannot be read or written costs the user, after why.
    static QString NotRememberedText(const QString& trouble);

    bool contains(const QString& name) const;
    // The value as text; throws when it is absent or not a string.
    QString readString(const QString& name) const;
    void writeString(const QString& name, const QString& value);

private:
    std::unique_ptr<QSettings> m_settings;
    bool m_rewritable = true; // false: it would be written back changed
};
