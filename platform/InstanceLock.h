#pragma once

#include <QString>

// A per-user lock that at most one process holds at a time: an advisory lock
// on a file, which the system releases when its holder ends in any way, so a
// crashed copy never leaves it held.
class InstanceLock
{
public:
    explicit InstanceLock(QString path);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock without waiting; true when this object holds it (also
    // when it held it already).
    bool tryLock();
    bool isLocked() const { return m_fd >= 0; }
    void unlock();

private:
    QString m_path;
    int m_fd = -1;
};
