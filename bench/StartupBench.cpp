// startup [--runs N]: start to a visible window, Vantrel's against an empty
// Qt window of the same size (vantrel-bench-empty-window) and against that
// window with one line of text, in turn on an X server of the benchmark's own
// (Xvfb). Each run is timed from the fork
// to the window's map and to the first painted pixel at its centre, and the
// CPU time its main thread had used by then is read, which a busy machine
// does not lengthen as it does the wall time.
#include "BenchCommands.h"
#include "BenchSupport.h"
#include "TimedRun.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>

#include <algorithm>
#include <cstdio>
#include <vector>

#ifdef VANTREL_BENCH_XCB

#include <xcb/xcb.h>

#include <csignal>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Ends a child started here and waits for it.
void EndChild(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
}

// An Xvfb of our own, on the display number it picks itself; ended with the object.
class VirtualDisplay
{
public:
    VirtualDisplay()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        const std::string fd = std::to_string(fds[1]);
        m_pid = fork();
        if (m_pid == 0) {
            close(fds[0]);
            const int null = open("/dev/null", O_RDWR);
            dup2(null, 0);
            dup2(null, 1);
            dup2(null, 2);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-br",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // Xvfb writes its number once it accepts clients.
        std::string number;
        pollfd wait{fds[0], POLLIN, 0};
        char c = 0;
        while (poll(&wait, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (!number.empty())
            m_name = ":" + number;
    }
    ~VirtualDisplay() { EndChild(m_pid); }
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    const std::string& name() const { return m_name; }

private:
    pid_t m_pid = -1;
    std::string m_name;
};

struct Program
{
    const char* name;
    QString path;
    QByteArray argument;                          // empty: none
    std::vector<double> mapped, painted, mainCpu; // milliseconds
};

struct Times
{
    double mapped = -1;
    double painted = -1;
    double mainCpu = -1; // CPU time of the main thread until painted
};

// Milliseconds a thread has run, from the scheduler's own count in nanoseconds.
double RunTime(const QString& schedstat)
{
    QFile file(schedstat);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readAll().split(' ').value(0).toDouble() / 1e6;
}

// The CPU time of a process's main thread, the one that paints: on a busy
// machine, what the start costs it, however long it waited for others.
// (A helper thread that has ended is no longer listed, so only this one is read.)
double MainThreadCpu(pid_t pid)
{
    return RunTime(QStringLiteral("/proc/%1/schedstat").arg(pid));
}

class WindowWatch
{
public:
    explicit WindowWatch(const std::string& display) : m_connection(xcb_connect(display.c_str(), nullptr))
    {
        if (xcb_connection_has_error(m_connection))
            return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
        m_ok = true;
    }
    ~WindowWatch() { xcb_disconnect(m_connection); }
    WindowWatch(const WindowWatch&) = delete;
    WindowWatch& operator=(const WindowWatch&) = delete;

    bool ok() const { return m_ok; }

    // Starts the program and times its first mapped top-level window until a
    // pixel at its centre is no longer the black of the empty screen.
    Times time(const QString& program, const QByteArray& argument, char* const* environment)
    {
        Times times;
        const QByteArray path = QFile::encodeName(program);
        char* const argv[] = {const_cast<char*>(path.constData()),
                              argument.isEmpty() ? nullptr : const_cast<char*>(argument.constData()), nullptr};
        QElapsedTimer clock;
        clock.start();
        const pid_t pid = fork();
        if (pid == 0) {
            const int null = open("/dev/null", O_RDWR);
            dup2(null, 0);
            dup2(null, 1);
            dup2(null, 2);
            execve(argv[0], argv, environment);
            _exit(127);
        }
        const auto ms = [&] { return static_cast<double>(clock.nsecsElapsed()) / 1e6; };
        xcb_window_t window = XCB_NONE;
        pollfd wait{xcb_get_file_descriptor(m_connection), POLLIN, 0};
        while (window == XCB_NONE && ms() < 10000) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                const std::unique_ptr<xcb_generic_event_t, decltype(&free)> owned(event, &free);
                if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY)
                    continue;
                const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
                if (!map->override_redirect && window == XCB_NONE) {
                    window = map->window;
                    times.mapped = ms();
                }
            }
            if (window == XCB_NONE)
                poll(&wait, 1, 10);
        }
        if (window != XCB_NONE) {
            int16_t x = 0, y = 0;
            if (auto* geometry
                = xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr)) {
                x = static_cast<int16_t>(geometry->width / 2);
                y = static_cast<int16_t>(geometry->height / 2);
                free(geometry);
            }
            while (times.painted < 0 && ms() < 10000) {
                if (painted(window, x, y)) {
                    times.painted = ms();
                    times.mainCpu = MainThreadCpu(pid);
                } else
                    usleep(200);
            }
        }
        EndChild(pid);
        // Unmaps and the like of this run are of no interest to the next.
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection))
            free(event);
        return times;
    }

