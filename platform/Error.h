#pragma once

#include <QString>

#include <functional>
#include <stdexcept>

// An error raised inside an action; its text becomes the general error box
// at the handler's boundary.
class VantrelError : public std::runtime_error
{
public:
    explicit VantrelError(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) { }
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

// Conversion of a text that does not hold what was expected ("'x' is not a valid time").
class EConvertError : public VantrelError
{
public:
    using VantrelError::VantrelError;
};

// A file that cannot be opened or created.
class EFileError : public VantrelError
{
public:
    using VantrelError::VantrelError;
};

// A system call that failed; code is its errno.
class ESystemError : public VantrelError
{
public:
    ESystemError(const QString& text, int code) : VantrelError(text), m_code(code) { }
    int code() const { return m_code; }

private:
    int m_code;
};

// The system ran short of descriptors, processes or memory: the same action may
// work once something of ours has ended.
bool IsResourceShortage(int code);

// The general error box's text: a full stop is added when the last character
// sorts after the full stop (a letter, a digit, a quote...).
QString WithFullStop(const QString& text);

// Runs one handler's action; any error escaping it is shown in the general
// error box, so nothing reaches Qt's event loop.
void RunGuarded(const std::function<void()>& action);
