#pragma once

// The skill card record and the motion record, each listed once, field by field in
// file order, with the bounds its reader checks. The reader (cards/), the card writer
// (cardwriter/), the listing (which hears the reader's names) and the check of
// docs/format.md all follow these lists.
//
// A visitor sees each field with its name and a reference to where it is kept: the
// reader's SkillCard and Motion, or the writer's records, which use the same member
// names. Items a card does not keep (the tag, the picture, a number and two reserved
// fields) are held by the Unkept structs: the reader drops them there, the writer
// writes them from there.

#include <array>
#include <cstdint>
#include <string>

#include "cards/CodedFields.hpp"
#include "cards/Range.hpp"

namespace Vantorn {

// The skill card file's first byte.
constexpr std::uint8_t skillCardTag = 5;

struct UnkeptMotionFields {
    std::int32_t reserved1 = 0;  // a byte
    std::int32_t reserved2 = 0;
};

// The motion record: a fixed part, then a tail that its category decides.
template <class Motion, class Unkept, class Visitor>
void visitMotionFields(Motion& motion, Unkept& unkept, Visitor& v) {
    v.byte("category", motion.category);
    v.byte("reserved1", unkept.reserved1);
    v.int32("reserved2", unkept.reserved2);
    v.byte(coded::element.field, motion.attr, coded::element.bounds());
    v.byte("subType", motion.subType);
    switch (motion.category) {
    case 0:
    case 1:
        v.byte(coded::valueType.field, motion.valueType, coded::valueType.bounds());
        v.int32("value", motion.value);
        break;
    case 3:
    case 4:
        v.int32("rounds", motion.rounds, nonNegative);
        break;
    case 5:
        v.int32("value", motion.value);
        v.int32("rounds", motion.rounds, nonNegative);
        break;
    case 2:
    case 6:
    case 7:
        break;
    default:
        // Summoning (8) and unknown categories: no tail is known.
        v.unreadableCategory("category", motion.category);
    }
}

struct UnkeptCardFields {
    std::int32_t tag = skillCardTag;  // a byte
    std::string picture;              // a whole bitmap file, "BM" first; empty for none
    std::int32_t number = 0;
    std::int32_t byteBeforeLevel = 0;  // a byte
};

constexpr std::array<const char*, 3> bonusNames = {"avoidanceBonus", "resistanceBonus", "defenceBonus"};
constexpr std::array<const char*, 2> extraTextNames = {"extraText1", "extraText2"};
constexpr std::array<const char*, 5> keyCodeNames = {"keyCode1", "keyCode2", "keyCode3", "keyCode4", "keyCode5"};

// The skill card record. The bounds are checked once the whole card is read, in file
// order. The coded fields' names and codes are in cards/CodedFields.def.
template <class Card, class Unkept, class Visitor>
void visitCardFields(Card& card, Unkept& unkept, Visitor& v) {
    v.tag("tag", unkept.tag);
    v.picture("pictureSize", "pictureSignature", "picture", unkept.picture);
    v.string("name", card.name);
    v.int32("number", unkept.number);
    v.string("text2", card.text2);
    v.int32(coded::physicalElement.field, card.physicalElement, coded::physicalElement.bounds());
    v.int32(coded::mentalElement.field, card.mentalElement, coded::mentalElement.bounds());
    v.boolean("unusableWhenSilenced", card.unusableWhenSilenced);
    v.boolean("targetsAll", card.targetsAll);
    v.byte(coded::targetType.field, card.targetType, coded::targetType.bounds());
    v.byte(coded::effectAttribute.field, card.effectAttribute, coded::effectAttribute.bounds());
    v.boolean("usesResist", card.usesResist);
    v.int32("successModifier", card.successModifier, Range{-10, 10});
    v.byte("extraByte", card.extraByte);
    v.motions("motionCount", "motion", card.motions);
    for (std::size_t i = 0; i < bonusNames.size(); ++i) v.int32(bonusNames[i], card.bonuses[i]);
    for (std::size_t i = 0; i < extraTextNames.size(); ++i) v.string(extraTextNames[i], card.extraTexts[i]);
    for (std::size_t i = 0; i < keyCodeNames.size(); ++i) v.string(keyCodeNames[i], card.keyCodes[i]);
    v.byte("codeAfterKeys", card.codeAfterKeys, Range{0, 2});
    v.string("text3", card.text3);
    v.string("text4", card.text4);
    v.events("eventCount", "event", card);
    v.byte("byteBeforeLevel", unkept.byteBeforeLevel);
    v.int32("cardLevel", card.cardLevel, nonNegative);
}

}  // namespace Vantorn
