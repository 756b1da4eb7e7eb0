#include "core/StartUp.h"
#include "model/Settings.h"
#include "model/Tools.h"
#include "platform/Prompt.h"
#include "platform/SettingsStore.h"
#include "support/TestEnv.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Settings files a user meets: the stored output folder is always read, later
// reads in the same process still work, and a file that cannot be written or
// understood is never written over.
TEST(SettingsStore, UnwritableOrDamagedFilesKeepTheirValuesAndBytes)
{
    struct Case
    {
        const char* name;
        bool damaged; // random bytes rather than settings
        bool readOnlyFile;
        bool readOnlyFolder;
    };
    const Case cases[] = {
        {"a settings file of mode 0444", false, true, false},
        {"a read-only settings folder", false, false, true},
        {"random bytes", true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FreshHome home;
        const QString chosen = home.root() + QStringLiteral("/chosen");
        QDir().mkpath(chosen);
        QDir().mkpath(home.documents());
        {
            QFile f(home.configFile());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            if (c.damaged) {
                QByteArray noise(4096, '\0');
                for (char& b : noise)
                    b = static_cast<char>(QRandomGenerator::global()->bounded(256));
                f.write(noise);
            } else {
                f.write("[General]\nWorkDir=" + QFile::encodeName(chosen) + "\n");
            }
        }
        const QByteArray before = Bytes(home.configFile());
        if (c.readOnlyFile)
            ::chmod(QFile::encodeName(home.configFile()).constData(), 0444);

        RunUnprivileged(home, [&] {
            if (c.readOnlyFolder)
                ::chmod(QFile::encodeName(QFileInfo(home.configFile()).path()).constData(), 0555);
            Prompt::Script prompts;
            Settings state;
            Tools stateTools;
            const QString shown = StartUp::Run(state, stateTools);
            // A file the program cannot use is told once, naming it; one it cannot write is told at Browse.
            const QStringList told = prompts.texts(Prompt::Kind::Message);
            const QString damage = QStringLiteral("The settings file \"%1\" is damaged. The output folder will not be "
                                                  "remembered.")
                                       .arg(home.configFile());
            if (told != (c.damaged ? QStringList{damage} : QStringList{})) {
                std::fprintf(stderr, "%s\n", qPrintable(told.join('\n')));
                return 5;
            }
            const QString expected = c.damaged ? QString() : chosen;
            if (shown != expected || state.WorkDir != expected)
                return 1;
            // The failed writes of start-up have not spoiled later reads.
            if (StartUp::StoredWorkDir() != expected)
                return 2;
            try {
                SettingsStore store;
                store.writeString(SettingsStore::WorkDirKey, QStringLiteral("/elsewhere"));
                return 3; // the write must fail
            } catch (const std::exception&) { }
            if (StartUp::StoredWorkDir() != expected)
                return 4;
            return 0;
        });
        EXPECT_EQ(Bytes(home.configFile()), before) << "the settings file was written over";
        ::chmod(QFile::encodeName(QFileInfo(home.configFile()).path()).constData(), 0755);
    }
}

} // namespace
