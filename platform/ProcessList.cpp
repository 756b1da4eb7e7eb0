#include "platform/ProcessList.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <climits>
#include <csignal>
#include <sys/types.h>
#include <unistd.h>

namespace ProcessList {

namespace {

QByteArray readSmallFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(4096);
}

// The parent id is the second field after the command name, which is in
// parentheses and may itself hold blanks and parentheses.
qint64 parentOf(const QString& procDir)
{
    const QByteArray stat = readSmallFile(procDir + QStringLiteral("/stat"));
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return -1;
    const QList<QByteArray> fields = stat.mid(close + 1).simplified().split(' ');
    if (fields.size() < 2)
        return -1;
    bool ok = false;
    const qint64 ppid = fields.at(1).toLongLong(&ok);
    return ok ? ppid : -1;
}

QString executableOf(const QString& procDir)
{
    char target[PATH_MAX];
    const ssize_t length = ::readlink(QFile::encodeName(procDir + QStringLiteral("/exe")).constData(),
                                      target, sizeof target - 1);
    if (length <= 0)
        return {};
    QString path = QFile::decodeName(QByteArray(target, length));
    // A replaced binary still runs under its old name.
    const QString deleted = QStringLiteral(" (deleted)");
    if (path.endsWith(deleted))
        path.chop(deleted.size());
    return path;
}

QString firstArgumentOf(const QString& procDir)
{
    const QByteArray line = readSmallFile(procDir + QStringLiteral("/cmdline"));
    const qsizetype end = line.indexOf('\0');
    return QFile::decodeName(end < 0 ? line : line.left(end));
}

} // namespace

std::vector<Entry> Snapshot()
{
    std::vector<Entry> entries;
    const QDir proc(QStringLiteral("/proc"));
    for (const QString& name : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        const qint64 pid = name.toLongLong(&numeric);
        if (!numeric)
            continue;
        // A process may end at any point of the walk; what is gone is skipped.
        const QString dir = proc.filePath(name);
        Entry entry;
        entry.pid = pid;
        entry.parentPid = parentOf(dir);
        if (entry.parentPid < 0)
            continue;
        for (const QString& candidate : {executableOf(dir), firstArgumentOf(dir)}) {
            if (!candidate.isEmpty() && !entry.names.contains(candidate))
                entry.names.append(candidate);
        }
        entries.push_back(entry);
    }
    return entries;
}

bool NameMatches(const QString& name, const QString& wanted)
{
    const qsizetype cut = std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char(':')));
    if (name.mid(cut + 1).compare(wanted, Qt::CaseInsensitive) == 0)
        return true;
    return name.compare(wanted, Qt::CaseInsensitive) == 0;
}

bool KillProcessesByName(const QString& exeName, qint64 parentPid)
{
    bool result = false;
    for (const Entry& entry : Snapshot()) {
        if (entry.parentPid != parentPid)
            continue;
        const bool matches = std::any_of(entry.names.cbegin(), entry.names.cend(),
                                         [&](const QString& name) { return NameMatches(name, exeName); });
        if (matches)
            result = ::kill(static_cast<pid_t>(entry.pid), SIGKILL) == 0;
    }
    return result;
}

bool KillProcessesByName(const QString& exeName)
{
    return KillProcessesByName(exeName, ::getpid());
}

} // namespace ProcessList
