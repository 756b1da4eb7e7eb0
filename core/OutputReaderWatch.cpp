#include "core/OutputReaderWatch.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

OutputReaderWatch::OutputReaderWatch(QObject* parent) : QObject(parent)
{
    // Only a pipe's write end: a terminal or socket would be readable for other reasons.
    struct stat status
    {
    };
    const int flags = ::fcntl(STDOUT_FILENO, F_GETFL);
    if (::fstat(STDOUT_FILENO, &status) != 0 || !S_ISFIFO(status.st_mode) || flags < 0
        || (flags & O_ACCMODE) != O_WRONLY)
        return;
    // The kernel flags a pipe's write end with an error once no reader is left;
    // a notifier for reading sees it, and nothing else on a write end.
    m_notifier = new QSocketNotifier(STDOUT_FILENO, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        pollfd output{STDOUT_FILENO, 0, 0};
        if (::poll(&output, 1, 0) != 1 || (output.revents & (POLLERR | POLLHUP)) == 0)
            return;
        m_notifier->setEnabled(false);
        emit readerGone();
    });
}
