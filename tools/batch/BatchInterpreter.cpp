#include "BatchInterpreter.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Starts the command with standard output on `output` (when given), ended by
// the kernel if this interpreter dies first. Returns the child's id, or -1
// with the reason it could not start in `error`.
pid_t spawnCommand(std::vector<char*>& argv, int output, int& error)
{
    // The child reports a failed exec through this pipe; a clean exec closes it.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        error = errno;
        return -1;
    }
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
        if (output >= 0)
            ::dup2(output, STDOUT_FILENO);
        ::execvp(argv[0], argv.data());
        const int failed = errno;
        [[maybe_unused]] const ssize_t written = ::write(report[1], &failed, sizeof failed);
        ::_exit(127);
    }
    ::close(report[1]);
    if (pid < 0) {
        error = errno;
        ::close(report[0]);
        return -1;
    }
    int failed = 0;
    ssize_t got = 0;
    while ((got = ::read(report[0], &failed, sizeof failed)) < 0 && errno == EINTR) { }
    ::close(report[0]);
    if (got == sizeof failed) {
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) { }
        error = failed;
        return -1;
    }
    return pid;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// Characters the command interpreter would give a meaning outside double
// quotes; none of them is supported here, so they are refused, never run.
bool isUnsupportedSpecial(char c)
{
    return c == '<' || c == '|' || c == '&' || c == '^';
}

} // namespace

BatchInterpreter::BatchInterpreter(std::ostream& errors) : m_errors(errors)
{
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string text = *entry;
        const auto eq = text.find('=');
        if (eq == std::string::npos || eq == 0)
            continue;
        m_variables.emplace(upper(text.substr(0, eq)), text.substr(eq + 1));
    }
}

std::optional<std::string> BatchInterpreter::variable(const std::string& name) const
{
    const auto it = m_variables.find(upper(name));
    if (it == m_variables.end())
        return std::nullopt;
    return it->second;
}

void BatchInterpreter::report(const std::string& message)
{
    m_errors << "vantrel-batch: " << m_source << ':' << m_lineNumber << ": " << message << '\n';
    m_errors.flush();
}

int BatchInterpreter::runText(const std::string& text, const std::string& sourceName)
{
    m_source = sourceName;
    m_lineNumber = 0;
    int status = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        ++m_lineNumber;
        std::size_t first = 0;
        while (first < line.size() && isBlank(line[first]))
            ++first;
        if (first < line.size())
            status = runLine(line.substr(first));
        start = end + 1;
    }
    return status;
}

std::string BatchInterpreter::expand(const std::string& line, std::vector<std::string>& unset, bool& strayPercent) const
{
    // One pass, left to right: what a variable holds is never expanded again.
    std::string out;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '%') {
            out += line[i];
            continue;
        }
        if (i + 1 < line.size() && line[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        const std::size_t close = line.find('%', i + 1);
        if (close == std::string::npos) {
            strayPercent = true; // dropped, as in a batch file
            continue;
        }
        const std::string name = line.substr(i + 1, close - i - 1);
        if (const auto value = variable(name))
            out += *value;
        else
            unset.push_back(name);
        i = close;
    }
    return out;
}

std::optional<std::string> BatchInterpreter::parseCommand(const std::string& line, Command& command)
{
    command = Command{};
    std::size_t i = 0;

    // Reads one word from i: blanks end it outside quotes, quotes group and
    // are dropped. False at the end of the line.
    auto readWord = [&](std::string& word, std::optional<std::string>& error) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        if (i >= line.size())
            return false;
        word.clear();
        bool quoted = false;
        bool any = false;
        for (; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '"') {
                quoted = !quoted;
                any = true;
                continue;
            }
            if (!quoted && (isBlank(c) || c == '>'))
                break;
            if (!quoted && isUnsupportedSpecial(c)) {
                error = std::string("unsupported character '") + c + "' outside double quotes";
                return false;
            }
            word += c;
            any = true;
        }
        return any;
    };

    std::optional<std::string> error;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        if (i >= line.size())
            break;
        if (line[i] == '>') {
            ++i;
            if (i < line.size() && line[i] == '>')
                return std::string("appending redirection \">>\" is not supported");
            if (command.hasRedirect)
                return std::string("more than one redirection");
            std::string target;
            if (!readWord(target, error))
                return error ? error : std::string("redirection without a file name");
            command.redirect = target;
            command.hasRedirect = true;
            continue;
        }
        std::string word;
        if (!readWord(word, error)) {
            if (error)
                return error;
            break;
        }
        command.words.push_back(word);
    }
    return std::nullopt;
}

int BatchInterpreter::runLine(const std::string& line)
{
    std::vector<std::string> unset;
    bool strayPercent = false;
    const std::string expanded = expand(line, unset, strayPercent);

    auto reportExpansion = [&] {
        for (const std::string& name : unset)
            report("variable \"" + name + "\" is not set");
        if (strayPercent)
            report("a single % without its pair (write %% for a literal %)");
    };

    const bool isSet = expanded.size() >= 3 && upper(expanded.substr(0, 3)) == "SET"
                       && (expanded.size() == 3 || isBlank(expanded[3]));
    if (isSet) {
        if (!unset.empty() || strayPercent) {
            reportExpansion();
            return 1;
        }
        std::size_t first = 3;
        while (first < expanded.size() && isBlank(expanded[first]))
            ++first;
        return runSet(expanded.substr(first));
    }

    Command command;
    if (const auto error = parseCommand(expanded, command)) {
        report(*error);
        return 1;
    }

    // The redirection's file is made before the command is looked at, so it
    // exists, empty, even when the command then fails.
    int output = -1;
    if (command.hasRedirect) {
        output = ::open(command.redirect.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (output < 0) {
            report("cannot open \"" + command.redirect + "\" for output: " + std::strerror(errno));
            return 1;
        }
    }

    int status = 1;
    if (!unset.empty() || strayPercent)
        reportExpansion();
    else if (command.words.empty())
        report("no command before the redirection");
    else {
        std::vector<char*> argv;
        for (const std::string& word : command.words)
            argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);

        int error = 0;
        const pid_t pid = spawnCommand(argv, output, error);
        if (error != 0) {
            report("cannot start \"" + command.words.front() + "\": " + std::strerror(error));
            status = NotStarted;
        } else {
            int waitStatus = 0;
            while (::waitpid(pid, &waitStatus, 0) < 0 && errno == EINTR) { }
            if (WIFEXITED(waitStatus))
                status = WEXITSTATUS(waitStatus);
            else if (WIFSIGNALED(waitStatus))
                status = 128 + WTERMSIG(waitStatus);
        }
    }
    if (output >= 0)
        ::close(output);
    return status;
}

int BatchInterpreter::runSet(const std::string& rest)
{
    const auto eq = rest.find('=');
    if (eq == std::string::npos || eq == 0) {
        report("only \"set NAME=VALUE\" is supported");
        return 1;
    }
    bool quoted = false;
    for (const char c : rest) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '>' || isUnsupportedSpecial(c))) {
            report(std::string("unsupported character '") + c + "' outside double quotes");
            return 1;
        }
    }
    const std::string name = rest.substr(0, eq);
    const std::string value = rest.substr(eq + 1);
    // As in cmd.exe, the value reaches the commands' environment too.
    if (value.empty()) {
        m_variables.erase(upper(name));
        ::unsetenv(name.c_str());
    } else {
        m_variables[upper(name)] = value;
        ::setenv(name.c_str(), value.c_str(), 1);
    }
    return 0;
}
