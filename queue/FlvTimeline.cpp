#include "queue/FlvTimeline.h"

#include "platform/Error.h"
#include "platform/SourceFile.h"

#include <QCoreApplication>
#include <QLocale>
#include <QtEndian>

#include <cmath>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Enough for the header, the metadata and the first tags of any stream kind.
constexpr qsizetype HeadBytes = 64 * 1024;
constexpr int TagHeaderBytes = 11;
constexpr char AudioTag = 8;
constexpr char VideoTag = 9;
constexpr char ScriptTag = 18;
// Once both a sound and a picture started, or after this many tags, the start is known.
constexpr int TagsToLookAt = 64;

quint32 BigEndian24(const char* p)
{
    const auto* u = reinterpret_cast<const uchar*>(p);
    return (quint32(u[0]) << 16) | (quint32(u[1]) << 8) | u[2];
}

// A number of the onMetaData: the key's length and bytes, then an AMF
// number (type 0, a big-endian double). 0 when it states none, or nothing
// that can be a length or a size.
double MetadataNumber(const QByteArray& script, const QByteArray& name)
{
    const QByteArray key = char(0) + QByteArray(1, char(name.size())) + name + char(0);
    const qsizetype at = script.indexOf(key);
    if (at < 0 || at + key.size() + 8 > script.size())
        return 0;
    const quint64 bits = qFromBigEndian<quint64>(script.constData() + at + key.size());
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    // Days of header are told as they are.
    return std::isfinite(value) && value > 0 && value < 1e9 ? value : 0;
}

// A tag that carries a decoder's set-up, no sound or picture: a stream
// recorder may stamp it 0 while what plays starts minutes later.
bool Configuration(const QByteArray& head, qsizetype at, quint32 size)
{
    if (size < 2 || at + TagHeaderBytes + 2 > head.size())
        return size < 2;
    const uchar first = uchar(head.at(at + TagHeaderBytes));
    const uchar packetType = uchar(head.at(at + TagHeaderBytes + 1));
    if (head.at(at) == AudioTag)
        return (first >> 4) == 10 && packetType == 0; // AAC's set-up
    const int frameType = (first >> 4) & 0x7;
    return frameType == 5 || ((first & 0x0F) == 7 && packetType == 0); // a command frame; AVC's set-up
}

// A whole tag ends where its size is repeated: the tag that the size before
// `end` closes, when it is one.
bool TagBefore(const QByteArray& bytes, qsizetype end, qsizetype* start)
{
    if (end < 4 + TagHeaderBytes)
        return false;
    const quint32 closed = qFromBigEndian<quint32>(bytes.constData() + end - 4);
    const qsizetype at = end - 4 - qsizetype(closed);
    if (closed < TagHeaderBytes || at < 0)
        return false;
    const char type = char(bytes.at(at) & 0x1F);
    if ((type != AudioTag && type != VideoTag && type != ScriptTag)
        || BigEndian24(bytes.constData() + at + 1) + TagHeaderBytes != closed)
        return false;
    *start = at;
    return true;
}

qint64 Stamp(const char* tag)
{
    return qint64(BigEndian24(tag + 4)) | (qint64(uchar(tag[7])) << 24);
}

} // namespace

qint64 FlvTimeline::LastStamp(const QByteArray& tail)
{
    // A download cut off mid-tag ends in no size: the last whole tag is further back.
    qsizetype end = tail.size();
    qsizetype at = 0;
    while (end > 0 && !TagBefore(tail, end, &at))
        --end;
    qint64 last = -1;
    for (int tags = 0; end > 0 && tags < TagsToLookAt && TagBefore(tail, end, &at); ++tags) {
        if (tail.at(at) != ScriptTag)
            last = std::max(last, Stamp(tail.constData() + at));
        end = at;
    }
    return last;
}

FlvTimeline FlvTimeline::Parse(const QByteArray& head, const QByteArray& tail)
{
    FlvTimeline timeline;
    if (head.size() < 9 || !head.startsWith("FLV"))
        return timeline;
    constexpr char HasVideo = 0x01;
    if ((head.at(4) & HasVideo) == 0)
        timeline.framePixels = 0;
    qsizetype at = qFromBigEndian<quint32>(head.constData() + 5) + 4; // the header, then the first tag size
    bool audio = false;
    bool video = false;
    qint64 start = -1;
    for (int tags = 0; tags < TagsToLookAt && !(audio && video) && at + TagHeaderBytes <= head.size(); ++tags) {
        const char* tag = head.constData() + at;
        const char type = char(tag[0] & 0x1F);
        const quint32 size = BigEndian24(tag + 1);
        const qint64 stamp = Stamp(tag);
        if (type == ScriptTag && timeline.statedMs < 0) {
            const QByteArray script = head.mid(at + TagHeaderBytes, size);
            const double seconds = MetadataNumber(script, "duration");
            timeline.statedMs = seconds > 0 ? std::llround(seconds * 1000) : -1;
            const double width = MetadataNumber(script, "width");
            const double height = MetadataNumber(script, "height");
            if (width > 0 && height > 0 && width < 65536 && height < 65536)
                timeline.framePixels = std::llround(width) * std::llround(height);
        } else if (((type == AudioTag && !audio) || (type == VideoTag && !video)) && !Configuration(head, at, size)) {
            (type == AudioTag ? audio : video) = true;
            start = start < 0 ? stamp : std::min(start, stamp);
        }
        at += TagHeaderBytes + qsizetype(size) + 4;
    }
    timeline.startMs = std::max<qint64>(start, 0);
    timeline.endMs = LastStamp(tail);
    return timeline;
}

FlvTimeline FlvTimeline::Read(const QString& path)
{
    try {
        const SourceFile source(path);
        struct stat st
        {
        };
        if (::fstat(source.descriptor(), &st) != 0)
            return {};
        const auto read = [&](qint64 from) {
            QByteArray bytes(HeadBytes, Qt::Uninitialized);
            const ssize_t got = ::pread(source.descriptor(), bytes.data(), bytes.size(), std::max<qint64>(from, 0));
            bytes.truncate(std::max<ssize_t>(got, 0));
            return bytes;
        };
        return Parse(read(0), read(st.st_size - HeadBytes));
    } catch (const ESystemError&) {
        // The conversion tells why it cannot read the file; its length stays as measured.
        return {};
    }
}

qint64 FlvTimeline::playingMs(qint64 measuredMs) const
{
    if (startMs <= 0)
        return measuredMs;
    if (endMs > startMs)
        return endMs - startMs;
    return startMs < measuredMs ? measuredMs - startMs : measuredMs;
}

QString FlvTimeline::cutOffWarning(qint64 playingMs) const
{
    if (statedMs < 0 || playingMs < 0 || statedMs - playingMs <= 1000)
        return {};
    // In the reader's own way of writing numbers, as the words around them are.
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return QCoreApplication::translate("FlvTimeline",
                                       "The source holds %1 s of the %2 s its header states: it may be cut off.")
        .arg(locale.toString(playingMs / 1000.0, 'f', 1), locale.toString(statedMs / 1000.0, 'f', 1));
}
