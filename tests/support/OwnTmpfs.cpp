#include "support/OwnTmpfs.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int Refused = 77;

// Failed parts of the running test from the given one on.
int FailuresSince(int first)
{
    const ::testing::TestResult* result = ::testing::UnitTest::GetInstance()->current_test_info()->result();
    int failed = 0;
    for (int i = first; i < result->total_part_count(); ++i)
        failed += result->GetTestPartResult(i).failed() ? 1 : 0;
    return failed;
}

[[noreturn]] void RunChild(int report, const QByteArray& folder, qint64 bytes, const std::function<void()>& body)
{
    // A child left behind by a test that timed out would keep its filesystem.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    auto refuse = [report](const char* step) {
        const std::string why = std::string(step) + ": " + std::strerror(errno);
        [[maybe_unused]] const ssize_t written = ::write(report, why.data(), why.size());
        std::_Exit(Refused);
    };
    if (::unshare(CLONE_NEWNS) != 0)
        refuse("unshare(CLONE_NEWNS)");
    // Without this a mount below a shared one would show up on the host.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        refuse("making / private");
    const QByteArray options = "size=" + QByteArray::number(bytes);
    if (::mount("tmpfs", folder.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) != 0)
        refuse("mounting a tmpfs");
    ::close(report);

    const int first = ::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
    body();
    const int failed = FailuresSince(first);
    std::cout.flush();
    std::fflush(nullptr);
    std::_Exit(failed == 0 ? 0 : 1);
}

} // namespace

OwnTmpfsRun RunOnOwnTmpfs(const QString& folder, qint64 bytes, const std::function<void()>& body)
{
    // Output still buffered would be written twice, once by each process.
    std::cout.flush();
    std::fflush(nullptr);
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return {{}, QStringLiteral("pipe: %1").arg(QString::fromLocal8Bit(std::strerror(errno)))};
    const QByteArray path = QFile::encodeName(folder);
    const pid_t child = ::fork();
    const int forkError = errno;
    if (child == 0) {
        ::close(report[0]);
        RunChild(report[1], path, bytes, body);
    }
    ::close(report[1]);
    if (child < 0) {
        ::close(report[0]);
        return {{}, QStringLiteral("fork: %1").arg(QString::fromLocal8Bit(std::strerror(forkError)))};
    }
    QByteArray why;
    char buffer[256];
    for (ssize_t n; (n = ::read(report[0], buffer, sizeof buffer)) != 0;) {
        if (n > 0)
            why.append(buffer, n);
        else if (errno != EINTR)
            break;
    }
    ::close(report[0]);

    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) { }
    if (WIFEXITED(status) && WEXITSTATUS(status) == Refused)
        return {QString::fromLocal8Bit(why), {}};
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return {};
    if (WIFEXITED(status))
        return {{}, QStringLiteral("the child found failed expectations (printed above)")};
    return {{}, QStringLiteral("the child was ended by signal %1").arg(WIFSIGNALED(status) ? WTERMSIG(status) : 0)};
}
