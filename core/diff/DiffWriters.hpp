#pragma once

// The writers of a comparison, one per format, each over the pairs in path order.

#include <cstddef>
#include <iosfwd>
#include <vector>

#include "diff/CardDiff.hpp"
#include "summary/TextForm.hpp"

namespace Vantorn {

class JsonWriter;

// How many pairs of each status a comparison found.
struct DiffTotals {
    std::size_t counts[5] = {0, 0, 0, 0, 0};  // by DiffStatus
    void add(const CardDiff& diff) { ++counts[static_cast<std::size_t>(diff.status)]; }
    std::size_t of(DiffStatus status) const { return counts[static_cast<std::size_t>(status)]; }
    bool differ() const;
};

// A pair's block in the report's words, in the form's encoding: "[path] 変更", the
// stated level and the estimate before and after, then a line per change; an empty
// line ends it.
void writeDiffText(std::ostream& out, const CardDiff& diff, const TextForm& form);
// The totals' closing line, in the form's encoding.
void writeDiffTotalsText(std::ostream& out, const DiffTotals& totals, const TextForm& form);

// A pair's entry: {"path", "status", "level", "estimate", "move", "changes", "failure"}.
void writeDiffJson(JsonWriter& json, const CardDiff& diff);
// The "totals" member's value: a count per status.
void writeDiffTotalsJson(JsonWriter& json, const DiffTotals& totals);

// One self-contained HTML page (UTF-8) in the summary page's style: the totals, then
// the changed cards first, furthest moved estimate first, then those added, removed,
// unreadable and (where listed) unchanged.
void writeDiffPage(std::ostream& out, std::vector<CardDiff> diffs, const DiffTotals& totals);

}  // namespace Vantorn
