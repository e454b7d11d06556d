#include "explain/Listing.hpp"

#include <cstring>
#include <ostream>
#include <string>

#include "cards/CodedFields.hpp"
#include "cards/Motion.hpp"
#include "cards/SkillCard.hpp"
#include "events/ContentHeader.hpp"
#include "events/ContentKind.hpp"
#include "format/CardReader.hpp"
#include "format/Hex.hpp"
#include "text/Cp932.hpp"

namespace Vantorn {
namespace {

std::string offsetText(std::uint64_t offset) {
    return "0x" + hex(offset, 8);
}

// A string's text with the bytes a listing line cannot hold escaped. A two-byte
// character stays whole: its second byte may be 0x5C, which is not a backslash there.
std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        if (isCp932LeadByte(byte) && i + 1 < text.size()) {
            out += c;
            out += text[++i];
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            out += "\\x" + hex(byte, 2);
        } else {
            out += c;
        }
    }
    return out + '"';
}

std::string plural(std::int64_t count, const char* one, const char* many) {
    return std::to_string(count) + ' ' + (count == 1 ? one : many);
}

// Hears each field as the readers read it and hands it on, with the records.
class Listener final : public ReadListener {
public:
    explicit Listener(ListingReceiver& receiver) : receiver_(receiver) {}

    void entered(const char* record, std::int64_t number) override {
        const ListedRecord listed{open_.empty() ? ListedRecord::none : open_.back(), record, number};
        receiver_.record(records_, listed);
        open_.push_back(records_++);
    }
    void left() override { open_.pop_back(); }

    void field(const CardReader& reader, const FieldRead& read) override {
        field_.offset = read.offset;
        field_.size = read.size;
        field_.record = open_.empty() ? ListedRecord::none : open_.back();
        field_.path = reader.path(read.name);
        field_.name = read.name;
        field_.type = read.type;
        field_.number = read.number;
        field_.text.assign(read.text.data(), read.text.size());
        field_.value = valueText(read);
        field_.meaning = meaningOf(read);
        if (!std::strcmp(read.name, "type")) {
            // The depth of a content in its tree: the path may leave levels out.
            field_.meaning += ", depth " + std::to_string(reader.depth() - 1);
        }
        receiver_.field(field_);
    }

private:
    static std::string valueText(const FieldRead& read) {
        switch (read.type) {
        case FieldType::string: return quoted(read.text);
        case FieldType::skip: return plural(read.number, "byte", "bytes") + " skipped";
        default: return std::to_string(read.number);
        }
    }

    // What the report makes of the field, or nothing.
    std::string meaningOf(const FieldRead& read) {
        const char* name = read.name;
        const auto value = static_cast<std::int32_t>(read.number);
        const auto named = [](const char* text) { return std::string(text ? text : "?"); };
        if (read.type == FieldType::string) {
            return "declared " + plural(read.number, "byte", "bytes") + ", text " +
                   plural(static_cast<std::int64_t>(read.text.size()), "byte", "bytes");
        }
        if (const CodedField* field = codedFieldNamed(name)) {
            // A value type outside its names means nothing; another code is "?".
            const char* text = field->name(value);
            return text || field != &coded::valueType ? named(text) : std::string();
        }
        if (!std::strcmp(name, "category")) {
            category_ = value;
            return {};
        }
        if (!std::strcmp(name, "subType")) return named(effectType(category_, value).name);
        if (!std::strcmp(name, "type") && value >= 0 && value <= maxContentType) {
            const ContentKindInfo& kind = contentKindInfo(value);
            return std::string(kind.label) + ", " + kind.name;
        }
        if (!std::strcmp(name, "childCount")) {
            const auto children = static_cast<std::int32_t>(static_cast<std::uint32_t>(value) - static_cast<std::uint32_t>(childCountBias));
            return plural(children > 0 ? children : 0, "child", "children");
        }
        if (!std::strcmp(name, "motionCount") || !std::strcmp(name, "eventCount") ||
            !std::strcmp(name, "contentCount")) {
            return plural(value > 0 ? value : 0, "record", "records");
        }
        return {};
    }

