#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "summary/CsvText.hpp"
#include "summary/Summary.hpp"
#include "summary/TextForm.hpp"

namespace Vantorn {

// text: report blocks, or the summary's table. json: the document of every card (and
// the summary's object). csv and html: the summary only.
enum class OutputFormat { text, json, csv, html };
using OutputEncoding = TextEncoding;

// How the console writes what it reads. The defaults are the plain behaviour: CP932
// text, paths echoed byte for byte, file arguments only, standard output.
struct ConsoleSettings {
    OutputFormat format = OutputFormat::text;
    // The encoding of text output and of standard error.
    OutputEncoding encoding = OutputEncoding::cp932;
    // CSV is UTF-8 (with a byte-order mark) unless CP932 was asked for by name.
    OutputEncoding csvEncoding = OutputEncoding::utf8;
    // CSV text cells that look like formulas get an apostrophe, unless raw was asked for.
    CsvTexts csvTexts = CsvTexts::guarded;
    // The paths are UTF-8 (a UTF-8 locale, or Windows, whose arguments arrive as UTF-16).
    bool pathsAreUtf8 = false;
    // In CP932 output, a path character CP932 lacks becomes '?' (as Windows writes
    // such names); otherwise a path that cannot be converted whole is written as given.
    bool replaceUnmappable = false;
    // One row per card instead of the blocks (always so for csv and html).
    bool summary = false;
    SummaryOrder order = SummaryOrder::difference;
    // Folders given: their subfolders too.
    bool recursive = false;
    // Where the output goes; empty for the stream given to runConsole. Never one of the
    // cards read; written to a temporary file that replaces it when complete.
    std::string outputPath;
    // The field-by-field listing of each card instead of its report.
    bool explain = false;
    // Standard error is a terminal: a long run shows its progress there.
    bool showProgress = false;
};

// The encoding of the bytes the run writes to its output: what a console window must
// decode them from.
OutputEncoding outputBytesEncoding(const ConsoleSettings& settings);

// Describes and estimates every card the paths stand for, in order (a folder stands
// for its skill*.vnt cards); returns the exit status.
int runConsole(const std::vector<std::string>& paths, std::ostream& out, std::ostream& err,
               const ConsoleSettings& settings = {});

// The usage banner written when no card is given.
std::string usageBanner();

}  // namespace Vantorn
