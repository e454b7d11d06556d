#pragma once

// Card files for the hostile-file suite, the fuzzing seeds and the peak-memory
// measurement: one rich card that uses every kind the format has, and builders for
// files that push each count, length and depth to its bound and past it. Everything
// is written with the project's own card writer.

#include <cstdint>
#include <string>
#include <vector>

#include "cardwriter/CardWriter.hpp"

namespace Vantorn::testing {

// The three kinds whose layout is unknown: any card holding one fails to load.
inline bool isReadableKind(std::uint8_t code) {
    return code != 8 && code != 11 && code != 40;
}

// Plausible own fields for every readable content kind, in file order.
inline Bytes sampleOwnFields(std::uint8_t code) {
    const auto cardGroup = [](std::int32_t id) { return Bytes().int32(id).int32(2).byte(1); };
    switch (code) {
    case 1: case 52: return Bytes().string("開始");
    case 2: case 5: case 19: case 22: case 26: case 29: case 33: case 36: case 48: case 53: case 54:
        return Bytes().int32(code);
    case 3: return Bytes().boolean(true);
    case 6: return Bytes().string("face.bmp").string("炎の矢が飛ぶ！\n敵は身構えた。");
    case 7: return Bytes().string("bgm.mid");
    case 9: return Bytes().string("se.wav");
    case 10: return Bytes().int32(-3);
    case 12: return Bytes().boolean(true).boolean(false);
    case 13: return Bytes().int32(1).byte(0xFF).int32(3).int32(4);
    case 14: return Bytes().int32(150);
    case 15: case 43: case 65: return Bytes().string("旗");
    case 16: return Bytes().string("旗").byte(2);
    case 17: case 41: case 42: return Bytes().string("段階");
    case 18: return Bytes().string("段階").int32(-1);
    case 20: case 21: case 23: case 27: case 28: case 30: case 34: case 35: case 37: return cardGroup(code);
    case 24: case 31: case 38: return Bytes().int32(-5);
    case 25: return Bytes().string("勇者").int32(-7).byte(2);
    case 32: return Bytes().string("勇者").int32(5).byte(0xFF);
    case 39: return Bytes().string("勇者").byte(0);
    case 44: return Bytes().string("段階").int32(2);
    case 46: return Bytes().boolean(false).int32(3);
    case 47: return Bytes().byte(0xFF).byte(2);
    case 57: case 58: case 59: return Bytes().string("旅");
    case 60: case 61: case 62: return Bytes().string("噂");
    default: return {};  // kinds without own fields, and the unreadable ones
    }
}

inline ContentRecord sampleContent(std::uint8_t code, std::vector<ContentRecord> children = {}) {
    return ContentRecord(code, sampleOwnFields(code), std::move(children));
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
    for (std::uint8_t code = 1; code <= 65; ++code) {
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
    ContentRecord start = sampleContent(0, std::move(branches));
    start.name = "使用時";
    card.events.push_back({std::move(start), sampleContent(45, std::move(leaves))});
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

// A chain of Content_Start records, each the only child of the one before, written
// header by header so that very deep chains cost no recursion to build.
inline Bytes chainOf(std::size_t depth, const Bytes& tip = Bytes().byte(0).int32(0).int32(40000)) {
    Bytes out;
    for (std::size_t level = 1; level < depth; ++level) out.byte(0).int32(0).int32(40001);
    return out.append(tip);
}

}  // namespace Vantorn::testing
