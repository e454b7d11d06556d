// The listing as JSON, written part by part.

#include "explain/Listing.hpp"
#include "json/CardJson.hpp"
#include "json/JsonWriter.hpp"

namespace Vantorn {
namespace {

const char* typeName(FieldType type) {
    switch (type) {
    case FieldType::int32: return "int32";
    case FieldType::int16: return "int16";
    case FieldType::byte: return "byte";
    case FieldType::boolean: return "boolean";
    case FieldType::string: return "string";
    case FieldType::skip: return "skip";
    }
    return "";
}

void index(JsonWriter& json, std::size_t record) {
    if (record == ListedRecord::none) {
        json.null();
    } else {
        json.value(static_cast<std::int64_t>(record));
    }
}

}  // namespace

ListingJson::ListingJson(JsonWriter& json, std::string_view path) : json_(json) {
    json_.beginObject();
    json_.member("path", path);
    json_.key("fields");
    json_.beginArray();
}

void ListingJson::record(std::size_t, const ListedRecord& record) { records_.push_back(record); }

void ListingJson::field(const ListedField& field) {
    json_.beginObject();
    json_.member("offset", static_cast<std::int64_t>(field.offset));
    json_.member("size", static_cast<std::int64_t>(field.size));
    json_.key("path");
    json_.cp932(field.path);
    json_.key("record");
    index(json_, field.record);
    json_.member("name", field.name);
    json_.member("type", typeName(field.type));
    json_.key("value");
    if (field.type == FieldType::string) {
        json_.cp932(field.text);
    } else {
        json_.value(field.number);
    }
    json_.key("shown");
    json_.cp932(field.value);
    json_.key("meaning");
    if (field.meaning.empty()) {
        json_.null();
    } else {
        json_.cp932(field.meaning);
    }
    json_.endObject();
}

void ListingJson::end(const ListingEnd& end) {
    stop_ = end.stop;
    json_.endArray();
    json_.key("records");
    json_.beginArray();
    for (const ListedRecord& record : records_) {
        json_.beginObject();
        json_.member("kind", record.kind);
        json_.member("number", record.number);
        json_.key("parent");
        index(json_, record.parent);
        json_.endObject();
    }
    json_.endArray();
    json_.key("end");
    json_.beginObject();
    json_.member("complete", end.complete());
    json_.member("offset", static_cast<std::int64_t>(end.offset));
    if (end.stop) {
        json_.key("error");
        json_.cp932(end.stop->message);
        if (end.stop->location) writeLocationJson(json_, *end.stop->location);
    } else {
        json_.member("unread", static_cast<std::int64_t>(end.unread));
    }
    json_.endObject();
    json_.endObject();
}

void writeListingJson(JsonWriter& json, std::string_view path, const CardListing& listing) {
    ListingJson writer(json, path);
    for (std::size_t i = 0; i < listing.records.size(); ++i) writer.record(i, listing.records[i]);
    for (const ListedField& field : listing.fields) writer.field(field);
    writer.end(listing.end);
}

}  // namespace Vantorn
