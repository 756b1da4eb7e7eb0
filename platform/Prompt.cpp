#include "platform/Prompt.h"

#include "platform/Error.h"
#include "platform/NativePath.h"

#include <cstdio>

Prompt::Script* Prompt::s_script = nullptr;
bool Prompt::s_console = false;
Prompt::Dialogs* Prompt::s_dialogs = nullptr;

namespace {

void writeToConsole(const QString& text)
{
    // A message may name a file, and a name must not drive the terminal.
    const QByteArray line = QStringLiteral("vantrel: %1\n").arg(NativePath::EscapedLines(text)).toLocal8Bit();
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    std::fflush(stderr);
}

// The next queued answer, or the empty one (a cancel, a No) when none is left.
template <typename T> T takeAnswer(std::deque<T>& answers)
{
    if (answers.empty())
        return T();
    T answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

} // namespace

Prompt::Script::Script() : m_previous(Prompt::s_script)
{
    Prompt::s_script = this;
}

Prompt::Script::~Script()
{
    Prompt::s_script = m_previous;
}

QStringList Prompt::Script::texts(Kind kind) const
{
    QStringList result;
    for (const Shown& s : m_shown)
        if (s.kind == kind)
            result << s.text;
    return result;
}

void Prompt::setDialogs(Dialogs* dialogs)
{
    s_dialogs = dialogs;
}

Prompt::Dialogs* Prompt::dialogs()
{
    return s_dialogs;
}

void Prompt::setConsole(bool console)
{
    s_console = console;
}

bool Prompt::isConsole()
{
    return s_console;
}

void Prompt::message(const QString& text, const QString& details)
{
    if (s_script)
        s_script->m_shown.push_back({Kind::Message, text, details});
    else if (s_console || !s_dialogs)
        writeToConsole(details.isEmpty() ? text : text + QLatin1Char('\n') + details);
    else
        s_dialogs->message(text, false, details);
}

void Prompt::errorBox(const QString& text)
{
    const QString shown = WithFullStop(text);
    if (s_script)
        s_script->m_shown.push_back({Kind::Error, shown, {}});
    else if (s_console || !s_dialogs)
        writeToConsole(shown);
    else
        s_dialogs->message(shown, true, {});
}

bool Prompt::question(const QString& text)
{
    if (s_script) {
        s_script->m_shown.push_back({Kind::Question, text, {}});
        return takeAnswer(s_script->m_answers);
    }
    return !s_console && s_dialogs && s_dialogs->question(text);
}

QString Prompt::openFile(const QString& filter, const QString& defaultSuffix)
{
    if (s_script) {
        s_script->m_shown.push_back({Kind::OpenFile, filter, {}});
        return takeAnswer(s_script->m_files);
    }
    if (s_console || !s_dialogs)
        return {};
    return s_dialogs->openFile(filter, defaultSuffix);
}

QString Prompt::chooseFolder(const QString& caption, const QString& initialFolder, bool allowNewFolder)
{
    if (s_script) {
        s_script->m_shown.push_back({Kind::Folder, caption, {}});
        return takeAnswer(s_script->m_folders);
    }
    if (s_console || !s_dialogs)
        return {};
    return s_dialogs->chooseFolder(caption, initialFolder, allowNewFolder);
}
