#include "json/CardJson.hpp"
#include "json/JsonWriter.hpp"
#include "summary/SummaryWriters.hpp"

namespace Vantorn {
namespace {

void optionalNumber(JsonWriter& json, std::string_view name, const std::optional<double>& value) {
    json.key(name);
    if (value) {
        json.value(*value);
    } else {
        json.null();
    }
}

void text(JsonWriter& json, std::string_view name, std::string_view cp932) {
    json.key(name);
    json.cp932(cp932);
}

void positions(JsonWriter& json, std::string_view name, const std::vector<std::size_t>& list) {
    json.key(name);
    json.beginArray();
    for (std::size_t position : list) json.value(static_cast<std::int64_t>(position));
    json.endArray();
}

}  // namespace

void writeSummaryJson(JsonWriter& json, const Summary& summary) {
    json.beginObject();
    json.member("order", summaryOrderName(summary.order()));
    json.key("rows");
    json.beginArray();
    json.breakLines();
    for (const SummaryRow& row : summary.rows()) {
        json.beginObject();
        json.member("entry", static_cast<std::int64_t>(row.entry));
        json.member("path", std::string_view(row.path));
        text(json, "name", row.name);
        json.member("level", row.level);
        optionalNumber(json, "estimate", row.estimate);
        optionalNumber(json, "difference", row.difference());
        text(json, "target", row.target);
        text(json, "effects", row.effects);
        json.endObject();
        json.flush();  // the writer holds its text until flushed: a row at a time
    }
    json.endArray();
    json.key("failures");
    json.beginArray();
    json.breakLines();
    for (const SummaryFailure& failure : summary.failures()) {
        json.beginObject();
        json.member("entry", static_cast<std::int64_t>(failure.entry));
        json.member("path", std::string_view(failure.path));
        text(json, "error", failure.message);
        if (failure.location) writeLocationJson(json, *failure.location);
        json.endObject();
    }
    json.endArray();
    const SummaryTotals& totals = summary.totals();
    json.key("totals");
    json.beginObject();
    json.member("read", static_cast<std::int64_t>(totals.read));
    json.member("failed", static_cast<std::int64_t>(totals.failed));
    optionalNumber(json, "meanAbsoluteDifference", totals.meanAbsoluteDifference);
    positions(json, "furthestAbove", totals.furthestAbove);
    positions(json, "furthestBelow", totals.furthestBelow);
    json.endObject();
    json.endObject();
}

}  // namespace Vantorn
