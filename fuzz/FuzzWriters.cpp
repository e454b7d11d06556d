// libFuzzer target: arbitrary bytes as the rows and failures of a summary, whose texts
// (paths, names, targets, effects, messages) are whatever a hostile card or file name
// may hold, through every writer of the summary and the conversions they use:
// - the text table, CP932 and UTF-8: bounded per byte of input, whatever a text holds;
// - the CSV, both encodings, guarded and raw: read back, the same rows and fields;
// - the JSON object: parses back (nlohmann-json) as valid UTF-8, with the same texts;
// - the HTML page: no tag but the page's own and a <pre> per block;
// - CP932 -> UTF-8 / UTF-16 and back: valid, consistent, bounded.
// A finding is a sanitizer report, a crash, or any check below failing (abort).

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "advice/Advice.hpp"
#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"
#include "json/JsonWriter.hpp"
#include "summary/SummaryWriters.hpp"
#include "text/Cp932.hpp"

namespace {

using namespace Vantorn;

// The input read front to back: numbers as raw bytes (zero past the end), texts up to
// a zero byte, which no card text or path holds.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ == size_; }
    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    template <class Number>
    Number number() {
        unsigned char bytes[sizeof(Number)] = {};
        for (unsigned char& b : bytes) b = byte();
        Number value;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }
    std::string text() {
        const std::size_t start = at_;
        while (at_ < size_ && data_[at_] != 0) ++at_;
        std::string result(reinterpret_cast<const char*>(data_ + start), at_ - start);
        if (at_ < size_) ++at_;
        return result;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// Every output stays within this many bytes per byte of input, plus the fixed text of
// headings, totals and the page template.
constexpr std::size_t maxOutputPerByte = 128;
constexpr std::size_t fixedOutput = 256 * 1024;

void check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "writer check failed: %s\n", what);
    std::abort();
}

void checkBounded(const std::string& output, std::size_t inputSize, const char* what) {
    check(output.size() <= maxOutputPerByte * inputSize + fixedOutput, what);
}

// RFC 4180 as a spreadsheet reads it: records of fields, quoted fields may hold
// anything, a quote inside doubled, records end in CR LF.
std::vector<std::vector<std::string>> readCsv(const std::string& text) {
    std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
    std::size_t i = 0;
    while (i < text.size()) {
        std::string& field = records.back().back();
        if (text[i] == '"' && field.empty()) {
            for (++i;; ++i) {
                check(i < text.size(), "CSV: quoted field not closed");
                if (text[i] != '"') {
                    field += text[i];
                } else if (i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
            check(i == text.size() || text[i] == ',' || text[i] == '\r', "CSV: text after a quoted field");
            continue;
        }
        if (text[i] == ',') {
            records.back().emplace_back();
            ++i;
        } else if (text[i] == '\r') {
            check(i + 1 < text.size() && text[i + 1] == '\n', "CSV: CR without LF");
            i += 2;
            if (i < text.size()) records.emplace_back(1);
        } else {
            check(text[i] != '\n' && text[i] != '"', "CSV: bare LF or quote in a plain field");
            field += text[i++];
        }
    }
    return records;
}

void checkCsv(const Summary& summary, const TextForm& form, CsvTexts texts, std::size_t inputSize) {
    std::ostringstream out;
    writeSummaryCsv(out, summary, form, texts);
    std::string text = out.str();
    checkBounded(text, inputSize, "CSV bounded");
    if (form.encoding == TextEncoding::utf8) {
        check(text.rfind("\xEF\xBB\xBF", 0) == 0, "CSV: byte-order mark");
        text.erase(0, 3);
    }
    const auto records = readCsv(text);
    const SummaryTotals& totals = summary.totals();
    const std::size_t expected = 1 + summary.rows().size() + summary.failures().size() + 4 +
                                 totals.furthestAbove.size() + totals.furthestBelow.size();
    check(records.size() == expected, "CSV: number of records");
    for (const auto& record : records) check(record.size() == 9, "CSV: fields per record");
    for (std::size_t i = 0; i < summary.rows().size(); ++i) {
        const SummaryRow& row = summary.rows()[i];
        const auto& record = records[1 + i];
        check(record[0] == csvText(form.path(row.path), texts), "CSV: path read back");
        check(record[1] == csvText(form.text(row.name), texts), "CSV: name read back");
        check(record[2] == std::to_string(row.level), "CSV: level read back");
        check(record[5] == csvText(form.text(row.target), texts), "CSV: target read back");
        check(record[6] == csvText(form.text(row.effects), texts), "CSV: effects read back");
        for (std::size_t column : {1, 5, 6}) {
            check(texts == CsvTexts::raw || record[column].empty() ||
                      std::string_view("=+-@\t\r").find(record[column][0]) == std::string_view::npos,
                  "CSV: a text cell begins like a formula");
        }
    }
}

void checkJson(const Summary& summary, std::size_t inputSize) {
    std::ostringstream out;
    {
        JsonWriter json(out);
        writeSummaryJson(json, summary);
    }
    checkBounded(out.str(), inputSize, "JSON bounded");
    check(isUtf8(out.str()), "JSON: valid UTF-8");
    const nlohmann::json document = nlohmann::json::parse(out.str());  // throws, and so aborts, when invalid
    check(document["rows"].size() == summary.rows().size(), "JSON: rows");
    for (std::size_t i = 0; i < summary.rows().size(); ++i) {
        const SummaryRow& row = summary.rows()[i];
        check(document["rows"][i]["name"] == cp932ToUtf8(row.name), "JSON: name read back");
        check(document["rows"][i]["effects"] == cp932ToUtf8(row.effects), "JSON: effects read back");
        if (isUtf8(row.path)) check(document["rows"][i]["path"] == row.path, "JSON: path read back");
    }
}

std::size_t countOf(const std::string& text, char c) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), c)); }

