// The test programs' entry: a QApplication (offscreen unless told otherwise)
// and a process-wide fresh HOME, so no test sees the real user's files.
#include "support/TestEnv.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    auto home = std::make_unique<FreshHome>();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    const int result = RUN_ALL_TESTS();
    return result;
}
