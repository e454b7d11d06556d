#include "summary/Summary.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <sstream>

#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"
#include "format/Hex.hpp"
#include "report/Report.hpp"
#include "summary/SummaryCells.hpp"

namespace Vantorn {
namespace {

constexpr std::array<const char*, 4> orderNames = {"path", "level", "estimate", "difference"};

// The positions of the rows whose difference has the given sign, furthest first.
std::vector<std::size_t> furthest(const std::vector<SummaryRow>& rows, double sign) {
    std::vector<std::size_t> positions;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::optional<double> difference = rows[i].difference();
        if (difference && *difference * sign > 0) positions.push_back(i);
    }
    const auto further = [&](std::size_t a, std::size_t b) {
        const double da = *rows[a].difference() * sign;
        const double db = *rows[b].difference() * sign;
        return da != db ? da > db : a < b;
    };
    const std::size_t kept = std::min(positions.size(), furthestCount);
    std::partial_sort(positions.begin(), positions.begin() + static_cast<std::ptrdiff_t>(kept), positions.end(),
                      further);
    positions.resize(kept);
    return positions;
}

}  // namespace

std::optional<double> SummaryRow::difference() const {
    if (!estimate) return std::nullopt;
    return *estimate - level;
}

SummaryRow summaryRow(std::size_t entry, std::string path, const SkillCard& card, const LevelEstimate& estimate) {
    SummaryRow row;
    row.entry = entry;
    row.path = std::move(path);
    row.name = card.name;
    row.level = card.cardLevel;
    row.estimate = estimate.level;
    row.target = targetText(card);
    std::ostringstream effects;
    for (const Motion& motion : card.motions) {
        if (&motion != &card.motions.front()) effects << " / ";
        writeMotion(effects, motion);
    }
    row.effects = effects.str();
    return row;
}

const char* summaryOrderName(SummaryOrder order) { return orderNames[static_cast<std::size_t>(order)]; }

bool summaryOrderNamed(std::string_view name, SummaryOrder& order) {
    for (std::size_t i = 0; i < orderNames.size(); ++i) {
        if (name == orderNames[i]) {
            order = static_cast<SummaryOrder>(i);
            return true;
        }
    }
    return false;
}

void Summary::finish(SummaryOrder order) {
    order_ = order;
    const SummaryColumn column = orderColumn(order);
    std::sort(rows_.begin(), rows_.end(),
              [column](const SummaryRow& a, const SummaryRow& b) { return summaryBefore(a, b, column); });
    totals_ = {};
    totals_.read = rows_.size();
    totals_.failed = failures_.size();
    double sum = 0;
    std::size_t count = 0;
    for (const SummaryRow& row : rows_) {
        if (const std::optional<double> difference = row.difference()) {
            sum += std::fabs(*difference);
            ++count;
        }
    }
    if (count > 0) totals_.meanAbsoluteDifference = sum / static_cast<double>(count);
    totals_.furthestAbove = furthest(rows_, -1);
    totals_.furthestBelow = furthest(rows_, +1);
}

std::string locationText(const SummaryFailure& failure) {
    if (!failure.location) return {};
    const ReadLocation& at = *failure.location;
    return "0x" + hex(at.offset, 8) + ", " + at.path + " (found " + at.found + ", allowed " + at.allowed + ")";
}

}  // namespace Vantorn
