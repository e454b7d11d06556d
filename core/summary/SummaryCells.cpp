#include "summary/SummaryCells.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>
#include <tuple>
#include <utility>

#include "report/Real.hpp"
#include "text/PlainTerminal.hpp"

namespace Vantorn {
namespace {

constexpr std::array<SummaryColumnInfo, summaryColumnCount> columns = {{
#define SUMMARY_COLUMN(id, heading, kind, widest, shown) {SummaryColumn::id, #id, heading, ColumnKind::kind, widest, ColumnShown::shown},
#include "summary/SummaryColumns.def"
}};

constexpr bool cardColumnsFirst() {
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if ((columns[i].kind == ColumnKind::failure) != (i >= cardColumnCount)) return false;
    }
    return true;
}
static_assert(cardColumnsFirst(), "a failure's columns follow every card column");

// A cell is one line whatever the card holds: every control character, TAB and line
// breaks among them, in caret notation, as the text table shows it.
std::string oneLine(std::string_view text) { return visibleControls(text, false); }

std::string optionalTwo(const std::optional<double>& value) { return value ? twoDecimals(*value) : ""; }

}  // namespace

std::string_view summaryText(const SummaryRow& row, SummaryColumn column) {
    switch (column) {
    case SummaryColumn::path: return row.path;
    case SummaryColumn::name: return row.name;
    case SummaryColumn::target: return row.target;
    case SummaryColumn::effects: return row.effects;
    case SummaryColumn::advice: return row.advice;
    default: return {};
    }
}

namespace {

// The number a number column compares: the difference by its size. None where the
// row has none, and for NaN, which has no place among numbers.
std::optional<double> numberOf(const SummaryRow& row, SummaryColumn column) {
    std::optional<double> value;
    switch (column) {
    case SummaryColumn::level: value = row.level; break;
    case SummaryColumn::estimate: value = row.estimate; break;
    case SummaryColumn::difference:
        if (const std::optional<double> difference = row.difference()) value = std::fabs(*difference);
        break;
    default: break;
    }
    if (value && std::isnan(*value)) value.reset();
    return value;
}

bool hasValue(const SummaryRow& row, SummaryColumn column) {
    return columnInfo(column).kind != ColumnKind::number || numberOf(row, column).has_value();
}

// The column's own order of two values: negative when a's comes first, 0 when they
// are equal. Rows without a value come after the others.
int compareValues(const SummaryRow& a, const SummaryRow& b, SummaryColumn column) {
    if (columnInfo(column).kind != ColumnKind::number) {
        const int compared = summaryText(a, column).compare(summaryText(b, column));
        return compared < 0 ? -1 : compared > 0;
    }
    const std::optional<double> x = numberOf(a, column);
    const std::optional<double> y = numberOf(b, column);
    if (x.has_value() != y.has_value()) return x ? -1 : 1;
    if (!x || *x == *y) return 0;
    return *x > *y ? -1 : 1;
}

// The forward order turned round: the runs of equal values in the other order, each
// run keeping its order by path, the rows without a value still last.
std::vector<std::size_t> turned(const std::vector<SummaryRow>& rows, const std::vector<std::size_t>& forward,
                                SummaryColumn column) {
    std::size_t valued = forward.size();
    while (valued > 0 && !hasValue(rows[forward[valued - 1]], column)) --valued;
    std::vector<std::size_t> order;
    order.reserve(forward.size());
    for (std::size_t end = valued; end > 0;) {
        std::size_t start = end - 1;
        while (start > 0 && compareValues(rows[forward[start - 1]], rows[forward[end - 1]], column) == 0) --start;
        order.insert(order.end(), forward.begin() + static_cast<std::ptrdiff_t>(start),
                     forward.begin() + static_cast<std::ptrdiff_t>(end));
        end = start;
    }
    order.insert(order.end(), forward.begin() + static_cast<std::ptrdiff_t>(valued), forward.end());
    return order;
}

// The rows by path, then entry: the last word of every order.
std::vector<std::size_t> byPath(const std::vector<SummaryRow>& rows) {
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return rows[a].path != rows[b].path ? rows[a].path < rows[b].path : rows[a].entry < rows[b].entry;
    });
    return order;
}

// Each row's place in an order.
std::vector<std::size_t> placesIn(const std::vector<std::size_t>& order) {
    std::vector<std::size_t> places(order.size());
    for (std::size_t place = 0; place < order.size(); ++place) places[order[place]] = place;
    return places;
}

