#pragma once

#include <QString>

#include <functional>

struct OwnTmpfsRun
{
    QString refused; // why no filesystem of its own could be mounted; empty when the body ran
    QString failure; // empty when the body ran through without a failed expectation
};

// Runs Body in a forked child that has a mount namespace of its own, with a
// tmpfs of Bytes mounted at Folder. The host never sees the mount, and it goes
// with the child even when the child crashes. The child's failed expectations
// print as usual; the child's end comes back in the result.
OwnTmpfsRun RunOnOwnTmpfs(const QString& folder, qint64 bytes, const std::function<void()>& body);
