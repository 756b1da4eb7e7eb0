#include "engine/OutputCheck.h"

#include "platform/NativePath.h"
#include "platform/Error.h"

#include <QCoreApplication>
#include <QLocale>
#include <MediaInfo/MediaInfo.h>

#include <QFile>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <type_traits>

#include <fcntl.h>
#include <unistd.h>

namespace {

// The output's length is rounded to whole frames (25 per second) and whole
// audio packets (1,152 samples at 44,100 Hz): one of each is allowed, which
// matters only for the shortest sources.
constexpr qint64 RoundingMs = 40 + 27;
// How long a read that lacked descriptors or memory waits before it tries again.
constexpr int RetryMs = 1000;

static_assert(std::is_same_v<MediaInfoLib::String, std::wstring>, "libmediainfo is built with wide strings");

QString Seconds(qint64 ms)
{
    // In the reader's own way of writing numbers, as the words around them are.
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(static_cast<double>(ms) / 1000.0, 'f', 1) + QStringLiteral(" s");
}

OutputCheck::Result Refused(const QString& why)
{
    return {OutputCheck::Verdict::Refused, why};
}

QString CannotCheck(const QString& why)
{
    return QCoreApplication::translate("OutputCheck", "The output could not be checked: ") + why;
}

[[noreturn]] void ThrowReadError(const QString& path)
{
    throw ESystemError(path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno)), errno);
}

// A descriptor this file opened, closed when it goes.
class OpenFile
{
public:
    explicit OpenFile(const QString& path) : m_fd(::open(NativePath::Encode(path).constData(), O_RDONLY | O_CLOEXEC))
    {
        if (m_fd < 0)
            ThrowReadError(path);
    }
    ~OpenFile() { ::close(m_fd); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

// What one read gave.
struct OutputCheck::Reading
{
    enum class Kind { Answer, Shortage, Error } kind = Kind::Error;
    QString text; // the answer's line, or why there is none
};

// Shared by a check and the thread reading for it. The thread answers only
// while check is set; the check clears it when it no longer waits.
struct OutputCheck::Channel
{
    std::mutex mutex;
    OutputCheck* check = nullptr;
};

OutputCheck::OutputCheck(QObject* parent, int answerMs) : QObject(parent), m_answerMs(answerMs)
{
    m_deadline.setSingleShot(true);
    m_retry.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        stop();
        emit judged(
            Refused(CannotCheck(QCoreApplication::translate("OutputCheck", "mediainfo's library gave no answer in %1 s")
                                    .arg(m_answerMs / 1000))));
    });
    connect(&m_retry, &QTimer::timeout, this, &OutputCheck::Launch);
}

OutputCheck::~OutputCheck()
{
    stop();
}

void OutputCheck::start(const QString& file, qint64 sourceMs)
{
    Q_ASSERT(!m_channel && !m_retry.isActive());
    m_file = file;
    m_sourceMs = sourceMs;
    Launch();
}

void OutputCheck::stop()
{
    m_deadline.stop();
    m_retry.stop();
    // The thread may hold the last other reference: the channel outlives the lock.
    const std::shared_ptr<Channel> channel = std::move(m_channel);
    if (!channel)
        return;
    const std::lock_guard lock(channel->mutex);
    channel->check = nullptr;
}

void OutputCheck::Launch()
{
    auto channel = std::make_shared<Channel>();
    channel->check = this;
    const auto read = [channel, file = m_file] {
        Reading reading;
        try {
            reading = {Reading::Kind::Answer, Read(file)};
        } catch (const ESystemError& e) {
            reading = {IsResourceShortage(e.code()) ? Reading::Kind::Shortage : Reading::Kind::Error, e.text()};
        } catch (const std::bad_alloc&) {
            reading = {Reading::Kind::Shortage, {}};
        } catch (const std::exception& e) {
            reading = {Reading::Kind::Error, QString::fromLocal8Bit(e.what())};
        }
        // Held while posting, so the check cannot go away meanwhile; a check
        // deleted after that drops the posted answer with its other events.
        const std::lock_guard lock(channel->mutex);
        if (OutputCheck* check = channel->check)
            QMetaObject::invokeMethod(
                check,
                [channel, reading] {
                    if (channel->check)
                        channel->check->Answered(reading);
                },
                Qt::QueuedConnection);
    };
    try {
        std::thread(read).detach();
    } catch (const std::system_error&) {
        // No thread to be had now: as short as a descriptor.
        m_retry.start(RetryMs);
        return;
    }
    m_channel = std::move(channel);
    m_deadline.start(m_answerMs);
}

void OutputCheck::Answered(const Reading& reading)
{
    stop();
    switch (reading.kind) {
    case Reading::Kind::Shortage: m_retry.start(RetryMs); return;
    case Reading::Kind::Error: emit judged(Refused(CannotCheck(reading.text))); return;
    case Reading::Kind::Answer: emit judged(Judge(reading.text, m_sourceMs)); return;
    }
}

QString OutputCheck::Read(const QString& file)
{
    // Opened here first, so that a want of descriptors shows as such; the
    // library then reads the very file through it, as mediainfo would by name.
    const OpenFile input(file);
    MediaInfoLib::MediaInfo info;
    if (info.Open(QStringLiteral("/proc/self/fd/%1").arg(input.fd()).toStdWString()) == 0) {
        const int spare = ::dup(input.fd());
        if (spare < 0)
            ThrowReadError(file);
        ::close(spare);
    }
    QStringList fields;
    for (const wchar_t* name : {L"Format", L"Duration", L"VideoCount", L"AudioCount", L"IsTruncated"})
        fields << QString::fromStdWString(info.Get(MediaInfoLib::Stream_General, 0, name));
    return fields.join(QLatin1Char('|'));
}

OutputCheck::Result OutputCheck::Judge(const QString& answer, qint64 sourceMs)
{
    const QStringList fields = answer.split(QLatin1Char('|'));
    const QString format = fields.value(0).trimmed();
    if (format.isEmpty())
        return Refused(QCoreApplication::translate("OutputCheck",
                                                   "The output is not an AVI file: mediainfo knows no format in it"));
    if (format != QLatin1String("AVI"))
        return Refused(QCoreApplication::translate("OutputCheck", "The output is not an AVI file but %1").arg(format));
    if (fields.value(2).toInt() + fields.value(3).toInt() == 0)
        return Refused(QCoreApplication::translate("OutputCheck", "The AVI holds no stream"));
    // A cut file keeps the header that claims its whole length.
    if (fields.value(4).trimmed() == QLatin1String("Yes"))
        return Refused(
            QCoreApplication::translate("OutputCheck", "The AVI is cut off before the end its header gives"));
    if (sourceMs < 0)
        return {Verdict::Good, {}};
    bool known = false;
    const qint64 playsMs = static_cast<qint64>(fields.value(1).toDouble(&known));
    if (!known)
        return Refused(QCoreApplication::translate("OutputCheck", "The AVI has no playing time"));
    const QString plays = QCoreApplication::translate("OutputCheck", "The AVI plays %1 of the source's %2")
                              .arg(Seconds(playsMs), Seconds(sourceMs));
    const qint64 allowedMs = playsMs + RoundingMs;
    if (allowedMs * 2 < sourceMs)
        return Refused(plays);
    if (allowedMs * 10 < sourceMs * 9)
        return {Verdict::Short, plays};
    return {Verdict::Good, {}};
}