private:
    bool painted(xcb_window_t window, int16_t x, int16_t y)
    {
        auto* image = xcb_get_image_reply(
            m_connection, xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, x, y, 4, 4, ~0u), nullptr);
        if (!image)
            return false;
        const uint8_t* data = xcb_get_image_data(image);
        bool any = false;
        for (int i = 0; i < xcb_get_image_data_length(image) && !any; ++i)
            any = data[i] != 0;
        free(image);
        return any;
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root = XCB_NONE;
    bool m_ok = false;
};

int RunStartupBench(const QStringList& arguments)
{
    int runs = 10;
    if (arguments.size() == 2 && arguments.first() == QLatin1String("--runs"))
        runs = arguments.at(1).toInt();
    else if (!arguments.isEmpty())
        runs = 0;
    if (runs < 1) {
        std::fputs("usage: vantrel-bench startup [--runs N]\n", stderr);
        return 2;
    }
    VirtualDisplay display;
    if (display.name().empty()) {
        std::fputs("startup: Xvfb did not start (install the xvfb package)\n", stderr);
        return 2;
    }
    WindowWatch watch(display.name());
    if (!watch.ok()) {
        std::fprintf(stderr, "startup: cannot connect to %s\n", display.name().c_str());
        return 2;
    }

    // The benchmark's own environment (its private home), on the X server.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QString::fromStdString(display.name()));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    std::vector<QByteArray> entries;
    for (const QString& entry : environment.toStringList())
        entries.push_back(entry.toLocal8Bit());
    std::vector<char*> envp;
    for (QByteArray& entry : entries)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    const QString bin = QCoreApplication::applicationDirPath();
    Program empty{"empty", bin + QStringLiteral("/vantrel-bench-empty-window"), {}, {}, {}, {}};
    Program text{"text", empty.path, QByteArrayLiteral("--text"), {}, {}, {}};
    Program vantrel{"vantrel", bin + QStringLiteral("/vantrel"), {}, {}, {}, {}};
    printLine(
        QStringLiteral("startup: %1 runs each on Xvfb %2, alternating; the first pair warms up and is not counted")
            .arg(runs)
            .arg(QString::fromStdString(display.name())));
    for (int run = 0; run <= runs; ++run) {
        // Each takes every place in turn, so none always meets a warmer or busier machine.
        Program* order[3] = {&vantrel, &empty, &text};
        std::rotate(order, order + run % 3, order + 3);
        for (Program* program : order) {
            const Times times = watch.time(program->path, program->argument, envp.data());
            if (times.painted < 0) {
                std::fprintf(stderr, "startup: %s showed no painted window within 10 s\n", program->name);
                return 1;
            }
            if (run == 0)
                continue;
            program->mapped.push_back(times.mapped);
            program->painted.push_back(times.painted);
            program->mainCpu.push_back(times.mainCpu);
        }
    }
    for (const Program* program : {&vantrel, &empty, &text})
        printLine(
            QStringLiteral("%1 mapped %2 ms, painted %3 ms, main thread's CPU until painted %4 ms (median (min..max))")
                .arg(QLatin1String(program->name), -7)
                .arg(MedianAndRange(program->mapped, 1), MedianAndRange(program->painted, 1),
                     MedianAndRange(program->mainCpu, 1)));
    for (const Program* yardstick : {&empty, &text})
        printLine(QStringLiteral("vantrel/%1: mapped %2, painted %3, main thread's CPU %4 (ratio of medians)")
                      .arg(QLatin1String(yardstick->name))
                      .arg(Median(vantrel.mapped) / Median(yardstick->mapped), 0, 'f', 3)
                      .arg(Median(vantrel.painted) / Median(yardstick->painted), 0, 'f', 3)
                      .arg(Median(vantrel.mainCpu) / Median(yardstick->mainCpu), 0, 'f', 3));
    return 0;
}

} // namespace

#else

namespace {

int RunStartupBench(const QStringList&)
{
    std::fputs("startup: built without xcb headers (libxcb1-dev)\n", stderr);
    return 2;
}

} // namespace

#endif

namespace {

const BenchRegistration registration("startup", "startup [--runs N]", &RunStartupBench);

} // namespace
