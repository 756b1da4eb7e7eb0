#include "core/ConsoleFrontEnd.h"
#include "core/ConsoleOptions.h"
#include "app/Main.h"
#include "app/WindowFont.h"
#include "app/instance/MainInstance.h"
#include "controls/Skin.h"
#include "platform/NativePath.h"
#include "platform/Translations.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// The command line as the application object would give it, before there is one.
QStringList Arguments(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << NativePath::Decode(argv[i]);
    return arguments;
}

// The toolkit would take a path such as "-style" for one of its own options:
// the window's arguments are its paths alone, each that starts with "-" made
// absolute. A later copy forwards what it was given from these.
class WindowArguments
{
public:
    WindowArguments(char* program, const QStringList& paths)
    {
        m_bytes.emplace_back(program);
        for (const QString& path : paths) {
            m_bytes.push_back(path.startsWith(QLatin1Char('-'))
                                  ? NativePath::Encode(QDir::currentPath() + QLatin1Char('/') + path)
                                  : NativePath::Encode(path));
        }
        for (QByteArray& bytes : m_bytes)
            m_pointers.push_back(bytes.data());
        m_pointers.push_back(nullptr);
        m_count = static_cast<int>(m_bytes.size());
    }
    int& count() { return m_count; }
    char** values() { return m_pointers.data(); }

private:
    std::vector<QByteArray> m_bytes;
    std::vector<char*> m_pointers;
    int m_count = 0;
};

[[noreturn]] void NoDisplay()
{
    const QByteArray text = ConsoleOptions::NoDisplayText().toLocal8Bit();
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stderr);
    std::fflush(stderr);
    std::_Exit(2);
}

// A display to open the window on, or a platform chosen on purpose (the
// tests' offscreen one); a chosen platform that fails is caught as it starts.
bool MayHaveDisplay()
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY")
           || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

QtMessageHandler s_previousHandler = nullptr;

// While the application object starts, a platform that cannot open is fatal
// to Qt and would abort with a core dump.
void CatchPlatformFailure(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg)
        NoDisplay();
    if (s_previousHandler)
        s_previousHandler(type, context, text);
}

} // namespace

int main(int argc, char* argv[])
{
    // The front end needs no display: it never connects to the window system.
    const QStringList arguments = Arguments(argc, argv);
    if (ConsoleOptions::Wanted(arguments)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Vantrel"));
        Translations::Install(app);
        ConsoleFrontEnd frontEnd(ConsoleOptions::Parse(arguments));
        return frontEnd.exec();
    }

    if (!MayHaveDisplay())
        NoDisplay();
    // Qt reads arguments as UTF-8 and loses a name's other bytes: the paths are taken from argv itself.
    const QStringList windowPaths = ConsoleOptions::WindowPaths(arguments);
    WindowArguments windowArguments(argv[0], windowPaths);
    // The longest single step before the first paint, run beside the toolkit's start.
    FontConfigurationWarmUp fonts;
    s_previousHandler = qInstallMessageHandler(CatchPlatformFailure);
    QApplication app(windowArguments.count(), windowArguments.values());
    qInstallMessageHandler(s_previousHandler);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Vantrel"));
    Translations::Install(app);
    // Only the program itself may end its process when another copy runs.
    TMainInstance::setEnabled(true);
    TMainInstance::setArguments(windowPaths);
    // A later copy ends in the window's guard, before it waits for the fonts;
    // the first decodes its pictures while they are still being read.
    TfrmMain frmMain(nullptr, [&fonts] {
        Skin::WarmUp();
        fonts.wait();
    });
    frmMain.EndOnSignals();
    frmMain.show();
    frmMain.OfferKeptQueue();
    // Files and folders given (Open With, a file manager's drop on the icon).
    frmMain.OpenPaths(TMainInstance::GivenPaths(windowPaths));
    return app.exec();
}
