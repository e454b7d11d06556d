#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "ConsoleDriver.hpp"

namespace Vantorn {

// What the platform tells the command line before it is read.
struct ConsoleEnvironment {
    bool pathsAreUtf8 = false;      // arguments are UTF-8 (a UTF-8 locale, or Windows)
    bool localeIsUtf8 = false;      // text output defaults to UTF-8
    bool replaceUnmappable = false; // '?' for a path character CP932 lacks
    bool stdoutIsTerminal = false;
    bool stderrIsTerminal = false;  // a long run may show its progress there
    HeldFiles heldFiles;            // cards the caller holds in memory (see RunOptions)
};

// The options and card paths of a command line.
struct CommandLine {
    // Set when the command line is done with already (help, version, a bad option).
    std::optional<int> exitStatus;
    std::vector<std::string> paths;
    ConsoleSettings settings;
};

// Reads the options and the card paths in `args` (without the program's name);
// writes help, version and option errors itself.
CommandLine readCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                            const ConsoleEnvironment& environment);

// The whole console program after the platform's start-up. Returns the exit status:
// 0 done (also when cards failed), 1 no card given, 2 a bad option.
int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const ConsoleEnvironment& environment);

}  // namespace Vantorn
