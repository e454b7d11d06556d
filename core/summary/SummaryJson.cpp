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

// A row's or a failure's "cells": the columns it fills, by key (a card's columns, or
// the path and a failure's own). The path is UTF-8 as given, the numbers ASCII, the
// rest CP932.
void cells(JsonWriter& json, const SummaryCells& cells, bool failure, bool advised) {
    json.key("cells");
    json.beginObject();
    for (const SummaryColumnInfo& info : summaryColumns(advised)) {
        if ((info.kind == ColumnKind::failure) != failure && info.column != SummaryColumn::path) continue;
        const std::string& cell = cells[static_cast<std::size_t>(info.column)];
        if (info.column == SummaryColumn::path) {
            json.member(info.key, std::string_view(cell));
        } else {
            text(json, info.key, cell);
        }
    }
    json.endObject();
}

// Every card column's [place, place reversed] (see summaryRanks).
void ranks(JsonWriter& json, const SummaryRanks& ranks, bool advised) {
    json.key("ranks");
    json.beginObject();
    for (std::size_t c = 0; c < cardColumnCount; ++c) {
        if (!summaryColumns()[c].shownIn(advised)) continue;
        json.key(summaryColumns()[c].key);
        json.beginArray();
        for (std::size_t place : ranks.places[c]) json.value(static_cast<std::int64_t>(place));
        json.endArray();
    }
    json.endObject();
}

const char* kindName(ColumnKind kind) {
    switch (kind) {
    case ColumnKind::text: return "text";
    case ColumnKind::number: return "number";
    case ColumnKind::failure: break;
    }
    return "failure";
}

}  // namespace

void writeSummaryJson(JsonWriter& json, const Summary& summary) {
    json.beginObject();
    json.member("order", summaryOrderName(summary.order()));
    json.key("columns");
    json.beginArray();
    for (const SummaryColumnInfo& info : summaryColumns(summary.advised())) {
        json.beginObject();
        json.member("key", info.key);
        text(json, "heading", info.heading);
        json.member("kind", kindName(info.kind));
        json.endObject();
    }
    json.endArray();
    const std::vector<SummaryRanks> places = summaryRanks(summary.rows());
    json.key("rows");
    json.beginArray();
    json.breakLines();
    for (std::size_t position = 0; position < summary.rows().size(); ++position) {
        const SummaryRow& row = summary.rows()[position];
        json.beginObject();
        json.member("entry", static_cast<std::int64_t>(row.entry));
        json.member("path", std::string_view(row.path));
        text(json, "name", row.name);
        json.member("level", row.level);
        optionalNumber(json, "estimate", row.estimate);
        optionalNumber(json, "difference", row.difference());
        text(json, "target", row.target);
        text(json, "effects", row.effects);
        cells(json, summaryCells(row), false, summary.advised());
        ranks(json, places[position], summary.advised());
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
        cells(json, summaryCells(failure), true, summary.advised());
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
    const SummaryTotalTexts texts = summaryTotalTexts(totals);
    json.key("texts");
    json.beginObject();
    json.member("read", std::string_view(texts.read));
    json.member("failed", std::string_view(texts.failed));
    json.member("meanAbsoluteDifference", std::string_view(texts.meanAbsoluteDifference));
    json.endObject();
    json.endObject();
    json.endObject();
}

}  // namespace Vantorn
