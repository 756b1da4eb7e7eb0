#pragma once

#include "platform/FileDescriptor.h"

#include <QString>

// A per-user lock that at most one process holds at a time: an advisory lock
// on a file, which the system releases when its holder ends in any way, so a
// crashed copy never leaves it held.
class InstanceLock
{
public:
    enum class Outcome {
        Locked,        // this object holds it (also when it held it already)
        HeldElsewhere, // another process holds it
        Unavailable,   // the lock file cannot be opened: there is no lock to take
    };

    explicit InstanceLock(QString path);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock without waiting.
    Outcome tryLock();
    bool isLocked() const { return m_file.isOpen(); }
    void unlock();

private:
    QString m_path;
    FileDescriptor m_file; // held open while locked
};

// Local sockets: where one may live, and who is at the other end.
namespace LocalSocketPath {

// True when the path fits the system's limit for a local socket's address.
bool Fits(const QString& path);

// The user id of the process at the other end of a connected local socket
// (its credentials as the system recorded them when it connected); -1 when
// the system does not say.
long long PeerUserId(qintptr socketDescriptor);

} // namespace LocalSocketPath
