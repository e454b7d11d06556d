#pragma once

// The sinks of the outputs, each chosen once from what was asked.

#include <memory>

#include "engine/CardSink.hpp"
#include "engine/Formats.hpp"
#include "summary/CsvText.hpp"
#include "summary/Summary.hpp"
#include "summary/TextForm.hpp"

namespace Vantorn {

struct OutputChoice {
    OutputFormat format = OutputFormat::text;
    bool summary = false;  // a row per card (csv and html always)
    bool explain = false;  // the listing instead of the report (text only)
    SummaryOrder order = SummaryOrder::difference;
    TextForm form;         // how the output writes paths and the core's texts
    CsvTexts csvTexts = CsvTexts::guarded;  // CSV cells that look like formulas get an apostrophe
    bool advise = false;   // the results hold advice, and the output shows it
};

// The report blocks: header, description, estimate and an empty line per card; a
// failure's error line beside them.
// With `advise`, up to three 提案 lines follow the level line.
std::unique_ptr<CardSink> makeReportSink(SinkOutput& output, const TextForm& form, bool advise = false);
// The field-by-field listing of each card under its header.
std::unique_ptr<CardSink> makeListingSink(SinkOutput& output, const TextForm& form);
// The JSON document of every card, with the summary where asked.
std::unique_ptr<CardSink> makeJsonSink(SinkOutput& output, bool summary, SummaryOrder order, bool advise = false);
// The summary of the cards as an aligned table, CSV or the HTML page.
std::unique_ptr<CardSink> makeSummarySink(SinkOutput& output, OutputFormat format, SummaryOrder order,
                                          const TextForm& form, CsvTexts csvTexts = CsvTexts::guarded);

// The one sink for the choice.
std::unique_ptr<CardSink> makeSink(SinkOutput& output, const OutputChoice& choice);

}  // namespace Vantorn