// summaryBefore's order, with each row's key taken once and equal keys settled by the
// place by path: the page's ranks sort every column of a large summary.
std::vector<std::size_t> forwardOrder(const std::vector<SummaryRow>& rows, SummaryColumn column,
                                      const std::vector<std::size_t>& pathOrder,
                                      const std::vector<std::size_t>& pathPlaces) {
    if (column == SummaryColumn::path) return pathOrder;
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    const auto sortBy = [&](const auto& keys) {
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return std::tie(keys[a], pathPlaces[a]) < std::tie(keys[b], pathPlaces[b]);
        });
    };
    if (columnInfo(column).kind == ColumnKind::number) {
        // (no value, the value negated): largest first, rows without one after all.
        std::vector<std::pair<bool, double>> keys(rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const std::optional<double> value = numberOf(rows[i], column);
            keys[i] = {!value, value ? -*value : 0.0};
        }
        sortBy(keys);
    } else {
        std::vector<std::string_view> keys(rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) keys[i] = summaryText(rows[i], column);
        sortBy(keys);
    }
    return order;
}

}  // namespace

const std::array<SummaryColumnInfo, summaryColumnCount>& summaryColumns() { return columns; }

std::vector<SummaryColumnInfo> summaryColumns(bool advised) {
    std::vector<SummaryColumnInfo> shown;
    for (const SummaryColumnInfo& info : columns) {
        if (info.shownIn(advised)) shown.push_back(info);
    }
    return shown;
}

const SummaryColumnInfo& columnInfo(SummaryColumn column) { return columns[static_cast<std::size_t>(column)]; }

SummaryColumn orderColumn(SummaryOrder order) {
    switch (order) {
    case SummaryOrder::path: return SummaryColumn::path;
    case SummaryOrder::level: return SummaryColumn::level;
    case SummaryOrder::estimate: return SummaryColumn::estimate;
    case SummaryOrder::difference: break;
    }
    return SummaryColumn::difference;
}

SummaryCells summaryCells(const SummaryRow& row) {
    SummaryCells cells;
    for (const SummaryColumnInfo& info : columns) {
        std::string& cell = cells[static_cast<std::size_t>(info.column)];
        switch (info.column) {
        case SummaryColumn::level: cell = std::to_string(row.level); break;
        case SummaryColumn::estimate: cell = optionalTwo(row.estimate); break;
        case SummaryColumn::difference: cell = optionalTwo(row.difference()); break;
        default: cell = oneLine(summaryText(row, info.column)); break;
        }
    }
    return cells;
}

SummaryCells summaryCells(const SummaryFailure& failure) {
    SummaryCells cells;
    cells[static_cast<std::size_t>(SummaryColumn::path)] = oneLine(failure.path);
    cells[static_cast<std::size_t>(SummaryColumn::error)] = oneLine(failure.message);
    cells[static_cast<std::size_t>(SummaryColumn::location)] = oneLine(locationText(failure));
    return cells;
}

SummaryTotalTexts summaryTotalTexts(const SummaryTotals& totals) {
    return {std::to_string(totals.read), std::to_string(totals.failed), optionalTwo(totals.meanAbsoluteDifference)};
}

bool summaryBefore(const SummaryRow& a, const SummaryRow& b, SummaryColumn column) {
    if (const int compared = compareValues(a, b, column)) return compared < 0;
    if (a.path != b.path) return a.path < b.path;
    return a.entry < b.entry;
}

std::vector<std::size_t> summaryOrder(const std::vector<SummaryRow>& rows, SummaryColumn column, bool reversed) {
    const std::vector<std::size_t> pathOrder = byPath(rows);
    std::vector<std::size_t> order = forwardOrder(rows, column, pathOrder, placesIn(pathOrder));
    return reversed ? turned(rows, order, column) : order;
}

std::vector<SummaryRanks> summaryRanks(const std::vector<SummaryRow>& rows) {
    std::vector<SummaryRanks> ranks(rows.size());
    const std::vector<std::size_t> pathOrder = byPath(rows);
    const std::vector<std::size_t> pathPlaces = placesIn(pathOrder);
    for (std::size_t c = 0; c < cardColumnCount; ++c) {
        const auto column = static_cast<SummaryColumn>(c);
        const std::vector<std::size_t> forward = forwardOrder(rows, column, pathOrder, pathPlaces);
        const std::vector<std::size_t> backward = turned(rows, forward, column);
        for (std::size_t place = 0; place < rows.size(); ++place) {
            ranks[forward[place]].places[c][0] = place;
            ranks[backward[place]].places[c][1] = place;
        }
    }
    return ranks;
}

}  // namespace Vantorn
