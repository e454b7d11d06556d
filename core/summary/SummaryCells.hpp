#pragma once

// The summary's columns, the texts each row shows in them, and the one order of rows
// by a column. Every output of the summary (text table, CSV, JSON, the HTML page) and
// the window's card list take their headings, cells and sorting from here, so that a
// number reads and a column sorts alike in all of them.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "summary/Summary.hpp"

namespace Vantorn {

enum class SummaryColumn {
#define SUMMARY_COLUMN(id, heading, kind, widest, shown) id,
#include "summary/SummaryColumns.def"
};

enum class ColumnKind { text, number, failure };
enum class ColumnShown { always, advised };

struct SummaryColumnInfo {
    SummaryColumn column;
    const char* key;      // in the JSON and the page
    const char* heading;  // CP932
    ColumnKind kind;
    std::size_t widest;   // in the text table; 0: never cut
    ColumnShown shown;

    // Whether a summary made with advice, or without, has the column.
    bool shownIn(bool advised) const { return shown == ColumnShown::always || advised; }
};

constexpr std::size_t summaryColumnCount = 0
#define SUMMARY_COLUMN(id, heading, kind, widest, shown) +1
#include "summary/SummaryColumns.def"
    ;
// The card's columns come first; the failure's own follow them.
constexpr std::size_t cardColumnCount = 0
#define SUMMARY_COLUMN(id, heading, kind, widest, shown) +(ColumnKind::kind != ColumnKind::failure)
#include "summary/SummaryColumns.def"
    ;

// Every column, in order.
const std::array<SummaryColumnInfo, summaryColumnCount>& summaryColumns();
// The columns a summary has, in order: every column, or every one but those of advice.
std::vector<SummaryColumnInfo> summaryColumns(bool advised);
const SummaryColumnInfo& columnInfo(SummaryColumn column);
// The column an order of `--sort` sorts by.
SummaryColumn orderColumn(SummaryOrder order);

// What a row shows in each column, made here once for every output: the path as
// given, the card's texts (CP932) on one line (every control character, line breaks and
// TAB included, in caret notation: "^[", "^J", "^I"), the level as an integer, the estimate and the
// difference with two decimals (empty where there is none). A card's row leaves the
// failure's columns empty; a failure fills the path, the message and where reading
// stopped (locationText) and leaves the card's columns empty.
using SummaryCells = std::array<std::string, summaryColumnCount>;
SummaryCells summaryCells(const SummaryRow& row);
SummaryCells summaryCells(const SummaryFailure& failure);

// The text a text column holds whole, as it sorts (the CSV writes it so); empty for
// the other columns.
std::string_view summaryText(const SummaryRow& row, SummaryColumn column);

// The totals as every output writes them: the counts, and the mean with two decimals
// (empty where no card has an estimate).
struct SummaryTotalTexts {
    std::string read;
    std::string failed;
    std::string meanAbsoluteDifference;
};
SummaryTotalTexts summaryTotalTexts(const SummaryTotals& totals);

// The one order of rows by a column: text columns A to Z (by their bytes), numbers
// largest first, the difference by its absolute value; rows without a value (no
// estimate) after those with one; equal values by path, then by entry. A failure's
// column holds nothing in a row, so it sorts by path. Failures are not rows: every
// list of the summary shows them after all cards, in the order they were read.
bool summaryBefore(const SummaryRow& a, const SummaryRow& b, SummaryColumn column);

// The positions of `rows` in the order of `column`; reversed turns the values' order
// round (numbers smallest first, text Z to A) while rows without a value stay last
// and equal values stay by path.
std::vector<std::size_t> summaryOrder(const std::vector<SummaryRow>& rows, SummaryColumn column, bool reversed);

// Each row's place in both orders of each card column: places[column][0] in
// summaryOrder(rows, column, false), places[column][1] in the reversed one. A page that
// sorts by a column puts each row at its place, without a rule of its own.
struct SummaryRanks {
    std::array<std::array<std::size_t, 2>, cardColumnCount> places;
};
std::vector<SummaryRanks> summaryRanks(const std::vector<SummaryRow>& rows);

}  // namespace Vantorn
