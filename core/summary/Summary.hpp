#pragma once

// The summary of many cards: one row per card read, one failure per path that could not
// be read, and the totals over them. Values only: the console (and later the window)
// computes them card by card, then one writer per format writes them. A row keeps no
// card, so memory grows with the rows alone.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "format/Errors.hpp"
#include "report/Real.hpp"  // twoDecimals, the summary's way to write a level

namespace Vantorn {

class SkillCard;
struct LevelEstimate;

struct SummaryRow {
    std::size_t entry = 0;  // the path's place among every path read, failures included
    std::string path;       // as given
    std::string name;       // CP932, as are the texts below
    std::int32_t level = 0; // the level the card states (技能Lv)
    std::optional<double> estimate;  // none where the card is not estimated
    std::string target;     // as the description names it: "敵方単体", …
    std::string effects;    // the motions' lines, joined by " / "
    std::string advice;     // the first piece of advice's sentence, where advice was asked for

    // estimate - level, where there is an estimate.
    std::optional<double> difference() const;
};

// The row of a card and its estimate.
SummaryRow summaryRow(std::size_t entry, std::string path, const SkillCard& card, const LevelEstimate& estimate);

struct SummaryFailure {
    std::size_t entry = 0;
    std::string path;     // as given
    std::string message;  // CP932, as the error line says it
    std::optional<ReadLocation> location;  // where a reading error was found
};

// Where a failure was found, as the summary's text and CSV say it: "offset 1234,
// event 1 > content 2 > name"; empty where it is not known.
std::string locationText(const SummaryFailure& failure);

// How `--sort` sorts the rows: by the path, the level, the estimate or the difference,
// each in its column's order (see summaryBefore in SummaryCells.hpp).
enum class SummaryOrder { path, level, estimate, difference };

// The order's name as the command line and the JSON say it, and back (false when the
// name is none of them).
const char* summaryOrderName(SummaryOrder order);
bool summaryOrderNamed(std::string_view name, SummaryOrder& order);

// How many cards a totals list names at most on either side.
constexpr std::size_t furthestCount = 5;

struct SummaryTotals {
    std::size_t read = 0;
    std::size_t failed = 0;
    // The mean of |difference| over the rows that have one.
    std::optional<double> meanAbsoluteDifference;
    // Positions in the sorted rows: the cards whose stated level lies furthest above
    // their estimate (most negative difference first), and furthest below it.
    std::vector<std::size_t> furthestAbove;
    std::vector<std::size_t> furthestBelow;
};

class Summary {
public:
    // `advised`: the rows hold advice, and the outputs show its column.
    explicit Summary(bool advised = false) : advised_(advised) {}

    void add(SummaryRow row) { rows_.push_back(std::move(row)); }
    void add(SummaryFailure failure) { failures_.push_back(std::move(failure)); }

    // Sorts the rows and works out the totals; call once, after the last add.
    void finish(SummaryOrder order);

    const std::vector<SummaryRow>& rows() const { return rows_; }
    const std::vector<SummaryFailure>& failures() const { return failures_; }
    const SummaryTotals& totals() const { return totals_; }
    SummaryOrder order() const { return order_; }
    bool advised() const { return advised_; }

private:
    std::vector<SummaryRow> rows_;
    std::vector<SummaryFailure> failures_;
    SummaryTotals totals_;
    SummaryOrder order_ = SummaryOrder::difference;
    bool advised_ = false;
};

}  // namespace Vantorn
