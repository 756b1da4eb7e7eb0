#include "platform/OutputRecords.h"

#include "platform/Error.h"
#include "platform/FileDescriptor.h"
#include "platform/Folders.h"
#include "platform/NativePath.h"

#include <QMessageAuthenticationCode>
#include <QRandomGenerator>

#include <cerrno>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int KeyBytes = 32;
constexpr qsizetype MaxRecordBytes = 256;
const QByteArray RecordVersion("1");

QByteArray ReadSmall(const QString& path, qsizetype limit)
{
    const FileDescriptor file(::open(NativePath::Encode(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st
    {
    };
    if (!file.isOpen() || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid())
        return {};
    QByteArray bytes(limit + 1, Qt::Uninitialized);
    const ssize_t got = ::read(file.get(), bytes.data(), size_t(bytes.size()));
    return got > 0 && got <= limit ? bytes.left(got) : QByteArray();
}

// Written whole at a fresh name beside, then moved over: a record is there entirely or not at all.
bool WriteWhole(const QString& path, const QByteArray& bytes)
{
    const QByteArray target = NativePath::Encode(path);
    for (int attempt = 0; attempt < 10; ++attempt) {
        const QByteArray temporary
            = target + ".new-" + QByteArray::number(QRandomGenerator::system()->generate64(), 36);
        FileDescriptor file(::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!file.isOpen()) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        const bool written
            = ::write(file.get(), bytes.constData(), size_t(bytes.size())) == bytes.size() && ::fsync(file.get()) == 0;
        file.reset();
        if (written && ::rename(temporary.constData(), target.constData()) == 0)
            return true;
        ::unlink(temporary.constData());
        return false;
    }
    return false;
}

} // namespace

bool OutputRecords::Open() const
{
    if (std::exchange(m_opened, true))
        return !m_key.isEmpty();
    try {
        m_folder = Folders::PrivateFolder(m_folder.isEmpty() ? Folders::StateFolder() + QStringLiteral("/outputs")
                                                             : m_folder);
    } catch (const VantrelError&) {
        return false; // not private: no record is kept or believed
    }
    const QString keyFile = m_folder + QStringLiteral("/key");
    m_key = ReadSmall(keyFile, KeyBytes);
    if (m_key.size() == KeyBytes)
        return true;
    QByteArray key(KeyBytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(key.data()), KeyBytes / 4);
    const FileDescriptor file(
        ::open(NativePath::Encode(keyFile).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (file.isOpen() && ::write(file.get(), key.constData(), KeyBytes) == KeyBytes && ::fsync(file.get()) == 0) {
        m_key = key;
        return true;
    }
    // Another copy made it first, or it is damaged: only a whole key of the user's is used.
    m_key = ReadSmall(keyFile, KeyBytes);
    if (m_key.size() != KeyBytes)
        m_key.clear();
    return !m_key.isEmpty();
}

QByteArray OutputRecords::Digest(const char* kind, const QString& path) const
{
    return QMessageAuthenticationCode::hash(QByteArray(kind) + '\0' + NativePath::Encode(path), m_key,
                                            QCryptographicHash::Sha256)
        .toHex();
}

QString OutputRecords::RecordPath(const QString& output) const
{
    return m_folder + QLatin1Char('/') + QString::fromLatin1(Digest("output", output).left(40));
}

QByteArray OutputRecords::Identity(const QString& path)
{
    struct stat st
    {
    };
    if (::lstat(NativePath::Encode(path).constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid())
        return {};
    // No inode: FUSE mounts may number a file anew each time it is looked up.
    return QByteArray::number(qint64(st.st_size)) + ' '
           + QByteArray::number(qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec);
}

bool OutputRecords::MadeFrom(const QString& output, const QString& source) const
{
    if (!Open())
        return false;
    const QByteArray identity = Identity(output);
    if (identity.isEmpty())
        return false;
    const QByteArray record = ReadSmall(RecordPath(output), MaxRecordBytes);
    return record == RecordVersion + ' ' + identity + ' ' + Digest("source", source) + '\n';
}

void OutputRecords::Remember(const QString& output, const QString& source) const
{
    if (!Open())
        return;
    const QByteArray identity = Identity(output);
    if (!identity.isEmpty())
        WriteWhole(RecordPath(output), RecordVersion + ' ' + identity + ' ' + Digest("source", source) + '\n');
}
