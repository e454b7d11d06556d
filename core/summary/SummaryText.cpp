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
constexpr const char* readLabel = "読み込み";
constexpr const char* failedLabel = "失敗";
constexpr const char* meanLabel = "差の絶対値の平均";
constexpr const char* aboveLabel = "技能Lvが推定より高い";
constexpr const char* belowLabel = "技能Lvが推定より低い";
constexpr const char* failuresLabel = "読めなかったもの";
constexpr const char* cardsUnit = "枚";

constexpr std::size_t pathColumn = static_cast<std::size_t>(SummaryColumn::path);
constexpr std::size_t nameColumn = static_cast<std::size_t>(SummaryColumn::name);
constexpr std::size_t differenceColumn = static_cast<std::size_t>(SummaryColumn::difference);
constexpr std::size_t errorColumn = static_cast<std::size_t>(SummaryColumn::error);
constexpr std::size_t locationColumn = static_cast<std::size_t>(SummaryColumn::location);

bool isNumeric(std::size_t column) { return summaryColumns()[column].kind == ColumnKind::number; }

// A cell in the form's encoding: the path as the form writes paths, the rest as texts
// (the numbers' digits are the same in both).
std::string formCell(const SummaryCells& cells, std::size_t column, const TextForm& form) {
    return column == pathColumn ? form.path(cells[column]) : form.text(cells[column]);
}

// A cell as the table shows it: on one line, control characters visible in the output's
// encoding, and within its column's width (0: never cut).
std::string tableText(const SummaryCells& cells, std::size_t column, const TextForm& form) {
    return fitWidth(formCell(cells, column, form), summaryColumns()[column].widest, form.encoding);
}

// A count of cards as the table's totals say it: "7枚".
std::string countText(const std::string& count, const TextForm& form) { return count + form.text(cardsUnit); }

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
void csvRecord(std::ostream& out, const std::vector<std::string>& record, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) {
        if (i > 0) out << ',';
        if (i < record.size()) csvField(out, record[i]);
    }
    out << "\r\n";
}

// The first `count` columns that a summary shows, by their place among every column.
std::vector<std::size_t> shownColumns(const Summary& summary, std::size_t count) {
    std::vector<std::size_t> shown;
    for (std::size_t i = 0; i < count; ++i) {
        if (summaryColumns()[i].shownIn(summary.advised())) shown.push_back(i);
    }
    return shown;
}

}  // namespace

void writeSummaryText(std::ostream& out, const Summary& summary, const TextForm& form) {
    const std::vector<std::size_t> columns = shownColumns(summary, cardColumnCount);
    using Cells = std::vector<std::string>;
    Cells header;
    for (std::size_t column : columns) header.push_back(form.text(summaryColumns()[column].heading));
    const auto cellsOf = [&](const SummaryRow& row) {
        const SummaryCells cells = summaryCells(row);
        Cells shown;
        for (std::size_t column : columns) shown.push_back(tableText(cells, column, form));
        return shown;
    };
    // The cells are made twice, once to measure and once to write, rather than held:
    // memory stays with the rows.
    std::vector<std::size_t> widths(columns.size(), 0);
    const auto measure = [&](const Cells& cells) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            widths[i] = std::max(widths[i], displayWidth(cells[i], form.encoding));
        }
    };
    measure(header);
    for (const SummaryRow& row : summary.rows()) measure(cellsOf(row));
    std::string line;
    const auto write = [&](const Cells& cells) {
        line.clear();
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const std::string blanks(widths[i] - displayWidth(cells[i], form.encoding), ' ');
            if (i > 0) line += "  ";
            line += isNumeric(columns[i]) ? blanks + cells[i] : cells[i] + blanks;
        }
        line.erase(line.find_last_not_of(' ') + 1);  // no trailing blanks
        out << line << '\n';
    };
    write(header);
    for (const SummaryRow& row : summary.rows()) write(cellsOf(row));

    if (!summary.failures().empty()) {
        out << '\n' << form.text(failuresLabel) << ":\n";
        for (const SummaryFailure& failure : summary.failures()) {
            const SummaryCells cells = summaryCells(failure);
            out << "  " << tableText(cells, pathColumn, form) << ": " << formCell(cells, errorColumn, form);
            if (failure.location) out << " (" << formCell(cells, locationColumn, form) << ')';
            out << '\n';
        }
    }

    const SummaryTotals& totals = summary.totals();
    const SummaryTotalTexts totalTexts = summaryTotalTexts(totals);
    out << '\n' << form.text(readLabel) << ": " << countText(totalTexts.read, form) << "  " << form.text(failedLabel)
        << ": " << countText(totalTexts.failed, form) << "  " << form.text(meanLabel) << ": "
        << totalTexts.meanAbsoluteDifference << '\n';
    const auto listed = [&](const char* label, const std::vector<std::size_t>& positions) {
        if (positions.empty()) return;
        out << form.text(label) << ":\n";
        for (std::size_t position : positions) {
            const SummaryCells cells = summaryCells(summary.rows()[position]);
            out << "  " << cells[differenceColumn] << "  " << tableText(cells, pathColumn, form) << "  "
                << tableText(cells, nameColumn, form) << '\n';
        }
    };
    listed(aboveLabel, totals.furthestAbove);
    listed(belowLabel, totals.furthestBelow);
}

