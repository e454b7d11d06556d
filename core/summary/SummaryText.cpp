// The summary as an aligned table for a terminal, and as CSV.

#include <algorithm>
#include <array>
#include <ostream>

#include "summary/CsvText.hpp"
#include "summary/SummaryWriters.hpp"
#include "summary/TextFit.hpp"

namespace Vantorn {
namespace {

// Labels are CP932, like every text of the core.
constexpr std::size_t columnCount = 7;
constexpr std::array<const char*, columnCount> headings = {"パス", "名称", "技能Lv", "推定Lv", "差", "目標", "効果"};
constexpr const char* errorHeading = "エラー";
constexpr const char* locationHeading = "場所";
constexpr const char* readLabel = "読み込み";
constexpr const char* failedLabel = "失敗";
constexpr const char* meanLabel = "差の絶対値の平均";
constexpr const char* aboveLabel = "技能Lvが推定より高い";
constexpr const char* belowLabel = "技能Lvが推定より低い";
constexpr const char* failuresLabel = "読めなかったもの";
constexpr const char* cardsUnit = "枚";

std::string optionalTwo(const std::optional<double>& value) { return value ? twoDecimals(*value) : ""; }

// One row's fields in the form's encoding.
std::array<std::string, columnCount> fields(const SummaryRow& row, const TextForm& form) {
    return {form.path(row.path), form.text(row.name), std::to_string(row.level), optionalTwo(row.estimate),
            optionalTwo(row.difference()), form.text(row.target), form.text(row.effects)};
}

bool isNumeric(std::size_t column) { return column >= 2 && column <= 4; }

// The most display columns a text column of the table takes (0: never cut). Wide
// enough for the names, targets and effects of ordinary cards; a longer text is cut
// and ends in "…", so that one card cannot widen every row of the table. Paths are
// the user's own, bounded by the system, and keep the file's name at their end.
constexpr std::array<std::size_t, columnCount> widestText = {0, 40, 0, 0, 0, 24, 160};
constexpr std::size_t pathColumn = 0;
constexpr std::size_t nameColumn = 1;

// A field as the table shows it: on one line, control characters visible, and within
// its column's width.
std::string tableText(const std::string& text, std::size_t column, TextEncoding encoding) {
    return fitWidth(text, widestText[column], encoding);
}

// A count of cards as the table's totals say it: "7枚".
std::string countText(std::size_t count, const TextForm& form) {
    return std::to_string(count) + form.text(cardsUnit);
}

// --- CSV

void csvField(std::ostream& out, const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        out << field;
        return;
    }
    out << '"';
    for (char c : field) {
        if (c == '"') out << '"';
        out << c;
    }
    out << '"';
}

// One CSV record padded to the header's width: the columns, the error and its place.
void csvRecord(std::ostream& out, const std::vector<std::string>& record) {
    for (std::size_t i = 0; i < columnCount + 2; ++i) {
        if (i > 0) out << ',';
        if (i < record.size()) csvField(out, record[i]);
    }
    out << "\r\n";
}

}  // namespace

