// A stand-in child process whose behaviour the first argument chooses:
//   exit N          exit with code N
//   sleep MS        sleep, then exit 0
//   stderr TEXT N   write TEXT to the error output, then exit with code N
//   crash           die by a signal
//   args FILE ...   write each further argument on its own line to FILE, and the
//                   working folder as the first line
//   stdin FILE      copy standard input to FILE
//   report MS US MS2  after MS ms write one ffmpeg progress report of US
//                   microseconds to standard output, close it, sleep MS2 ms, exit 0
//   pipes PROGRAM ARG...  runs PROGRAM with the arguments, each "/dev/fd/N"
//                   whose file has a pipe beside it ("NAME.pipe") replaced by that pipe
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// A stalled source's pipe for an inherited descriptor's file; the argument itself otherwise.
std::string PipeFor(const char* argument)
{
    const std::string prefix = "/dev/fd/";
    const std::string given = argument;
    if (given.rfind(prefix, 0) != 0)
        return given;
    char target[4096];
    const ssize_t length = ::readlink(given.c_str(), target, sizeof target - 1);
    if (length <= 0)
        return given;
    const std::string pipe = std::string(target, static_cast<size_t>(length)) + ".pipe";
    struct stat st
    {
    };
    return ::stat(pipe.c_str(), &st) == 0 && S_ISFIFO(st.st_mode) ? pipe : given;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 2 && std::strcmp(argv[1], "pipes") == 0) {
        std::vector<std::string> arguments;
        for (int i = 2; i < argc; ++i)
            arguments.push_back(PipeFor(argv[i]));
        std::vector<char*> pointers;
        for (std::string& argument : arguments)
            pointers.push_back(argument.data());
        pointers.push_back(nullptr);
        ::execv(pointers[0], pointers.data());
        return 127;
    }
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2)
        return 2;
    const QString mode = args.at(1);
    if (mode == QLatin1String("exit"))
        return args.value(2).toInt();
    if (mode == QLatin1String("sleep")) {
        QThread::msleep(args.value(2).toULong());
        return 0;
    }
    if (mode == QLatin1String("stderr")) {
        std::fputs(args.value(2).toLocal8Bit().constData(), stderr);
        return args.value(3).toInt();
    }
    if (mode == QLatin1String("crash")) {
        // The kernel's own end, not a sanitizer's report and exit code.
        std::signal(SIGSEGV, SIG_DFL);
        std::raise(SIGSEGV);
        return 3;
    }
    if (mode == QLatin1String("args")) {
        QFile out(args.value(2));
        if (!out.open(QIODevice::WriteOnly))
            return 4;
        out.write(QDir::currentPath().toUtf8() + '\n');
        for (int i = 3; i < args.size(); ++i)
            out.write(args.at(i).toUtf8() + '\n');
        return 0;
    }
    if (mode == QLatin1String("stdin")) {
        QFile out(args.value(2));
        QFile in;
        if (!out.open(QIODevice::WriteOnly) || !in.open(stdin, QIODevice::ReadOnly))
            return 4;
        out.write(in.readAll());
        return 0;
    }
    if (mode == QLatin1String("report")) {
        QThread::msleep(args.value(2).toULong());
        std::printf("frame=1\nout_time_us=%s\nprogress=continue\n", args.value(3).toLocal8Bit().constData());
        std::fflush(stdout);
        ::close(STDOUT_FILENO);
        QThread::msleep(args.value(4).toULong());
        return 0;
    }
    return 2;
}