void writeSummaryCsv(std::ostream& out, const Summary& summary, const TextForm& form, CsvTexts texts) {
    const auto text = [texts](std::string cell) { return csvText(std::move(cell), texts); };
    if (form.encoding == TextEncoding::utf8) out << "\xEF\xBB\xBF";
    // Records are made with every column, then written with the summary's own.
    const std::vector<std::size_t> columns = shownColumns(summary, summaryColumnCount);
    const std::size_t width = columns.size();
    std::vector<std::string> record;
    const auto writeColumns = [&](const std::vector<std::string>& all) {
        record.clear();
        for (std::size_t column : columns) record.push_back(all[column]);
        csvRecord(out, record, width);
    };
    std::vector<std::string> all;
    for (const SummaryColumnInfo& info : summaryColumns()) all.push_back(form.text(info.heading));
    writeColumns(all);
    // A CSV field holds a line break as it is: the texts go whole, the numbers as the
    // cells write them.
    for (const SummaryRow& row : summary.rows()) {
        const SummaryCells cells = summaryCells(row);
        all.assign(summaryColumnCount, "");
        for (std::size_t i = 0; i < cardColumnCount; ++i) {
            const auto column = static_cast<SummaryColumn>(i);
            if (isNumeric(i)) {
                all[i] = cells[i];
            } else {
                const std::string_view whole = summaryText(row, column);
                all[i] = text(i == pathColumn ? form.path(std::string(whole)) : form.text(whole));
            }
        }
        writeColumns(all);
    }
    for (const SummaryFailure& failure : summary.failures()) {
        all.assign(summaryColumnCount, "");
        all[pathColumn] = text(form.path(failure.path));
        all[errorColumn] = text(form.text(failure.message));
        all[locationColumn] = text(form.text(locationText(failure)));
        writeColumns(all);
    }
    const SummaryTotals& totals = summary.totals();
    const SummaryTotalTexts totalTexts = summaryTotalTexts(totals);
    csvRecord(out, {}, width);
    csvRecord(out, {form.text(readLabel), totalTexts.read}, width);
    csvRecord(out, {form.text(failedLabel), totalTexts.failed}, width);
    csvRecord(out, {form.text(meanLabel), totalTexts.meanAbsoluteDifference}, width);
    const auto listed = [&](const char* label, const std::vector<std::size_t>& positions) {
        for (std::size_t position : positions) {
            const SummaryRow& row = summary.rows()[position];
            csvRecord(out, {form.text(label), text(form.path(row.path)), text(form.text(row.name)),
                            summaryCells(row)[differenceColumn]},
                      width);
        }
    };
    listed(aboveLabel, totals.furthestAbove);
    listed(belowLabel, totals.furthestBelow);
}

}  // namespace Vantorn
