#pragma once

// Card files for the hostile-file suite, the fuzzing seeds and the peak-memory
// measurement: one rich card that uses every kind the format has, and builders for
// files that push each count, length and depth to its bound and past it. Everything
// is written with the project's own card writer.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "cardwriter/CardWriter.hpp"
#include "events/Content.hpp"
#include "events/ContentFactory.hpp"
#include "events/ContentKind.hpp"
#include "events/Fields.hpp"
#include "format/Limits.hpp"

namespace Vantorn::testing {

// False for the kinds whose layout is unknown: any card holding one fails to load.
inline bool isReadableKind(int code) {
    return contentKindInfo(code).readable;
}

// Picks a plausible value for each own field by its type and name: Japanese names,
// a message of two lines, negative numbers, and the first byte at its top value.
class SampleFields final : public FieldVisitor {
public:
    explicit SampleFields(int code) : code_(code) {}

    void int32(const char* name, std::int32_t& value) override {
        const std::string field = name;
        if (field == "amount") value = -5;
        else if (field == "duration") value = -3;
        else if (field == "percent") value = 150;
        else if (field == "count") value = 2;
        else if (field == "value" || field == "unknownValue") value = -7;
        else value = code_;
    }
    void byte(const char*, std::int32_t& value) override {
        value = firstByte_ ? 0xFF : 2;
        firstByte_ = false;
    }
    void boolean(const char*, bool& value) override {
        value = firstBoolean_;
        firstBoolean_ = false;
    }
    void string(const char* name, std::string& value) override {
        static const std::pair<const char*, const char*> words[] = {
            {"text", "炎の矢が飛ぶ！\n敵は身構えた。"},
            {"imagePath", "face.bmp"}, {"musicPath", "bgm.mid"}, {"soundPath", "se.wav"},
            {"startName", "開始"}, {"flagName", "旗"}, {"stepName", "段階"},
            {"couponName", "勇者"}, {"scenarioName", "旅"}, {"gossip", "噂"},
        };
        value = "名";
        for (const auto& [field, word] : words) {
            if (std::string(field) == name) value = word;
        }
    }

private:
    int code_;
    bool firstByte_ = true;
    bool firstBoolean_ = true;
};

// An empty content of the kind with every own field filled by SampleFields.
inline ContentPtr sampleContentObject(int code) {
    ContentPtr content = makeContent(code);
    SampleFields fields(code);
    content->visitFields(fields);
    return content;
}

// Plausible own fields for every content kind, in file order; none for the kinds
// without own fields and for the unreadable ones.
inline Bytes sampleOwnFields(int code) {
    return ownFieldsOf(*sampleContentObject(code));
}

inline ContentRecord sampleContent(int code, std::vector<ContentRecord> children = {}) {
    return ContentRecord::of(*sampleContentObject(code), std::move(children));
}
inline ContentRecord sampleContent(ContentKind kind, std::vector<ContentRecord> children = {}) {
    return sampleContent(static_cast<int>(kind), std::move(children));
}

// A tiny 2x2 bitmap file.
inline std::string sampleBitmap() {
    Bytes file;
    file.raw("BM").int32(70).int32(0).int32(54);
    file.int32(40).int32(2).int32(2).int16(1).int16(24).int32(0).int32(16).int32(2835).int32(2835);
    file.int32(0).int32(0);
    file.raw(std::string("\x00\x00\xFF\xFF\xFF\xFF\x00\x00\xFF\x00\x00\x00\xFF\x00\x00\x00", 16));
    return file.data;
}

// Every motion the reader accepts: each named cell of the effect table, the strength
// cells with each value type, and one cell and one element that have no name.
inline std::vector<MotionRecord> everyMotion() {
    const int cellsPerCategory[] = {3, 4, 2, 6, 8, 4, 3, 8};
    std::vector<MotionRecord> motions;
    for (std::uint8_t category = 0; category < 8; ++category) {
        for (std::uint8_t subType = 0; subType < cellsPerCategory[category]; ++subType) {
            const std::uint8_t attr = static_cast<std::uint8_t>((category + subType) % 7);
            if (category <= 1) {
                for (std::uint8_t valueType = 0; valueType < 3; ++valueType) {
                    motions.emplace_back(category, subType, attr, valueType, 10 - 4 * valueType);
                }
            } else {
                motions.emplace_back(category, subType, attr, 0, subType % 2 ? -10 : 10, subType + 1);
            }
        }
    }
    motions.emplace_back(3, 7, 9, 0, 0, 2);  // a cell and an element the game does not name
    return motions;
}

// One card that exercises every part of the reader, the description and the estimate:
// a picture, Japanese texts, every motion kind, bonuses of exactly 10, and two events
// whose trees hold every readable content kind, named and nested.
inline SkillCardRecord richCard() {
    SkillCardRecord card;
    card.picture = sampleBitmap();
    card.name = "嵐の舞";
    card.number = 7;
    card.text2 = "説明";
    card.physicalElement = 2;
    card.mentalElement = -5;
    card.unusableWhenSilenced = true;
    card.targetType = 4;
    card.effectAttribute = 3;
    card.usesResist = true;
    card.successModifier = -2;
    card.extraByte = 255;
    card.motions = everyMotion();
    card.bonuses[0] = 10;
    card.bonuses[1] = -3;
    card.bonuses[2] = 10;
    card.extraTexts[0] = "甲";
    card.keyCodes[0] = "攻撃";
    card.keyCodes[4] = "炎";
    card.codeAfterKeys = 2;
    card.text3 = "三";
    card.cardLevel = 5;

    // Every readable kind once, as a few branches of a few levels each.
    std::vector<ContentRecord> branches;
    std::vector<ContentRecord> leaves;
    for (int code = 1; code <= maxContentType; ++code) {
        if (!isReadableKind(code)) continue;
        leaves.push_back(sampleContent(code));
        if (leaves.size() == 8) {
            ContentRecord branch = std::move(leaves.back());
            leaves.pop_back();
            branch.children = std::move(leaves);
            branch.name = "枝";
            leaves.clear();
            branches.push_back(std::move(branch));
        }
    }
    ContentRecord start = sampleContent(ContentKind::Start, std::move(branches));
    start.name = "使用時";
    card.events.push_back({std::move(start), sampleContent(ContentKind::IncRound, std::move(leaves))});
    card.events.push_back({});
    return card;
}

// A card aimed at enemies whose motion list and event part are given as raw bytes, so
// that their counts can say anything, the file may end anywhere inside them, or the
// remainder of the card can be left off.
inline std::string cardAround(const Bytes& motionPart, const Bytes& eventPart, bool complete = true) {
    SkillCardRecord card;
    card.targetType = 3;
    const std::string empty = card.bytes().data;
    // The empty card ends with its motion count, the fixed tail up to the event count,
    // the event count, the dropped byte and the level.
    constexpr std::size_t afterEvents = 1 + 4;
    constexpr std::size_t fixedTail = 3 * 4 + 7 * 4 + 1 + 2 * 4;  // bonuses, texts, codes, byte, texts
    const std::size_t motionCountAt = empty.size() - afterEvents - 4 - fixedTail - 4;
    std::string bytes = empty.substr(0, motionCountAt) + motionPart.data +
                        empty.substr(motionCountAt + 4, fixedTail) + eventPart.data;
    if (complete) bytes += empty.substr(empty.size() - afterEvents);
    return bytes;
}

// An event part of one event whose one root is the given content record.
inline Bytes oneTree(const Bytes& root) {
    return Bytes().int32(1).int32(1).append(root);
}

// The header of a content record with no name, its child count stored as given
// (childCountBias included), for records whose children or count are written by hand.
inline Bytes headerOf(ContentKind kind, std::int32_t storedChildCount) {
    return Bytes().byte(static_cast<std::uint8_t>(kind)).string("").int32(storedChildCount);
}

// A chain of Content_Start records, each the only child of the one before, written
// header by header so that very deep chains cost no recursion to build.
inline Bytes chainOf(std::size_t depth, const Bytes& tip = ContentRecord(ContentKind::Start).bytes()) {
    const Bytes link = headerOf(ContentKind::Start, childCountBias + 1);
    Bytes out;
    for (std::size_t level = 1; level < depth; ++level) out.append(link);
    return out.append(tip);
}

}  // namespace Vantorn::testing
