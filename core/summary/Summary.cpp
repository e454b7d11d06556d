#include "summary/Summary.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <sstream>

#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"
#include "format/Hex.hpp"
#include "report/Report.hpp"

namespace Vantorn {
namespace {

constexpr std::array<const char*, 4> orderNames = {"path", "level", "estimate", "difference"};

// Largest first, rows without a value last.
bool largerFirst(const std::optional<double>& a, const std::optional<double>& b, bool& decided) {
    decided = true;
    if (a && b && *a != *b) return *a > *b;
    if (a.has_value() != b.has_value()) return a.has_value();
    decided = false;
    return false;
}

std::optional<double> absolute(const std::optional<double>& value) {
    if (!value) return std::nullopt;
    return std::fabs(*value);
}

bool before(const SummaryRow& a, const SummaryRow& b, SummaryOrder order) {
    bool decided = false;
    bool result = false;
    switch (order) {
    case SummaryOrder::path: break;
    case SummaryOrder::level: result = largerFirst(double(a.level), double(b.level), decided); break;
    case SummaryOrder::estimate: result = largerFirst(a.estimate, b.estimate, decided); break;
    case SummaryOrder::difference:
        result = largerFirst(absolute(a.difference()), absolute(b.difference()), decided);
        break;
    }
    if (decided) return result;
    if (a.path != b.path) return a.path < b.path;
    return a.entry < b.entry;
}

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
    std::sort(rows_.begin(), rows_.end(),
              [order](const SummaryRow& a, const SummaryRow& b) { return before(a, b, order); });
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

std::string twoDecimals(double value) {
    std::array<char, 400> digits;  // a double's largest integral part has 309 digits
    const auto written =
        std::to_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::fixed, 2);
    std::string text(digits.data(), written.ptr);
    if (text == "-0.00") text.erase(0, 1);
    return text;
}

}  // namespace Vantorn