void checkPage(const Summary& summary, const std::vector<std::string>& blocks, std::size_t inputSize) {
    static const std::size_t pageTags = [] {
        std::ostringstream empty;
        Summary none;
        none.finish(SummaryOrder::path);
        SummaryPage(empty).finish(none);
        return countOf(empty.str(), '<');
    }();
    std::ostringstream out;
    SummaryPage page(out);
    for (const std::string& block : blocks) page.block(block);
    page.finish(summary);
    checkBounded(out.str(), inputSize, "HTML bounded");
    check(countOf(out.str(), '<') == pageTags + 2 * blocks.size(), "HTML: a tag made from a text");
}

void checkConversions(const std::string& text) {
    const std::string utf8 = cp932ToUtf8(text);
    check(isUtf8(utf8), "CP932 -> UTF-8 valid");
    check(utf8.size() <= 3 * text.size(), "CP932 -> UTF-8 bounded");
    check(utf16ToUtf8(cp932ToUtf16(text)) == utf8, "CP932 -> UTF-16 -> UTF-8 the same");
    bool exact = false;
    const std::string back = utf8ToCp932(utf8, &exact);
    check(back.size() <= text.size(), "UTF-8 -> CP932 bounded");
    if (exact) check(cp932ToUtf8(back) == utf8, "UTF-8 -> CP932 -> UTF-8 the same");
    // The bytes taken as UTF-8 as well, as a path is.
    check(isUtf8(utf16ToUtf8(utf8ToUtf16(text))), "UTF-8 -> UTF-16 -> UTF-8 valid");
    check(utf8ToCp932(text).size() <= text.size(), "UTF-8 -> CP932 bounded");
}

// A card made of the input's numbers, as any card read whole may be: the advice on it
// must end, hold one to three changes each, and state a finite estimate.
void checkAdvice(Input& input) {
    SkillCard card;
    card.targetType = input.byte() % 5;
    card.targetsAll = input.byte() & 1;
    card.unusableWhenSilenced = input.byte() & 1;
    card.effectAttribute = input.byte() % 4;
    card.successModifier = input.byte() % 21 - 10;
    for (std::int32_t& bonus : card.bonuses) bonus = input.number<std::int32_t>();
    card.cardLevel = input.number<std::int32_t>() & 0x7FFFFFFF;
    for (std::uint8_t count = input.byte() % 8; count > 0; --count) {
        Motion motion;
        motion.category = input.byte() % 8;
        motion.subType = input.byte();
        motion.attr = input.byte();
        motion.valueType = static_cast<ValueType>(input.byte() % 3);
        motion.value = input.number<std::int32_t>();
        motion.rounds = input.number<std::int32_t>() & 0x7FFFFFFF;
        card.motions.push_back(motion);
    }
    const LevelEstimate estimate = estimateLevel(card);
    for (const Advice& advice : adviseOn(card, estimate)) {
        check(!advice.changes.empty() && advice.changes.size() <= 3, "advice holds one to three changes");
        check(std::isfinite(advice.estimate), "advice states a finite estimate");
        check(!advice.text.empty(), "advice has its sentence");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Entries until the input ends: a kind byte (bit 0: a failure, bit 1: an
    // estimate, bit 2: a card for the advice), then the entry's numbers and texts.
    Input input(data, size);
    const auto order = static_cast<SummaryOrder>(input.byte() % 4);
    Summary summary;
    std::vector<std::string> blocks;
    for (std::size_t entry = 0; !input.empty(); ++entry) {
        const std::uint8_t kind = input.byte();
        if (kind & 1) {
            SummaryFailure failure;
            failure.entry = entry;
            failure.path = input.text();
            failure.message = input.text();
            summary.add(std::move(failure));
            continue;
        }
        if (kind & 4) {
            checkAdvice(input);
            continue;
        }
        SummaryRow row;
        row.entry = entry;
        row.level = input.number<std::int32_t>();
        if (kind & 2) {
            const double estimate = input.number<double>();
            row.estimate = std::isfinite(estimate) ? estimate : 0.0;  // the estimators' are finite
        }
        row.path = input.text();
        row.name = input.text();
        row.target = input.text();
        row.effects = input.text();
        checkConversions(row.name);
        blocks.push_back(cp932ToUtf8(row.name + "\n" + row.effects));
        summary.add(std::move(row));
    }
    summary.finish(order);

    for (TextEncoding encoding : {TextEncoding::cp932, TextEncoding::utf8}) {
        const TextForm form{encoding, encoding == TextEncoding::utf8, false};
        std::ostringstream table;
        writeSummaryText(table, summary, form);
        checkBounded(table.str(), size, "text table bounded");
        for (CsvTexts texts : {CsvTexts::guarded, CsvTexts::raw}) checkCsv(summary, form, texts, size);
    }
    checkJson(summary, size);
    checkPage(summary, blocks, size);
    return 0;
}