    ListingReceiver& receiver_;
    ListedField field_;                // reused: its strings keep their room
    std::vector<std::size_t> open_;    // the records entered and not yet left
    std::size_t records_ = 0;
    std::int32_t category_ = 0;
};

// Collects the parts into the value.
class Collector final : public ListingReceiver {
public:
    explicit Collector(CardListing& listing) : listing_(listing) {}
    void record(std::size_t, const ListedRecord& record) override { listing_.records.push_back(record); }
    void field(const ListedField& field) override { listing_.fields.push_back(field); }
    void end(const ListingEnd& end) override { listing_.end = end; }

private:
    CardListing& listing_;
};

// Writes the text lines as they come.
class TextLines final : public ListingReceiver {
public:
    explicit TextLines(std::ostream& out) : out_(out) {}
    void field(const ListedField& field) override { writeListingLine(out_, field); }
    void end(const ListingEnd& end) override { writeListingEnd(out_, end); }

private:
    std::ostream& out_;
};

// Reads the card, telling the receiver; an error ends the listing and is thrown on
// where `rethrow` asks.
void list(std::string_view bytes, ListingReceiver& receiver, bool rethrow) {
    Listener listener(receiver);
    CardReader reader(bytes, &listener);
    try {
        SkillCard card;
        card.read(reader);
    } catch (const std::runtime_error& error) {
        ListingEnd end;
        const ReadLocation* at = locationOf(error);
        end.offset = at ? at->offset : reader.offset();
        end.stop = ListingStop{error.what(), at ? std::optional<ReadLocation>(*at) : std::nullopt};
        receiver.end(end);
        if (rethrow) throw;
        return;
    }
    // Bytes after the card are not part of it; say so rather than hide them.
    ListingEnd end;
    end.offset = reader.offset();
    end.unread = reader.remaining();
    receiver.end(end);
}

}  // namespace

std::vector<const ListedRecord*> recordSteps(const std::vector<ListedRecord>& records, std::size_t record) {
    std::vector<const ListedRecord*> steps;
    for (; record != ListedRecord::none && record < records.size(); record = records[record].parent) {
        steps.push_back(&records[record]);
    }
    return {steps.rbegin(), steps.rend()};
}

void listCard(std::string_view bytes, ListingReceiver& receiver) { list(bytes, receiver, false); }

CardListing listCard(std::string_view bytes) {
    CardListing listing;
    Collector collector(listing);
    list(bytes, collector, false);
    return listing;
}

CardListing unreadListing(const ListingStop& stop) {
    CardListing listing;
    listing.end.offset = stop.location ? stop.location->offset : 0;
    listing.end.stop = stop;
    return listing;
}

void writeListingLine(std::ostream& out, const ListedField& field) {
    std::string line = offsetText(field.offset);
    const std::string size = std::to_string(field.size);
    line.append(size.size() < 7 ? 7 - size.size() : 1, ' ');
    line += size;
    line += "  ";
    line += field.path;
    line += "  ";
    line += field.value;
    if (!field.meaning.empty()) {
        line += "  (";
        line += field.meaning;
        line += ')';
    }
    out << line << '\n';
}

void writeListingEnd(std::ostream& out, const ListingEnd& end) {
    if (end.stop) {
        out << "error";
        if (const auto& at = end.stop->location) {
            out << " at " << offsetText(at->offset) << ", " << at->path << ": " << end.stop->message << " (found "
                << at->found << ", allowed " << at->allowed << ')';
        } else {
            out << ": " << end.stop->message;
        }
        out << '\n';
        return;
    }
    out << offsetText(end.offset) << "  end of the card";
    if (end.unread != 0) out << ", then " << plural(static_cast<std::int64_t>(end.unread), "byte", "bytes") << " not read";
    out << '\n';
}

void writeListing(std::ostream& out, const CardListing& listing) {
    for (const ListedField& field : listing.fields) writeListingLine(out, field);
    writeListingEnd(out, listing.end);
}

void writeListing(std::ostream& out, std::string_view bytes) {
    TextLines lines(out);
    list(bytes, lines, true);
}

}  // namespace Vantorn
