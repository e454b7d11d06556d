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

// Hears each field as the readers read it and writes its line.
class Listing final : public ReadListener {
public:
    explicit Listing(std::ostream& out) : out_(out) {}

    void field(const CardReader& reader, const FieldRead& read) override {
        std::string line = offsetText(read.offset);
        const std::string size = std::to_string(read.size);
        line.append(size.size() < 7 ? 7 - size.size() : 1, ' ');
        line += size;
        line += "  ";
        line += reader.path(read.name);
        line += "  ";
        line += valueText(read);
        std::string meaning = meaningOf(read);
        if (!std::strcmp(read.name, "type")) {
            // The depth of a content in its tree: the path may leave levels out.
            meaning += ", depth " + std::to_string(reader.depth() - 1);
        }
        if (!meaning.empty()) {
            line += "  (";
            line += meaning;
            line += ')';
        }
        out_ << line << '\n';
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

    std::ostream& out_;
    std::int32_t category_ = 0;
};

}  // namespace

void writeListing(std::ostream& out, std::string_view bytes) {
    Listing listing(out);
    CardReader reader(bytes, &listing);
    try {
        SkillCard card;
        card.read(reader);
    } catch (const std::runtime_error& error) {
        out << "error";
        if (const ReadLocation* at = locationOf(error)) {
            out << " at " << offsetText(at->offset) << ", " << at->path << ": " << error.what() << " (found "
                << at->found << ", allowed " << at->allowed << ')';
        } else {
            out << ": " << error.what();
        }
        out << '\n';
        throw;
    }
    // Bytes after the card are not part of it; say so rather than hide them.
    const std::uint64_t rest = reader.remaining();
    out << offsetText(reader.offset()) << "  end of the card";
    if (rest != 0) out << ", then " << plural(static_cast<std::int64_t>(rest), "byte", "bytes") << " not read";
    out << '\n';
}

}  // namespace Vantorn
