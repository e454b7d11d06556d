#include "CommandLine.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <optional>
#include <ostream>
#include <string_view>

#include "ConsoleDriver.hpp"
#include "engine/Formats.hpp"
#include "format/Version.hpp"
#include "text/PlainTerminal.hpp"

namespace Vantorn {
namespace {

// The usage text; @EXTENSIONS@ stands for the -o extensions of the formats' table.
constexpr std::string_view usageText =
    "Usage: mornstave [OPTION]... [--] CARD...\n"
    "  or:  mornstave --diff [-r] [--all] [OPTION]... OLD NEW\n"
    "Describes each skill card (skill*.vnt) and estimates the level it ought to carry.\n"
    "A folder given as a CARD stands for every skill*.vnt in it, in name order.\n"
    "\n"
    "  --summary          one row per card instead of its report: stated and estimated\n"
    "                     level and their difference, then failures and totals\n"
    "  --sort=ORDER       the summary's rows by difference (the default: absolute,\n"
    "                     largest first), estimate, level or path\n"
    "  --format=FORMAT    text (the default): report blocks, or the summary's table;\n"
    "                     json: one JSON document of every card (UTF-8), with the\n"
    "                     summary under --summary; csv, html: the summary as CSV or as\n"
    "                     a web page; by default taken from the -o file's extension\n"
    "                     (@EXTENSIONS@)\n"
    "  -o, --output=FILE  write to FILE instead of standard output\n"
    "  -r, --recursive    folders: their subfolders too\n"
    "  --explain          a field-by-field listing of each card instead of its report:\n"
    "                     offset, size, field, value and meaning, and where a card is broken\n"
    "                     (text, or one JSON document with --format=json)\n"
    "  --diff OLD NEW     what changed from OLD to NEW, two cards or two folders (with -r\n"
    "                     their trees), card by card and field by field (text, json or\n"
    "                     html); exit status 0 when nothing differs, 1 when something\n"
    "                     does, 2 for trouble\n"
    "  --all              --diff: list the unchanged cards too\n"
    "  --advise           for each card off its stated level by more than 0.5: up to\n"
    "                     three lines of the nearest changes that balance it (text),\n"
    "                     or the whole list of them (json)\n"
    "  --encoding=ENC     cp932 or utf-8: the encoding of text output and CSV; text is\n"
    "                     UTF-8 under a UTF-8 locale and CP932 otherwise, CSV UTF-8\n"
    "  --raw-csv          CSV texts exactly as they are; by default a text beginning\n"
    "                     with = + - @ TAB or CR gets a leading ' so that spreadsheets\n"
    "                     do not take it for a formula\n"
    "  --help             show this help and exit\n"
    "  --version          show the version and exit\n"
    "  --                 end of options: every later argument is a card or folder\n"
    "\n"
    "Each unreadable card or folder gives one line 'PATH: MESSAGE' on standard error.\n"
    "The output file is written whole or not at all, and never over a card read.\n"
    "Exit status: 0 when the cards given were processed (even if some failed) and\n"
    "after --help or --version, 1 when none was given or the output cannot be\n"
    "written, 2 for a bad option or an output file that is one of the cards.\n";

std::string usage() {
    std::string extensions;
    for (const FormatInfo& info : outputFormats()) {
        std::string_view list = info.extensions;
        while (!list.empty()) {
            const std::size_t end = std::min(list.find(' '), list.size());
            extensions += (extensions.empty() ? "." : ", .") + std::string(list.substr(0, end));
            list.remove_prefix(std::min(end + 1, list.size()));
        }
    }
    std::string text(usageText);
    constexpr std::string_view mark = "@EXTENSIONS@";
    text.replace(text.find(mark), mark.size(), extensions);
    return text;
}

// The options as given, before they become settings.
struct Choices {
    std::string format;
    std::string encoding;
    std::string sort = "difference";
    std::string output;
    bool summary = false;
    bool recursive = false;
    bool explain = false;
    bool diff = false;
    bool all = false;
    bool rawCsv = false;
    bool advise = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> paths;
};

}  // namespace

CommandLine readCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                            const ConsoleEnvironment& environment) {
    CommandLine line;
    CLI::App app("mornstave", "mornstave");
    app.set_help_flag();
    Choices choices;
    app.add_flag("--help", choices.help);
    app.add_flag("--version", choices.version);
    app.add_flag("--summary", choices.summary);
    app.add_option("--sort", choices.sort)->check(CLI::IsMember({"path", "level", "estimate", "difference"}));
    std::vector<std::string> formatNames;
    for (const FormatInfo& info : outputFormats()) formatNames.emplace_back(info.name);
    app.add_option("--format", choices.format)->check(CLI::IsMember(formatNames));
    app.add_option("-o,--output", choices.output);
    app.add_flag("-r,--recursive", choices.recursive);
    app.add_flag("--explain", choices.explain);
    app.add_flag("--diff", choices.diff);
    app.add_flag("--all", choices.all);
    app.add_option("--encoding", choices.encoding)->check(CLI::IsMember({"cp932", "utf-8"}));
    app.add_flag("--raw-csv", choices.rawCsv);
    app.add_flag("--advise", choices.advise);
    app.add_option("cards", choices.paths);
    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        err << "mornstave: " << error.what() << "\n" << usage() << std::flush;
        line.exitStatus = 2;
        return line;
    }
    if (choices.help) {
        out << usage() << std::flush;
        line.exitStatus = 0;
        return line;
    }
    if (choices.version) {
        out << MORNSTAVE_PRODUCT " version " MORNSTAVE_VERSION "\n" << std::flush;
        line.exitStatus = 0;
        return line;
    }
    ConsoleSettings& settings = line.settings;
    settings.format = !choices.format.empty() ? *formatNamed(choices.format)
                      : !choices.output.empty() ? formatOfFile(choices.output)
                                                : OutputFormat::text;
    if (!choices.encoding.empty()) {
        settings.askedEncoding = choices.encoding == "utf-8" ? OutputEncoding::utf8 : OutputEncoding::cp932;
    }
    settings.form.encoding = formatEncoding(OutputFormat::text, settings.askedEncoding, environment.localeIsUtf8);
    settings.form.pathsAreUtf8 = environment.pathsAreUtf8;
    settings.form.replaceUnmappable = environment.replaceUnmappable;
    settings.csvTexts = choices.rawCsv ? CsvTexts::raw : CsvTexts::guarded;
    settings.summary = choices.summary || formatInfo(settings.format).impliesSummary;
    summaryOrderNamed(choices.sort, settings.order);
    settings.recursive = choices.recursive;
    settings.explain = choices.explain;
    settings.advise = choices.advise && !choices.explain;
    if (settings.explain) {  // the listing in text or JSON; the other forms have nothing of it
        if (!formatInfo(settings.format).listing) settings.format = OutputFormat::text;
        settings.summary = false;
    }
    settings.diff = choices.diff;
    settings.all = choices.all;
    if (settings.diff) {
        const char* wrong = choices.paths.size() != 2            ? "--diff compares two paths, OLD and NEW"
                            : !formatInfo(settings.format).comparison ? "--diff writes text, json or html"
                            : choices.explain                      ? "--diff and --explain exclude each other"
                                                                   : nullptr;
        if (wrong) {
            err << "mornstave: " << wrong << "\n" << usage() << std::flush;
            line.exitStatus = 2;
            return line;
        }
        settings.summary = false;
    }
    settings.outputPath = choices.output;
    // Progress would tangle with output on the same terminal.
    settings.showProgress =
        environment.stderrIsTerminal && (!choices.output.empty() || !environment.stdoutIsTerminal);
    settings.heldFiles = environment.heldFiles;
    line.paths = std::move(choices.paths);
    return line;
}

int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const ConsoleEnvironment& environment) {
    // On a terminal, control characters of cards and file names are shown, not obeyed.
    std::optional<PlainTerminalBuffer> plainOut, plainErr;
    if (environment.stdoutIsTerminal) plainOut.emplace(*out.rdbuf(), environment.localeIsUtf8);
    if (environment.stderrIsTerminal) plainErr.emplace(*err.rdbuf(), environment.localeIsUtf8);
    std::ostream terminalOut(plainOut ? &*plainOut : out.rdbuf());
    std::ostream terminalErr(plainErr ? &*plainErr : err.rdbuf());
    // A write that failed through these streams is the caller's streams' failure too:
    // an output cut short (a full disk, a buffer that cannot grow) never passes for whole.
    const auto passOn = [&](int status) {
        if (terminalOut.bad()) out.setstate(std::ios::badbit);
        if (terminalErr.bad()) err.setstate(std::ios::badbit);
        return status;
    };
    const CommandLine line = readCommandLine(args, terminalOut, terminalErr, environment);
    if (line.exitStatus) {
        return passOn(*line.exitStatus);
    }
    return passOn(runConsole(line.paths, terminalOut, terminalErr, line.settings));
}

}  // namespace Vantorn
