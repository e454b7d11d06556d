#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "engine/CardRun.hpp"
#include "engine/Formats.hpp"
#include "summary/CsvText.hpp"
#include "summary/Summary.hpp"
#include "summary/TextForm.hpp"

namespace Vantorn {

using OutputEncoding = TextEncoding;

// How the console writes what it reads. The defaults are the plain behaviour: CP932
// text, paths echoed byte for byte, file arguments only, standard output.
struct ConsoleSettings {
    OutputFormat format = OutputFormat::text;
    // How text output and standard error write paths and the core's texts.
    TextForm form;
    // The encoding asked for by name (--encoding), which a format may follow.
    std::optional<OutputEncoding> askedEncoding;
    // CSV text cells that look like formulas get an apostrophe, unless raw was asked for.
    CsvTexts csvTexts = CsvTexts::guarded;
    // One row per card instead of the blocks (always so for the formats that imply it).
    bool summary = false;
    SummaryOrder order = SummaryOrder::difference;
    // Folders given: their subfolders too.
    bool recursive = false;
    // Where the output goes; empty for the stream given to runConsole. Never one of the
    // cards read; written to a temporary file that replaces it when complete.
    std::string outputPath;
    // The field-by-field listing of each card instead of its report.
    bool explain = false;
    // Two versions compared (--diff OLD NEW) instead of the report; with all, the
    // unchanged cards are listed too.
    bool diff = false;
    bool all = false;
    // Advice on balance with each card: the report's 提案 lines, JSON's advice, the
    // summary's 提案 column.
    bool advise = false;
    // Standard error is a terminal: a long run shows its progress there.
    bool showProgress = false;
    // Cards the caller holds in memory, asked before the file system.
    HeldFiles heldFiles;
};

// The encoding of the bytes the run writes to its output: what a console window must
// decode them from.
OutputEncoding outputBytesEncoding(const ConsoleSettings& settings);

// The run's output ends its lines as its writer does, on every system (CSV, JSON,
// HTML): a standard output that would translate line ends must take its bytes as they
// are. The report, the table and the listing as text are text of the system.
bool writesOwnLineEnds(const ConsoleSettings& settings);

// Describes and estimates every card the paths stand for, in order (a folder stands
// for its skill*.vnt cards); returns the exit status.
int runConsole(const std::vector<std::string>& paths, std::ostream& out, std::ostream& err,
               const ConsoleSettings& settings = {});

// Compares the cards of OLD and NEW (two cards, or two folders) pair by pair; returns
// 0 when nothing differs, 1 when something does, 2 for trouble.
int runDiff(const std::string& oldPath, const std::string& newPath, std::ostream& out, std::ostream& err,
            const ConsoleSettings& settings);

// The usage banner written when no card is given.
std::string usageBanner();

}  // namespace Vantorn
