#include "CommandLine.hpp"

#include <CLI/CLI.hpp>

#include <ostream>

#include "ConsoleDriver.hpp"
#include "format/Version.hpp"

namespace Vantorn {
namespace {

constexpr const char* usage =
    "Usage: mornstave [OPTION]... [--] CARD...\n"
    "Describes each skill card (skill*.vnt) and estimates the level it ought to carry.\n"
    "\n"
    "  --format=FORMAT    text (the default): one report block per card;\n"
    "                     json: one JSON document of every card (UTF-8)\n"
    "  --encoding=ENC     cp932 or utf-8: the encoding of text output; by default\n"
    "                     UTF-8 under a UTF-8 locale, CP932 otherwise\n"
    "  --help             show this help and exit\n"
    "  --version          show the version and exit\n"
    "  --                 end of options: every later argument is a card\n"
    "\n"
    "Each unreadable card gives one line 'PATH: MESSAGE' on standard error.\n"
    "Exit status: 0 when cards were given, 1 when none, 2 for a bad option.\n";

struct Choices {
    std::string format = "text";
    std::string encoding;
    std::vector<std::string> paths;
};

}  // namespace

CommandLine readCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                            const ConsoleEnvironment& environment) {
    CommandLine line;
    CLI::App app("mornstave", "mornstave");
    app.set_help_flag();
    Choices choices;
    bool help = false;
    bool version = false;
    app.add_flag("--help", help);
    app.add_flag("--version", version);
    app.add_option("--format", choices.format)->check(CLI::IsMember({"text", "json"}));
    app.add_option("--encoding", choices.encoding)->check(CLI::IsMember({"cp932", "utf-8"}));
    app.add_option("cards", choices.paths);
    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        err << "mornstave: " << error.what() << "\n" << usage << std::flush;
        line.exitStatus = 2;
        return line;
    }
    if (help) {
        out << usage << std::flush;
        line.exitStatus = 0;
        return line;
    }
    if (version) {
        out << MORNSTAVE_PRODUCT " version " MORNSTAVE_VERSION "\n" << std::flush;
        line.exitStatus = 0;
        return line;
    }
    ConsoleSettings& settings = line.settings;
    settings.format = choices.format == "json" ? OutputFormat::json : OutputFormat::text;
    const bool utf8 = choices.encoding.empty() ? environment.localeIsUtf8 : choices.encoding == "utf-8";
    settings.encoding = utf8 ? OutputEncoding::utf8 : OutputEncoding::cp932;
    settings.pathsAreUtf8 = environment.pathsAreUtf8;
    settings.replaceUnmappable = environment.replaceUnmappable;
    line.paths = std::move(choices.paths);
    return line;
}

int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const ConsoleEnvironment& environment) {
    const CommandLine line = readCommandLine(args, out, err, environment);
    if (line.exitStatus) {
        return *line.exitStatus;
    }
    return runConsole(line.paths, out, err, line.settings);
}

}  // namespace Vantorn
