#include "platform/NativePath.h"

#include <QDir>

#include <cstdlib>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace NativePath {

namespace {

constexpr char16_t RawBase = 0xDC00;

// The length of the valid UTF-8 sequence at bytes[i], 0 when there is none:
// no overlong form, no surrogate, nothing past U+10FFFF.
int SequenceAt(const QByteArray& bytes, qsizetype i)
{
    const auto at = [&](qsizetype k) { return static_cast<unsigned char>(bytes.at(k)); };
    const unsigned char lead = at(i);
    if (lead < 0x80)
        return 1;
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > bytes.size())
        return 0;
    for (int k = 1; k < length; ++k) {
        const unsigned char c = at(i + k);
        if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

} // namespace

QString Decode(const QByteArray& bytes)
{
    QString path;
    path.reserve(bytes.size());
    qsizetype i = 0;
    while (i < bytes.size()) {
        const int length = SequenceAt(bytes, i);
        if (length == 0) {
            path += QChar(static_cast<char16_t>(RawBase + static_cast<unsigned char>(bytes.at(i))));
            ++i;
        } else {
            path += QString::fromUtf8(bytes.constData() + i, length);
            i += length;
        }
    }
    return path;
}

int RawByte(QChar c)
{
    const char16_t u = c.unicode();
    return u >= RawBase + 0x80 && u <= RawBase + 0xFF ? u - RawBase : -1;
}

QByteArray Encode(const QString& path)
{
    QByteArray bytes;
    bytes.reserve(path.size());
    qsizetype run = 0; // start of the characters not written yet
    for (qsizetype i = 0; i < path.size(); ++i) {
        const int raw = RawByte(path.at(i));
        if (raw < 0)
            continue;
        bytes += QStringView(path).mid(run, i - run).toUtf8();
        bytes += static_cast<char>(raw);
        run = i + 1;
    }
    bytes += QStringView(path).mid(run).toUtf8();
    return bytes;
}

bool HasRawBytes(const QString& path)
{
    for (const QChar c : path) {
        if (RawByte(c) >= 0)
            return true;
    }
    return false;
}

QString AsLatin1(const QString& name)
{
    QString read = name;
    for (QChar& c : read) {
        if (const int raw = RawByte(c); raw >= 0)
            c = QChar(static_cast<char16_t>(raw));
    }
    return read;
}

bool IsControl(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7F && u <= 0x9F);
}

namespace {

void AppendByte(QString& text, int byte)
{
    text += QLatin1String("\\x") + QString::number(byte, 16).rightJustified(2, QLatin1Char('0')).toUpper();
}

// A letter for the controls every reader knows, else the character's own bytes.
void AppendControl(QString& text, QChar c)
{
    switch (c.unicode()) {
    case u'\t': text += QLatin1String("\\t"); return;
    case u'\n': text += QLatin1String("\\n"); return;
    case u'\r': text += QLatin1String("\\r"); return;
    default: break;
    }
    for (const char byte : QString(c).toUtf8())
        AppendByte(text, static_cast<unsigned char>(byte));
}

} // namespace

QString Escaped(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            escaped += QLatin1String("\\\\");
        else if (const int raw = RawByte(c); raw >= 0)
            AppendByte(escaped, raw);
        else if (IsControl(c))
            AppendControl(escaped, c);
        else
            escaped += c;
    }
    return escaped;
}

QString Readable(const QString& name)
{
    QString shown;
    shown.reserve(name.size());
    for (const QChar c : name) {
        const int raw = RawByte(c);
        if (raw >= 0xA0)
            shown += QChar(static_cast<char16_t>(raw));
        else if (raw >= 0)
            AppendByte(shown, raw); // Latin-1 reads it as a control
        else if (IsControl(c))
            AppendControl(shown, c);
        else
            shown += c;
    }
    return shown;
}

namespace {

QString EachLine(const QString& text, QString (*shown)(const QString&))
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = shown(line);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

QString EscapedLines(const QString& text)
{
    return EachLine(text, Escaped);
}

QString ReadableLines(const QString& text)
{
    return EachLine(text, Readable);
}

QString Absolute(const QString& path)
{
    if (path.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(path);
    const std::unique_ptr<char, decltype(&std::free)> current(::getcwd(nullptr, 0), &std::free);
    return QDir::cleanPath((current ? Decode(current.get()) : QDir::currentPath()) + QLatin1Char('/') + path);
}

QString Canonical(const QString& path)
{
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(Encode(path).constData(), nullptr), &std::free);
    return real ? Decode(real.get()) : QString();
}

bool IsFolder(const QString& path)
{
    struct stat st
    {
    };
    return ::stat(Encode(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace NativePath
