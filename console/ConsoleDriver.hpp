#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace Vantorn {

enum class OutputFormat { text, json };
enum class OutputEncoding { cp932, utf8 };

// How the console writes what it reads. The defaults are the plain behaviour: CP932
// text, paths echoed byte for byte.
struct ConsoleSettings {
    OutputFormat format = OutputFormat::text;
    OutputEncoding encoding = OutputEncoding::cp932;
    // The paths are UTF-8 (a UTF-8 locale, or Windows, whose arguments arrive as UTF-16).
    bool pathsAreUtf8 = false;
    // In CP932 output, a path character CP932 lacks becomes '?' (as Windows writes
    // such names); otherwise a path that cannot be converted whole is written as given.
    bool replaceUnmappable = false;
};

// Describes and estimates every card path in order; returns the exit status.
int runConsole(const std::vector<std::string>& paths, std::ostream& out, std::ostream& err,
               const ConsoleSettings& settings = {});

// The usage banner written when no card is given.
std::string usageBanner();

}  // namespace Vantorn
