#pragma once

// The rows of the window's card list, built without any window: one row
// per card read, each cell the text the summary's cells give it; then the
// failures, with their path, message and place.  The rows sort by a column
// in the summary's one order of rows, and narrow to those whose path or
// name holds a text.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Compose.hpp"
#include "summary/SummaryCells.hpp"

namespace Mornstave {

// The list's columns: the summary's, in its order, but for the advice,
// which only an advised result has, last: the list without it stays as it was.
enum CardColumn { kPath, kName, kLevel, kEstimate, kDifference, kTarget, kEffects, kError, kPlace, kAdvice, kAdvisedColumns };
// The columns of a result without advice.
constexpr int kCardColumns = kAdvice;
// The summary's column each of the list's shows.
constexpr Vantorn::SummaryColumn kSummaryColumns[kAdvisedColumns] = {
    Vantorn::SummaryColumn::path,     Vantorn::SummaryColumn::name,   Vantorn::SummaryColumn::level,
    Vantorn::SummaryColumn::estimate, Vantorn::SummaryColumn::difference, Vantorn::SummaryColumn::target,
    Vantorn::SummaryColumn::effects,  Vantorn::SummaryColumn::error,  Vantorn::SummaryColumn::location,
    Vantorn::SummaryColumn::advice,
};

class CardRows {
public:
    // How many columns the list of a result with advice, or without, has.
    static int columns(bool advised) { return advised ? kAdvisedColumns : kCardColumns; }
    // The columns' headings, as the summary heads them.
    static std::vector<std::u16string> headings(bool advised = false);
    // The column holds numbers (aligned right).
    static bool isNumber(int column);

    CardRows() = default;
    // The table's rows in the summary's own order (largest difference
    // first), then its failures in the order they were read.  published:
    // the result as the box shows it, where each row's header line is found.
    CardRows(const Table& table, std::u16string_view published);

    // The table was made with advice, and the rows have its column.
    bool advised() const { return advised_; }
    int columns() const { return columns(advised_); }
    // The rows the filter keeps.
    std::size_t size() const { return shown_.size(); }
    const std::u16string& cell(std::size_t row, int column) const;
    // The row's header line "[path]" in the published text: its first
    // character and the one after it.
    std::pair<std::size_t, std::size_t> header(std::size_t row) const;

    // Sorts by column in the summary's order of rows (text A to Z, numbers
    // largest first, 差 by its absolute value); the same column again
    // reverses it.  Cards without an estimate stay after the others,
    // failures after all cards in the order read.
    void sortBy(int column);
    int sortColumn() const { return sortColumn_; }  // -1: the summary's order
    // The column's values rise down the list (the header's arrow).
    bool ascending() const { return ascending_; }

    // Keeps the rows whose path or name holds text (case aside); "" keeps all.
    void filter(const std::u16string& text);

private:
    struct Item {
        std::array<std::u16string, kAdvisedColumns> cells;
        std::u16string folded;  // path and name, for the filter
        std::size_t start = 0;  // in the shown text, LF line ends
        std::size_t headerStart = 0, headerEnd = 0;  // in the published text
    };
    void place(std::u16string_view published);
    void refilter();

    std::vector<Vantorn::SummaryRow> rows_;  // the cards' rows, items_ first; the failures follow
    std::vector<Item> items_;
    std::vector<std::size_t> order_;  // every item, sorted
    std::vector<std::size_t> shown_;  // those the filter keeps
    std::u16string filter_;
    bool advised_ = false;
    int sortColumn_ = -1;
    bool reversed_ = false;
    bool ascending_ = true;
};

}  // namespace Mornstave
