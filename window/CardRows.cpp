#include "CardRows.hpp"

#include <algorithm>
#include <numeric>

#include "summary/Summary.hpp"
#include "summary/SummaryWriters.hpp"
#include "text/Cp932.hpp"

namespace Mornstave {

namespace {

// A line break or TAB inside a card's text would break the row's line.
std::u16string oneLine(std::u16string text) {
    std::replace_if(text.begin(), text.end(), [](char16_t c) { return c < 0x20; }, u' ');
    return text;
}

std::u16string cp932Cell(const std::string& cp932) {
    return oneLine(Vantorn::cp932ToUtf16(cp932));
}

std::u16string twoDecimals(const std::optional<double>& value) {
    if (!value) return u"";
    const std::string text = Vantorn::twoDecimals(*value);
    return std::u16string(text.begin(), text.end());
}

// Latin letters, also the fullwidth ones Japanese texts use, in one case.
std::u16string folded(std::u16string text) {
    for (char16_t& c : text) {
        if ((c >= u'A' && c <= u'Z') || (c >= 0xFF21 && c <= 0xFF3A)) c += 0x20;
    }
    return text;
}

bool isNumber(int column) {
    return column == kLevel || column == kEstimate || column == kDifference;
}

}  // namespace

std::vector<std::u16string> CardRows::headings() {
    std::vector<std::u16string> headings;
    for (const std::string& heading : Vantorn::summaryCsvHeadings()) headings.push_back(Vantorn::cp932ToUtf16(heading));
    return headings;
}

CardRows::CardRows(const Table& table, std::u16string_view published) {
    Vantorn::Summary summary = table.summary();
    summary.finish(Vantorn::SummaryOrder::difference);
    const std::vector<std::size_t>& starts = table.starts();
    const auto startOf = [&](std::size_t entry) { return entry < starts.size() ? starts[entry] : 0; };
    for (const Vantorn::SummaryRow& row : summary.rows()) {
        Item item;
        item.cells = {oneLine(Vantorn::utf8ToUtf16(row.path)), cp932Cell(row.name),
                      twoDecimals(std::nullopt), twoDecimals(row.estimate), twoDecimals(row.difference()),
                      cp932Cell(row.target), cp932Cell(row.effects), u"", u""};
        const std::string level = std::to_string(row.level);
        item.cells[kLevel].assign(level.begin(), level.end());
        item.level = row.level;
        item.estimate = row.estimate;
        item.difference = row.difference();
        item.start = startOf(row.entry);
        items_.push_back(std::move(item));
    }
    for (const Vantorn::SummaryFailure& failure : summary.failures()) {
        Item item;
        item.cells[kPath] = oneLine(Vantorn::utf8ToUtf16(failure.path));
        item.cells[kError] = cp932Cell(failure.message);
        item.cells[kPlace] = cp932Cell(Vantorn::locationText(failure));
        item.failure = true;
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

bool CardRows::before(const Item& a, const Item& b) const {
    if (a.failure || b.failure) return !a.failure && b.failure;  // failures keep their order
    const auto byNumber = [&](const std::optional<double>& x, const std::optional<double>& y) {
        // Missing values last, whichever the direction.
        if (x.has_value() != y.has_value()) return x.has_value() ? -1 : 1;
        if (!x || *x == *y) return 0;
        return (*x < *y) == ascending_ ? -1 : 1;
    };
    int order = 0;
    switch (sortColumn_) {
    case kLevel: order = byNumber(a.level, b.level); break;
    case kEstimate: order = byNumber(a.estimate, b.estimate); break;
    case kDifference: order = byNumber(a.difference, b.difference); break;
    default: {
        const int compared = a.cells[static_cast<std::size_t>(sortColumn_)].compare(
            b.cells[static_cast<std::size_t>(sortColumn_)]);
        order = compared == 0 ? 0 : ((compared < 0) == ascending_ ? -1 : 1);
    }
    }
    if (order != 0) return order < 0;
    return a.cells[kPath] < b.cells[kPath];
}

void CardRows::sortBy(int column) {
    if (column < 0 || column >= kCardColumns) return;
    ascending_ = column == sortColumn_ ? !ascending_ : !isNumber(column);
    sortColumn_ = column;
    std::stable_sort(order_.begin(), order_.end(),
                     [&](std::size_t a, std::size_t b) { return before(items_[a], items_[b]); });
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
