#pragma once

#include <QString>
#include <QStringList>

#include <deque>
#include <vector>

// Every modal prompt of the program goes through here, so that a test or the
// benchmark driver can pre-answer it and read what would have been shown.
class Prompt
{
public:
    enum class Kind { Message, Error, OpenFile, Folder, Question };

    struct Shown
    {
        Kind kind;
        QString text;    // message text, error text (full stop added), or dialog caption
        QString details; // a message's longer part, shown on request and scrolled
    };

    // Plain message dialog: title "Vantrel", no icon, one OK button; details,
    // when given, behind a button that shows them in a scrolled box.
    static void message(const QString& text, const QString& details = {});
    // General error box: title "Vantrel", stop icon, one OK button, full-stop rule.
    static void errorBox(const QString& text);
    // A yes-or-no question box titled "Vantrel"; true for Yes. Never asked on
    // the console, where it is a No.
    static bool question(const QString& text);

    // Open-file dialog; empty on cancel.
    static QString openFile(const QString& filter, const QString& defaultSuffix);
    // Folder picker with the caption, the initial folder preselected when it
    // still exists; empty on cancel.
    static QString chooseFolder(const QString& caption, const QString& initialFolder, bool allowNewFolder);

    // What shows the dialogs when the program has a window. The window's layer
    // supplies it, so no layer below links a widget.
    class Dialogs
    {
    public:
        virtual ~Dialogs() = default;
        virtual void message(const QString& text, bool error, const QString& details) = 0;
        virtual bool question(const QString& text) = 0;
        virtual QString openFile(const QString& filter, const QString& defaultSuffix) = 0;
        virtual QString chooseFolder(const QString& caption, const QString& initialFolder, bool allowNewFolder) = 0;
    };
    // Not owned; nullptr when there are none. Without dialogs, messages go to
    // standard error and every other prompt is cancelled.
    static void setDialogs(Dialogs* dialogs);
    static Dialogs* dialogs();

    // For a program without a window: no dialog ever opens; messages and
    // errors go to standard error as "vantrel: " and their text, and file and
    // folder prompts are cancelled.
    static void setConsole(bool console);
    static bool isConsole();

    // Scripting, for tests and the benchmark driver. While a script is active no
    // dialog opens: messages are recorded, file and folder prompts take the next
    // queued answer (a cancel, or No, when none is left).
    class Script
    {
    public:
        Script();
        ~Script();
        Script(const Script&) = delete;
        Script& operator=(const Script&) = delete;

        void answerFile(const QString& path) { m_files.push_back(path); }
        void answerFolder(const QString& path) { m_folders.push_back(path); }
        void answerQuestion(bool yes) { m_answers.push_back(yes); }
        const std::vector<Shown>& shown() const { return m_shown; }
        QStringList texts(Kind kind) const;
        void clear() { m_shown.clear(); }

    private:
        friend class Prompt;
        std::deque<QString> m_files;
        std::deque<QString> m_folders;
        std::deque<bool> m_answers;
        std::vector<Shown> m_shown;
        Script* m_previous = nullptr;
    };

private:
    static Script* s_script;
    static bool s_console;
    static Dialogs* s_dialogs;
};
