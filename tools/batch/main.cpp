// vantrel-batch FILE: runs a batch file of the forms BatchInterpreter knows,
// in the file's own folder, as the probe's launcher would start it there.
#include "BatchInterpreter.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
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

    BatchInterpreter interpreter(std::cerr);
    const int status = interpreter.runText(text.str(), path);
    return status > 255 ? 1 : status;
}
