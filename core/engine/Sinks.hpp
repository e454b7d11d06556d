#pragma once

// The sinks of the outputs, each chosen once from what was asked.

#include <memory>
#include <vector>

#include "engine/CardSink.hpp"
#include "engine/Formats.hpp"
#include "summary/CsvText.hpp"
#include "summary/Summary.hpp"
#include "summary/TextForm.hpp"

namespace Vantorn {

struct OutputChoice {
    OutputFormat format = OutputFormat::text;
    bool summary = false;  // a row per card (csv and html always)
    bool explain = false;  // the listing instead of the report (text or JSON)
    SummaryOrder order = SummaryOrder::difference;
    TextForm form;         // how the output writes paths and the core's texts
    CsvTexts csvTexts = CsvTexts::guarded;  // CSV cells that look like formulas get an apostrophe
    bool advise = false;   // the results hold advice, and the output shows it
};

// Where the report writes a card that could not be read.
enum class ReportFailures {
    errorLine,  // the error line beside the blocks (standard error)
    inBlock,    // a block of its own: the header, the message, an empty line
};

// The report blocks: header, description, estimate and an empty line per card; a
// failure as `failures` says. With `advise`, up to three 提案 lines follow the level line.
std::unique_ptr<CardSink> makeReportSink(SinkOutput& output, const TextForm& form,
                                         ReportFailures failures = ReportFailures::errorLine, bool advise = false);
// The field-by-field listing of each card under its header.
std::unique_ptr<CardSink> makeListingSink(SinkOutput& output, const TextForm& form);
// The listing of each card as one JSON document.
std::unique_ptr<CardSink> makeListingJsonSink(SinkOutput& output);
// The JSON document of every card, with the summary where asked.
std::unique_ptr<CardSink> makeJsonSink(SinkOutput& output, bool summary, SummaryOrder order, bool advise = false);
// The summary of the cards as an aligned table, CSV or the HTML page. With `advise`,
// the summary has the 提案 column and each block of the page all the advice.
std::unique_ptr<CardSink> makeSummarySink(SinkOutput& output, OutputFormat format, SummaryOrder order,
                                          const TextForm& form, CsvTexts csvTexts = CsvTexts::guarded,
                                          bool advise = false);

// The rows and failures of the cards, in the order read, added to `rows` for a front
// end's own list (unsorted: the list sorts it).
std::unique_ptr<CardSink> makeRowsSink(Summary& rows);
// Feeds every one of the sinks in one pass, each in the order given. Their outputs stay
// their own; all read the cards, or all their bytes (the listing), never a mixture.
std::unique_ptr<CardSink> makeFanOutSink(std::vector<std::unique_ptr<CardSink>> sinks);

// The one sink for the choice.
std::unique_ptr<CardSink> makeSink(SinkOutput& output, const OutputChoice& choice);

}  // namespace Vantorn
