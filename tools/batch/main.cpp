// vantrel-batch FILE: runs a batch file of the forms BatchInterpreter knows,
// in the file's own folder, as the probe's launcher would start it there.
// Exit code: the last command's, or 126 when it could not be started.
#include "BatchInterpreter.h"

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <langinfo.h>
#include <sstream>
#include <unistd.h>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::cerr << "usage: vantrel-batch FILE\n";
        return 2;
    }
    const std::string path = argv[1];
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "vantrel-batch: cannot open \"" << path << "\": " << std::strerror(errno) << '\n';
        return 1;
    }
    std::ostringstream text;
    text << in.rdbuf();

    const auto slash = path.rfind('/');
    if (slash != std::string::npos) {
        const std::string folder = slash == 0 ? std::string("/") : path.substr(0, slash);
        if (::chdir(folder.c_str()) != 0) {
            std::cerr << "vantrel-batch: cannot enter \"" << folder << "\": " << std::strerror(errno) << '\n';
            return 1;
        }
    }

    // Paths arrive as UTF-8, Qt's file name encoding. Under a C or other
    // non-UTF-8 locale mediainfo would not find a file with a non-ASCII name.
    std::setlocale(LC_CTYPE, "");
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0)
        ::setenv("LC_ALL", "C.UTF-8", 1);

    BatchInterpreter interpreter(std::cerr);
    const int status = interpreter.runText(text.str(), path);
    // The probe tells a tool that could not be started from one that ran and
    // wrote nothing by this code, as a shell does.
    if (status == BatchInterpreter::NotStarted)
        return 126;
    return status > 255 ? 1 : status;
}
