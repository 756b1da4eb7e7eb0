#pragma once

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// Runs the lines of a batch file the way the Windows command interpreter runs
// the few forms the duration probe writes: "set NAME=VALUE", %NAME% expansion,
// %% for a literal %, double-quoted arguments and "> FILE" redirection of a
// command's standard output. Commands start from an argument list; no shell
// ever sees a line. Anything else is refused with a message on the error stream.
class BatchInterpreter
{
public:
    // Variables start as a copy of the process environment.
    explicit BatchInterpreter(std::ostream& errors);

    // What a command that cannot be started gives, as in cmd.exe.
    static constexpr int NotStarted = 9009;

    // Runs every line in order; the result is the last command's exit status,
    // or 1 when the last line that did something failed.
    int runText(const std::string& text, const std::string& sourceName);
    int runLine(const std::string& line);

    std::optional<std::string> variable(const std::string& name) const;

    // One command line after expansion: its words (quotes removed) and where
    // its standard output goes (empty: not redirected).
    struct Command
    {
        std::vector<std::string> words;
        std::string redirect;
        bool hasRedirect = false;
    };
    // Splits an expanded line; the text of the error when it holds a form the
    // interpreter does not support.
    static std::optional<std::string> parseCommand(const std::string& line, Command& command);

private:
    // Expands %NAME% and %%; unset names become empty and are reported through `unset`.
    std::string expand(const std::string& line, std::vector<std::string>& unset, bool& strayPercent) const;
    int runSet(const std::string& rest);
    int runCommand(const Command& command);
    void report(const std::string& message);

    std::ostream& m_errors;
    std::map<std::string, std::string> m_variables; // keys upper-cased: names ignore case
    std::string m_source;
    int m_lineNumber = 0;
};
