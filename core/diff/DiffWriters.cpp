#include "diff/DiffWriters.hpp"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <sstream>
#include <string>

#include "json/CardJson.hpp"
#include "json/JsonWriter.hpp"
#include "summary/Summary.hpp"
#include "summary/SummaryWriters.hpp"
#include "text/Cp932.hpp"

namespace Vantorn {
namespace {

constexpr const char* arrow = " → ";

std::string levelText(const std::optional<std::int32_t>& level) { return level ? std::to_string(*level) : "-"; }
std::string estimateText(const std::optional<double>& estimate) { return estimate ? twoDecimals(*estimate) : "-"; }
std::string moveText(double move) { return (move >= 0 ? "+" : "") + twoDecimals(move); }

std::string valueText(const std::optional<std::string>& value, const std::string& meaning) {
    if (!value) return {};
    return meaning.empty() ? *value : *value + " (" + meaning + ')';
}

// The failure as the listing's last line says it.
std::string failureText(const ListingStop& stop) {
    std::ostringstream out;
    ListingEnd end;
    end.stop = stop;
    writeListingEnd(out, end);
    std::string text = out.str();
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

// The lines of a pair below its header, each without its line end (CP932).
std::vector<std::string> detailLines(const CardDiff& diff) {
    std::vector<std::string> lines;
    const DiffSide& o = diff.oldSide;
    const DiffSide& n = diff.newSide;
    switch (diff.status) {
    case DiffStatus::unchanged: break;
    case DiffStatus::added:
    case DiffStatus::removed: {
        const DiffSide& side = diff.status == DiffStatus::added ? n : o;
        if (side.failure) {
            lines.push_back(failureText(*side.failure));
        } else {
            lines.push_back("技能Lv: " + levelText(side.level));
            lines.push_back("推定Lv: " + estimateText(side.estimate));
        }
        break;
    }
    case DiffStatus::unreadable:
        lines.push_back("旧: " + (o.failure ? failureText(*o.failure) : std::string("読込可")));
        lines.push_back("新: " + (n.failure ? failureText(*n.failure) : std::string("読込可")));
        break;
    case DiffStatus::changed: {
        lines.push_back("技能Lv: " + levelText(o.level) + arrow + levelText(n.level));
        std::string estimate = "推定Lv: " + estimateText(o.estimate) + arrow + estimateText(n.estimate);
        if (const auto move = diff.move()) estimate += " (" + moveText(*move) + ')';
        lines.push_back(estimate);
        for (const FieldChange& change : diff.changes) {
            if (!change.oldValue) {
                lines.push_back(change.field + ": 追加 " + valueText(change.newValue, change.newMeaning));
            } else if (!change.newValue) {
                lines.push_back(change.field + ": 削除 " + valueText(change.oldValue, change.oldMeaning));
            } else {
                lines.push_back(change.field + ": " + valueText(change.oldValue, change.oldMeaning) + arrow +
                                valueText(change.newValue, change.newMeaning));
            }
        }
        break;
    }
    }
    return lines;
}

// {"old", "new"}, null for a side without the value.
template <class Number>
void writeSide(JsonWriter& json, const char* key, const std::optional<Number>& oldValue,
               const std::optional<Number>& newValue) {
    json.key(key);
    json.beginObject();
    json.key("old");
    oldValue ? json.value(*oldValue) : json.null();
    json.key("new");
    newValue ? json.value(*newValue) : json.null();
    json.endObject();
}

void optionalText(JsonWriter& json, const std::optional<std::string>& text) {
    text ? json.cp932(*text) : json.null();
}

void failureJson(JsonWriter& json, const DiffSide& side) {
    if (!side.failure) {
        json.null();
        return;
    }
    json.beginObject();
    json.key("error");
    json.cp932(side.failure->message);
    if (side.failure->location) writeLocationJson(json, *side.failure->location);
    json.endObject();
}

void html(std::ostream& out, std::string_view utf8) {
    for (const char c : utf8) {
        switch (c) {
        case '&': out << "&amp;"; break;
        case '<': out << "&lt;"; break;
        case '>': out << "&gt;"; break;
        case '"': out << "&quot;"; break;
        default: out << c;
        }
    }
}
void htmlCp932(std::ostream& out, std::string_view cp932) { html(out, cp932ToUtf8(cp932)); }

// Changed cards first, furthest moved first; then added, removed, unreadable,
// unchanged; ties by path.
int rank(DiffStatus status) {
    switch (status) {
    case DiffStatus::changed: return 0;
    case DiffStatus::added: return 1;
    case DiffStatus::removed: return 2;
    case DiffStatus::unreadable: return 3;
    case DiffStatus::unchanged: return 4;
    }
    return 5;
}

std::string totalsText(const DiffTotals& totals) {
    return "変更 " + std::to_string(totals.of(DiffStatus::changed)) + ", 追加 " +
           std::to_string(totals.of(DiffStatus::added)) + ", 削除 " + std::to_string(totals.of(DiffStatus::removed)) +
           ", 読込失敗 " + std::to_string(totals.of(DiffStatus::unreadable)) + ", 変更なし " +
           std::to_string(totals.of(DiffStatus::unchanged));
}

// A path as given, as UTF-8 for the page: other bytes become U+FFFD.
std::string utf8Path(const std::string& path) { return isUtf8(path) ? path : utf16ToUtf8(utf8ToUtf16(path)); }

}  // namespace

bool DiffTotals::differ() const {
    return of(DiffStatus::added) + of(DiffStatus::removed) + of(DiffStatus::changed) + of(DiffStatus::unreadable) != 0;
}

void writeDiffText(std::ostream& out, const CardDiff& diff, const TextForm& form) {
    out << '[' << form.path(diff.path) << "] " << form.text(diffStatusWord(diff.status)) << '\n';
    for (const std::string& line : detailLines(diff)) out << form.text(line) << '\n';
    out << '\n';
}

void writeDiffTotalsText(std::ostream& out, const DiffTotals& totals, const TextForm& form) {
    out << form.text(totalsText(totals)) << '\n';
}

void writeDiffJson(JsonWriter& json, const CardDiff& diff) {
    json.beginObject();
    json.member("path", diff.path);
    json.member("status", diffStatusName(diff.status));
    if (diff.status != DiffStatus::unchanged) {
        writeSide(json, "level", diff.oldSide.level, diff.newSide.level);
        writeSide(json, "estimate", diff.oldSide.estimate, diff.newSide.estimate);
        json.key("move");
        const auto move = diff.move();
        move ? json.value(*move) : json.null();
    }
    if (diff.status == DiffStatus::changed) {
        json.key("changes");
        json.beginArray();
        for (const FieldChange& change : diff.changes) {
            json.beginObject();
            json.key("field");
            json.cp932(change.field);
            json.key("old");
            optionalText(json, change.oldValue);
            json.key("new");
            optionalText(json, change.newValue);
            json.key("oldMeaning");
            optionalText(json, change.oldMeaning.empty() ? std::nullopt : std::optional<std::string>(change.oldMeaning));
            json.key("newMeaning");
            optionalText(json, change.newMeaning.empty() ? std::nullopt : std::optional<std::string>(change.newMeaning));
            json.endObject();
        }
        json.endArray();
    }
    if (diff.oldSide.failure || diff.newSide.failure) {
        json.key("failure");
        json.beginObject();
        json.key("old");
        failureJson(json, diff.oldSide);
        json.key("new");
        failureJson(json, diff.newSide);
        json.endObject();
    }
    json.endObject();
}

void writeDiffTotalsJson(JsonWriter& json, const DiffTotals& totals) {
    json.beginObject();
    for (const DiffStatus status : {DiffStatus::added, DiffStatus::removed, DiffStatus::changed, DiffStatus::unchanged,
                                    DiffStatus::unreadable}) {
        json.member(diffStatusName(status), static_cast<std::int64_t>(totals.of(status)));
    }
    json.endObject();
}

void writeDiffPage(std::ostream& out, std::vector<CardDiff> diffs, const DiffTotals& totals) {
    std::stable_sort(diffs.begin(), diffs.end(), [](const CardDiff& a, const CardDiff& b) {
        if (rank(a.status) != rank(b.status)) return rank(a.status) < rank(b.status);
        const auto moved = [](const CardDiff& d) { return d.move() ? std::fabs(*d.move()) : -1.0; };
        if (moved(a) != moved(b)) return moved(a) > moved(b);
        return a.path < b.path;
    });
    // The page's own texts are CP932 literals like every other: UTF-8 here.
    out << cp932ToUtf8("<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
           "<meta name=\"generator\" content=\"Mornstave\">\n<title>技能カードの比較</title>\n");
    const std::string_view style = summaryPageStyle();
    out.write(style.data(), static_cast<std::streamsize>(style.size()));
    out << cp932ToUtf8("\n<style>\n.change td { vertical-align: top; white-space: pre-wrap; overflow-wrap: anywhere; }\n"
           "td.old { color: var(--above); } td.new { color: var(--below); }\n"
           "section.pair { margin: 16px 0; }\n</style>\n</head>\n<body>\n<header>\n<h1>技能カードの比較</h1>\n<p id=\"totals\">");
    htmlCp932(out, totalsText(totals));
    out << "</p>\n</header>\n<main>\n";
    for (const CardDiff& diff : diffs) {
        out << "<section class=\"pair " << diffStatusName(diff.status) << "\">\n<h2>";
        htmlCp932(out, diffStatusWord(diff.status));
        out << " <span class=\"path\">";
        html(out, utf8Path(diff.path));
        out << "</span></h2>\n";
        const std::vector<std::string> lines = detailLines(diff);
        if (diff.status == DiffStatus::changed) {
            for (std::size_t i = 0; i < 2; ++i) {
                out << "<p>";
                htmlCp932(out, lines[i]);
                out << "</p>\n";
            }
            out << cp932ToUtf8("<table class=\"change\">\n<thead><tr><th>項目</th><th>旧</th><th>新</th></tr></thead>\n<tbody>\n");
            for (const FieldChange& change : diff.changes) {
                out << "<tr><td class=\"path\">";
                htmlCp932(out, change.field);
                out << "</td><td class=\"old\">";
                htmlCp932(out, valueText(change.oldValue, change.oldMeaning));
                out << "</td><td class=\"new\">";
                htmlCp932(out, valueText(change.newValue, change.newMeaning));
                out << "</td></tr>\n";
            }
            out << "</tbody>\n</table>\n";
        } else {
            for (const std::string& detail : lines) {
                out << "<p>";
                htmlCp932(out, detail);
                out << "</p>\n";
            }
        }
        out << "</section>\n";
    }
    out << "</main>\n</body>\n</html>\n";
}

}  // namespace Vantorn