void writeSummaryText(std::ostream& out, const Summary& summary, const TextForm& form) {
    using Cells = std::array<std::string, columnCount>;
    Cells header;
    for (std::size_t i = 0; i < columnCount; ++i) header[i] = form.text(headings[i]);
    const auto cellsOf = [&](const SummaryRow& row) {
        Cells cells = fields(row, form);
        for (std::size_t i = 0; i < columnCount; ++i) cells[i] = tableText(cells[i], i, form.encoding);
        return cells;
    };
    // The cells are made twice, once to measure and once to write, rather than held:
    // memory stays with the rows.
    std::array<std::size_t, columnCount> widths{};
    const auto measure = [&](const Cells& cells) {
        for (std::size_t i = 0; i < columnCount; ++i) {
            widths[i] = std::max(widths[i], displayWidth(cells[i], form.encoding));
        }
    };
    measure(header);
    for (const SummaryRow& row : summary.rows()) measure(cellsOf(row));
    std::string line;
    const auto write = [&](const Cells& cells) {
        line.clear();
        for (std::size_t i = 0; i < columnCount; ++i) {
            const std::string blanks(widths[i] - displayWidth(cells[i], form.encoding), ' ');
            if (i > 0) line += "  ";
            line += isNumeric(i) ? blanks + cells[i] : cells[i] + blanks;
        }
        line.erase(line.find_last_not_of(' ') + 1);  // no trailing blanks
        out << line << '\n';
    };
    write(header);
    for (const SummaryRow& row : summary.rows()) write(cellsOf(row));

    if (!summary.failures().empty()) {
        out << '\n' << form.text(failuresLabel) << ":\n";
        for (const SummaryFailure& failure : summary.failures()) {
            out << "  " << tableText(form.path(failure.path), pathColumn, form.encoding) << ": "
                << form.text(failure.message);
            if (failure.location) out << " (" << fitWidth(form.text(locationText(failure)), 0, form.encoding) << ')';
            out << '\n';
        }
    }

    const SummaryTotals& totals = summary.totals();
    out << '\n' << form.text(readLabel) << ": " << countText(totals.read, form) << "  " << form.text(failedLabel)
        << ": " << countText(totals.failed, form) << "  " << form.text(meanLabel) << ": "
        << optionalTwo(totals.meanAbsoluteDifference) << '\n';
    const auto listed = [&](const char* label, const std::vector<std::size_t>& positions) {
        if (positions.empty()) return;
        out << form.text(label) << ":\n";
        for (std::size_t position : positions) {
            const SummaryRow& row = summary.rows()[position];
            out << "  " << optionalTwo(row.difference()) << "  "
                << tableText(form.path(row.path), pathColumn, form.encoding) << "  "
                << tableText(form.text(row.name), nameColumn, form.encoding) << '\n';
        }
    };
    listed(aboveLabel, totals.furthestAbove);
    listed(belowLabel, totals.furthestBelow);
}

std::vector<std::string> summaryCsvHeadings() {
    std::vector<std::string> all(headings.begin(), headings.end());
    all.push_back(errorHeading);
    all.push_back(locationHeading);
    return all;
}

void writeSummaryCsv(std::ostream& out, const Summary& summary, const TextForm& form, CsvTexts texts) {
    const auto text = [texts](std::string cell) { return csvText(std::move(cell), texts); };
    if (form.encoding == TextEncoding::utf8) out << "\xEF\xBB\xBF";
    std::vector<std::string> record;
    for (const std::string& heading : summaryCsvHeadings()) record.push_back(form.text(heading));
    csvRecord(out, record);
    for (const SummaryRow& row : summary.rows()) {
        auto cells = fields(row, form);
        for (std::size_t i = 0; i < columnCount; ++i) {
            if (!isNumeric(i)) cells[i] = text(std::move(cells[i]));
        }
        csvRecord(out, {cells.begin(), cells.end()});
    }
    for (const SummaryFailure& failure : summary.failures()) {
        record.assign(columnCount + 2, "");
        record.front() = text(form.path(failure.path));
        record[columnCount] = text(form.text(failure.message));
        record.back() = text(form.text(locationText(failure)));
        csvRecord(out, record);
    }
    const SummaryTotals& totals = summary.totals();
    csvRecord(out, {});
    csvRecord(out, {form.text(readLabel), std::to_string(totals.read)});
    csvRecord(out, {form.text(failedLabel), std::to_string(totals.failed)});
    csvRecord(out, {form.text(meanLabel), optionalTwo(totals.meanAbsoluteDifference)});
    const auto listed = [&](const char* label, const std::vector<std::size_t>& positions) {
        for (std::size_t position : positions) {
            const SummaryRow& row = summary.rows()[position];
            csvRecord(out, {form.text(label), text(form.path(row.path)), text(form.text(row.name)),
                            optionalTwo(row.difference())});
        }
    };
    listed(aboveLabel, totals.furthestAbove);
    listed(belowLabel, totals.furthestBelow);
}

}  // namespace Vantorn
