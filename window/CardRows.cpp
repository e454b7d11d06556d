#include "CardRows.hpp"

#include <algorithm>
#include <numeric>

#include "summary/Summary.hpp"
#include "text/Cp932.hpp"

namespace Mornstave {

namespace {

// The summary's cells as the list shows them: the path, held as UTF-8, and
// the core's CP932 texts in UTF-16.
std::array<std::u16string, kAdvisedColumns> shownCells(const Vantorn::SummaryCells& cells) {
    std::array<std::u16string, kAdvisedColumns> shown;
    for (int column = 0; column < kAdvisedColumns; ++column) {
        const std::string& cell = cells[static_cast<std::size_t>(kSummaryColumns[column])];
        shown[static_cast<std::size_t>(column)] =
            column == kPath ? Vantorn::utf8ToUtf16(cell) : Vantorn::cp932ToUtf16(cell);
    }
    return shown;
}

// Latin letters, also the fullwidth ones Japanese texts use, in one case.
std::u16string folded(std::u16string text) {
    for (char16_t& c : text) {
        if ((c >= u'A' && c <= u'Z') || (c >= 0xFF21 && c <= 0xFF3A)) c += 0x20;
    }
    return text;
}

const Vantorn::SummaryColumnInfo& infoOf(int column) {
    return Vantorn::columnInfo(kSummaryColumns[column]);
}

}  // namespace

std::vector<std::u16string> CardRows::headings(bool advised) {
    std::vector<std::u16string> headings;
    for (int column = 0; column < columns(advised); ++column) {
        headings.push_back(Vantorn::cp932ToUtf16(infoOf(column).heading));
    }
    return headings;
}

bool CardRows::isNumber(int column) {
    return column >= 0 && column < kAdvisedColumns && infoOf(column).kind == Vantorn::ColumnKind::number;
}

CardRows::CardRows(const Table& table, std::u16string_view published) : advised_(table.summary().advised()) {
    Vantorn::Summary summary = table.summary();
    summary.finish(Vantorn::SummaryOrder::difference);
    rows_ = summary.rows();
    const std::vector<std::size_t>& starts = table.starts();
    const auto startOf = [&](std::size_t entry) { return entry < starts.size() ? starts[entry] : 0; };
    for (const Vantorn::SummaryRow& row : rows_) {
        Item item;
        item.cells = shownCells(Vantorn::summaryCells(row));
        item.start = startOf(row.entry);
        items_.push_back(std::move(item));
    }
    for (const Vantorn::SummaryFailure& failure : summary.failures()) {
        Item item;
        item.cells = shownCells(Vantorn::summaryCells(failure));
        item.start = startOf(failure.entry);
        items_.push_back(std::move(item));
    }
    for (Item& item : items_) item.folded = folded(item.cells[kPath] + u'\n' + item.cells[kName]);
    place(published);
    order_.resize(items_.size());
    std::iota(order_.begin(), order_.end(), std::size_t{0});
    refilter();
}

const std::u16string& CardRows::cell(std::size_t row, int column) const {
    return items_[shown_[row]].cells[static_cast<std::size_t>(column)];
}

std::pair<std::size_t, std::size_t> CardRows::header(std::size_t row) const {
    const Item& item = items_[shown_[row]];
    return {item.headerStart, item.headerEnd};
}

// Publishing puts a CR before every LF, so a block starts later in the
// published text by the line feeds before it.  One walk over the text
// places every block.
void CardRows::place(std::u16string_view published) {
    std::vector<Item*> byStart;
    for (Item& item : items_) byStart.push_back(&item);
    std::sort(byStart.begin(), byStart.end(), [](const Item* a, const Item* b) { return a->start < b->start; });
    std::size_t at = 0;     // in the published text
    std::size_t shown = 0;  // the same place in the shown text
    for (Item* item : byStart) {
        for (; shown < item->start && at < published.size(); ++at) {
            // A CR right before an LF is publishing's own.
            if (!(published[at] == u'\r' && at + 1 < published.size() && published[at + 1] == u'\n')) ++shown;
        }
        item->headerStart = at;
        const std::size_t end = published.find(u"\r\n", at);
        item->headerEnd = end == std::u16string_view::npos ? published.size() : end;
    }
}

void CardRows::sortBy(int column) {
    if (column < 0 || column >= columns()) return;
    reversed_ = column == sortColumn_ && !reversed_;
    sortColumn_ = column;
    ascending_ = (infoOf(column).kind != Vantorn::ColumnKind::number) != reversed_;
    // The cards in the summary's order of the column; the failures, after
    // them, stay in the order read.
    order_ = Vantorn::summaryOrder(rows_, kSummaryColumns[column], reversed_);
    for (std::size_t failure = rows_.size(); failure < items_.size(); ++failure) order_.push_back(failure);
    refilter();
}

void CardRows::filter(const std::u16string& text) {
    filter_ = folded(text);
    refilter();
}

void CardRows::refilter() {
    shown_.clear();
    for (std::size_t index : order_) {
        if (filter_.empty() || items_[index].folded.find(filter_) != std::u16string::npos) {
            shown_.push_back(index);
        }
    }
}

}  // namespace Mornstave
