// The console program on POSIX systems: the locale's character set decides whether
// text goes out as UTF-8 or as the CP932 bytes of the core.

#include <clocale>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include <langinfo.h>
#include <unistd.h>

#include "CommandLine.hpp"

int main(int argc, char* argv[]) {
    std::ios::sync_with_stdio(false);
    // Only the character type: numbers keep the "C" locale's form.
    std::setlocale(LC_CTYPE, "");
    const bool utf8 = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
    Vantorn::ConsoleEnvironment environment;
    environment.pathsAreUtf8 = utf8;
    environment.localeIsUtf8 = utf8;
    environment.stdoutIsTerminal = isatty(STDOUT_FILENO) == 1;
    environment.stderrIsTerminal = isatty(STDERR_FILENO) == 1;
    const std::vector<std::string> args(argv + 1, argv + argc);
    return Vantorn::runCommandLine(args, std::cout, std::cerr, environment);
}
