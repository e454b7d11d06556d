#pragma once

// The field-by-field listing of a card file, in file order, as the card's readers read
// it: each field's offset, size, record path, value and meaning, and how the card ends.
// The listing is a value (CardListing) or, for a card of any size, a stream of the same
// parts (ListingReceiver); the text and JSON listings are written from either.

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "format/CardReader.hpp"
#include "format/Errors.hpp"

namespace Vantorn {

class JsonWriter;

// A record the readers entered: "event" 1, "content" 3, "child" 1, "motion" 2 ...
struct ListedRecord {
    static constexpr std::size_t none = static_cast<std::size_t>(-1);
    std::size_t parent = none;  // the record it lies in, or none at the card's top
    const char* kind = "";      // a name with static storage
    std::int64_t number = 0;    // from 1, among its siblings of that kind
};

struct ListedField {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;                   // bytes read
    std::size_t record = ListedRecord::none;  // the record the field belongs to
    std::string path;     // record path and field as the listing writes it (a deep path leaves out its middle)
    const char* name = "";
    FieldType type = FieldType::int32;
    std::int64_t number = 0;  // the value; a string's declared length, a skip's length
    std::string text;         // a string's text (CP932)
    std::string value;        // the value as the listing writes it (CP932)
    std::string meaning;      // what the report makes of it (CP932), or empty
};

// Where and why reading stopped.
struct ListingStop {
    std::string message;                   // CP932, as the error line says it
    std::optional<ReadLocation> location;  // the field at fault, for an error in the contents
};

// How the listing ends: the card read whole, or the place where reading stopped.
struct ListingEnd {
    std::uint64_t offset = 0;  // the end of the card, or where reading stopped
    std::uint64_t unread = 0;  // a whole card: the bytes after it
    std::optional<ListingStop> stop;

    bool complete() const { return !stop; }
};

struct CardListing {
    std::vector<ListedRecord> records;  // in the order entered; fields point into it
    std::vector<ListedField> fields;    // in file order
    ListingEnd end;
};

// The record steps from the card's top down to `record`, outermost first.
std::vector<const ListedRecord*> recordSteps(const std::vector<ListedRecord>& records, std::size_t record);

// Hears a listing part by part, so that a large card never has to be held whole. Every
// record is heard before the fields that point into it; end comes last, once.
class ListingReceiver {
public:
    virtual void record(std::size_t /*index*/, const ListedRecord& /*record*/) {}
    virtual void field(const ListedField& field) = 0;
    virtual void end(const ListingEnd& end) = 0;

protected:
    ~ListingReceiver() = default;
};

// Lists the card file `bytes`. Never throws for what the bytes hold: a card that cannot
// be read ends with its stop.
void listCard(std::string_view bytes, ListingReceiver& receiver);
CardListing listCard(std::string_view bytes);
// The listing of a file that was not read at all (too large, say): no field, the stop.
CardListing unreadListing(const ListingStop& stop);

// The text listing: a line per field, then the end's line. CP932.
void writeListingLine(std::ostream& out, const ListedField& field);
void writeListingEnd(std::ostream& out, const ListingEnd& end);
void writeListing(std::ostream& out, const CardListing& listing);
// Writes the text listing of `bytes` as it is read; a card that cannot be read ends
// with its line that says where and why, and its error is then thrown on.
void writeListing(std::ostream& out, std::string_view bytes);

// The JSON listing: the object of one card, {"path", "fields", "records", "end"}, with
// `path` UTF-8. ListingJson writes it part by part as a receiver.
class ListingJson final : public ListingReceiver {
public:
    ListingJson(JsonWriter& json, std::string_view path);
    void record(std::size_t index, const ListedRecord& record) override;
    void field(const ListedField& field) override;
    void end(const ListingEnd& end) override;
    // Where reading stopped, once the end was heard.
    const std::optional<ListingStop>& stop() const { return stop_; }

private:
    JsonWriter& json_;
    std::optional<ListingStop> stop_;
    std::vector<ListedRecord> records_;  // written after the fields
};
void writeListingJson(JsonWriter& json, std::string_view path, const CardListing& listing);

}  // namespace Vantorn
