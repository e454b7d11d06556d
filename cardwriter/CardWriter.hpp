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

#include "events/ContentKind.hpp"

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

struct MotionRecord {
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
        out.byte(category).byte(0).int32(0).byte(attr).byte(subType);
        switch (category) {
        case 0:
        case 1: out.byte(valueType).int32(value); break;
        case 3:
        case 4: out.int32(rounds); break;
        case 5: out.int32(value).int32(rounds); break;
        default: break;
        }
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

    // Type code, name, child count plus 40000, the children, then the own fields.
    Bytes bytes() const {
        Bytes out;
        out.byte(type).string(name).int32(40000 + static_cast<std::int32_t>(children.size()));
        for (const ContentRecord& child : children) out.append(child.bytes());
        return out.append(ownFields);
    }
};

using EventRecord = std::vector<ContentRecord>;

struct SkillCardRecord {
    std::uint8_t tag = 5;
    std::string picture;  // a whole bitmap file, "BM" first; empty for none
    std::string name;
    std::int32_t number = 0;
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
    std::uint8_t byteBeforeLevel = 0;
    std::int32_t cardLevel = 0;

    Bytes bytes() const {
        Bytes out;
        out.byte(tag).int32(static_cast<std::int32_t>(picture.size())).raw(picture);
        out.string(name).int32(number).string(text2);
        out.int32(physicalElement).int32(mentalElement);
        out.boolean(unusableWhenSilenced).boolean(targetsAll);
        out.byte(targetType).byte(effectAttribute).boolean(usesResist);
        out.int32(successModifier).byte(extraByte);
        out.int32(static_cast<std::int32_t>(motions.size()));
        for (const MotionRecord& motion : motions) out.append(motion.bytes());
        for (std::int32_t bonus : bonuses) out.int32(bonus);
        for (const std::string& text : extraTexts) out.string(text);
        for (const std::string& code : keyCodes) out.string(code);
        out.byte(codeAfterKeys).string(text3).string(text4);
        out.int32(static_cast<std::int32_t>(events.size()));
        for (const EventRecord& event : events) {
            out.int32(static_cast<std::int32_t>(event.size()));
            for (const ContentRecord& root : event) out.append(root.bytes());
        }
        return out.byte(byteBeforeLevel).int32(cardLevel);
    }
};

}  // namespace Vantorn::testing
