#pragma once

// The writers of a finished summary, one per format. Each writes the rows in the
// summary's order, then the failures, then the totals.

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "summary/CsvText.hpp"
#include "summary/Summary.hpp"
#include "summary/SummaryCells.hpp"
#include "summary/TextForm.hpp"

namespace Vantorn {

class JsonWriter;

// An aligned table for a terminal, in the form's encoding: wide characters count two
// columns. Line ends are LF; a control character inside a field, a line break or
// TAB among them, is shown in caret notation. A
// text wider than its column's set width is cut and ends in "…".
void writeSummaryText(std::ostream& out, const Summary& summary, const TextForm& form);

// RFC 4180: a header row, CR LF line ends, a field quoted where it holds a comma, a
// quote or a line break, quotes doubled. UTF-8 starts with a byte-order mark, so that
// spreadsheet programs take it for UTF-8. Failures follow the cards as rows with their
// message in the last column; then, after an empty row, the totals. Every row has the
// header's number of fields. Text cells are guarded against formulas unless `texts`
// says raw (see CsvTexts).
void writeSummaryCsv(std::ostream& out, const Summary& summary, const TextForm& form,
                     CsvTexts texts = CsvTexts::guarded);

// The "summary" object of the JSON document: {"order", "rows", "failures", "totals"}.
// Paths are written as given (UTF-8), card texts converted from CP932.
void writeSummaryJson(JsonWriter& json, const Summary& summary);

// One self-contained HTML page (UTF-8): the totals, a sortable and filterable table,
// a scatter plot of stated against estimated level, each card's report block on a
// click, and the failures. The page is written as the cards come: the constructor
// writes its start, then each path read gives its block (or none, for a failure) in
// entry order, and finish writes the summary and the page's end. Nothing but the
// summary's rows is held.
// The page's <style> element, for other pages in the same look.
std::string_view summaryPageStyle();

class SummaryPage {
public:
    explicit SummaryPage(std::ostream& out);
    SummaryPage(const SummaryPage&) = delete;
    SummaryPage& operator=(const SummaryPage&) = delete;

    // The report block of the next entry, UTF-8.
    void block(std::string_view utf8);
    // The same written by `write` straight into the page, for a block too large to hold.
    void block(const std::function<void(std::ostream& utf8)>& write);
    // The next entry has no block: it failed.
    void noBlock();
    void finish(const Summary& summary);

private:
    std::ostream& out_;
};

}  // namespace Vantorn
