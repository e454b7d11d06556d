#pragma once

// Writes card files in memory, field by field in file order, so that tests, examples,
// fuzzing seeds and benchmarks can say exactly which bytes they mean. A content's own
// fields can be written from a content object, through the same field list the
// reader fills.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cards/Layouts.hpp"
#include "events/ContentHeader.hpp"
#include "events/ContentKind.hpp"
#include "format/Limits.hpp"

namespace Vantorn {
class Content;
}

namespace Vantorn::testing {

class Bytes {
public:
    Bytes& int32(std::int32_t value) {
        const auto bits = static_cast<std::uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8) data.push_back(static_cast<char>(bits >> shift));
        return *this;
    }
    Bytes& int16(std::uint16_t value) {
        data.push_back(static_cast<char>(value & 0xFF));
        data.push_back(static_cast<char>(value >> 8));
        return *this;
    }
    Bytes& byte(std::uint8_t value) {
        data.push_back(static_cast<char>(value));
        return *this;
    }
    Bytes& boolean(bool value) { return byte(value ? 1 : 0); }
    // A string as the game stores it: length including one terminating zero byte.
    Bytes& string(std::string_view text) {
        if (text.empty()) return int32(0);
        int32(static_cast<std::int32_t>(text.size() + 1));
        data.append(text);
        data.push_back('\0');
        return *this;
    }
    Bytes& raw(std::string_view bytes) {
        data.append(bytes);
        return *this;
    }
    Bytes& append(const Bytes& other) { return raw(other.data); }

    std::string data;
};

// Writes each field a record layout lists (cards/Layouts.hpp, events/ContentHeader.hpp)
// as the reader reads it back: a byte as its low 8 bits, a bool as 0 or 1.
class LayoutWriter {
public:
    explicit LayoutWriter(Bytes& out) : out_(out) {}
    template <class T>
    void int32(const char*, const T& value, Range = unbounded) { out_.int32(static_cast<std::int32_t>(value)); }
    template <class T>
    void byte(const char*, const T& value, Range = unbounded) { out_.byte(static_cast<std::uint8_t>(value)); }
    void boolean(const char*, bool value) { out_.boolean(value); }
    void string(const char*, std::string_view value) { out_.string(value); }
    void childCount(const char*, std::size_t children) {
        out_.int32(childCountBias + static_cast<std::int32_t>(children));
    }
    void tag(const char* name, std::int32_t value) { byte(name, value); }
    void picture(const char*, const char*, const char*, const std::string& picture) {
        out_.int32(static_cast<std::int32_t>(picture.size())).raw(picture);
    }
    template <class Motion>
    void motions(const char*, const char*, const std::vector<Motion>& motions) {
        out_.int32(static_cast<std::int32_t>(motions.size()));
        for (const Motion& motion : motions) out_.append(motion.bytes());
    }
    void unreadableCategory(const char*, std::int32_t) {}  // no tail
    template <class Card>
    void events(const char*, const char*, const Card& card) { card.writeEvents(out_); }

private:
    Bytes& out_;
};

// A content record's header: type code, name and child count.
inline Bytes& contentHeader(Bytes& out, std::uint8_t type, std::string_view name, std::size_t children) {
    LayoutWriter writer(out);
    visitContentHeader(type, name, children, writer);
    return out;
}
inline Bytes& contentHeader(Bytes& out, ContentKind kind, std::string_view name, std::size_t children) {
    return contentHeader(out, static_cast<std::uint8_t>(kind), name, children);
}

struct MotionRecord : UnkeptMotionFields {
    MotionRecord(std::uint8_t category = 0, std::uint8_t subType = 0, std::uint8_t attr = 0,
                 std::uint8_t valueType = 0, std::int32_t value = 0, std::int32_t rounds = 0)
        : category(category), subType(subType), attr(attr), valueType(valueType), value(value),
          rounds(rounds) {}

    std::uint8_t category = 0;
    std::uint8_t subType = 0;
    std::uint8_t attr = 0;
    std::uint8_t valueType = 0;
    std::int32_t value = 0;
    std::int32_t rounds = 0;

    // The tail by category, as the reader expects it; categories 8 and above get none.
    Bytes bytes() const {
        Bytes out;
        LayoutWriter writer(out);
        visitMotionFields(*this, static_cast<const UnkeptMotionFields&>(*this), writer);
        return out;
    }
};

// The own fields of a content, in file order, as the reader reads them back.
Bytes ownFieldsOf(const Content& content);

struct ContentRecord {
    // Any type code, the unknown and the unreadable ones included.
    ContentRecord(std::uint8_t type = 0, Bytes ownFields = {}, std::vector<ContentRecord> children = {})
        : type(type), ownFields(std::move(ownFields)), children(std::move(children)) {}
    ContentRecord(ContentKind kind, Bytes ownFields = {}, std::vector<ContentRecord> children = {})
        : ContentRecord(static_cast<std::uint8_t>(kind), std::move(ownFields), std::move(children)) {}

    // The record of a content object: its kind, name and own fields.
    static ContentRecord of(const Content& content, std::vector<ContentRecord> children = {});
    // The record of a content of class Kind whose fields `fill` sets, for example
    //   ContentRecord::make<Content_Wait>([](auto& c) { c.duration = 5; })
    template <class Kind, class Fill>
    static ContentRecord make(Fill fill, std::vector<ContentRecord> children = {}) {
        Kind content;
        fill(content);
        return of(content, std::move(children));
    }

    std::uint8_t type = 0;
    Bytes ownFields;
    std::vector<ContentRecord> children;
    std::string name;

    // The header, the children, then the own fields.
    Bytes bytes() const {
        Bytes out;
        contentHeader(out, type, name, children.size());
        for (const ContentRecord& child : children) out.append(child.bytes());
        return out.append(ownFields);
    }
};

using EventRecord = std::vector<ContentRecord>;

// A card's fields; the tag, picture, number and byteBeforeLevel come with
// UnkeptCardFields.
struct SkillCardRecord : UnkeptCardFields {
    std::string name;
    std::string text2;
    std::int32_t physicalElement = 0;
    std::int32_t mentalElement = 0;
    bool unusableWhenSilenced = false;
    bool targetsAll = false;
    std::uint8_t targetType = 0;
    std::uint8_t effectAttribute = 0;
    bool usesResist = false;
    std::int32_t successModifier = 0;
    std::uint8_t extraByte = 0;
    std::vector<MotionRecord> motions;
    std::int32_t bonuses[3] = {0, 0, 0};
    std::string extraTexts[2];
    std::string keyCodes[5];
    std::uint8_t codeAfterKeys = 0;
    std::string text3;
    std::string text4;
    std::vector<EventRecord> events;
    // Events already written, each its root count and its roots: they follow `events`.
    std::vector<Bytes> writtenEvents;
    std::int32_t cardLevel = 0;

    Bytes bytes() const {
        Bytes out;
        LayoutWriter writer(out);
        visitCardFields(*this, static_cast<const UnkeptCardFields&>(*this), writer);
        return out;
    }
    void writeEvents(Bytes& out) const {
        out.int32(static_cast<std::int32_t>(events.size() + writtenEvents.size()));
        for (const EventRecord& event : events) {
            out.int32(static_cast<std::int32_t>(event.size()));
            for (const ContentRecord& root : event) out.append(root.bytes());
        }
        for (const Bytes& event : writtenEvents) out.append(event);
    }
};

}  // namespace Vantorn::testing
