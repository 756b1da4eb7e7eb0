// The test programs' entry: a QApplication (offscreen unless told otherwise)
// and a process-wide fresh HOME, so no test sees the real user's files.
#include "platform/Translations.h"
#include "support/TestEnv.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The texts the cases expect are the English ones, whatever this machine's
    // language; the programs the cases start inherit it.
    qputenv("LC_ALL", "C.UTF-8");
    qunsetenv("LANGUAGE");
    ::testing::InitGoogleTest(&argc, argv);
    auto home = std::make_unique<FreshHome>();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    Translations::Install(app);
    const int result = RUN_ALL_TESTS();
    return result;
}
