#include "cards/SkillCard.hpp"

#include <limits>
#include <stdexcept>

#include "format/CardFile.hpp"
#include "format/CardReader.hpp"
#include "format/Errors.hpp"
#include "format/Hex.hpp"

namespace Vantorn {
namespace {

constexpr std::uint16_t bitmapSignature = 0x4D42;  // "BM"
const std::string notASkillCard = "技能カードではありません";

void skipPicture(CardReader& in) {
    const std::int32_t size = in.int32("pictureSize");
    if (size == 0) {
        return;
    }
    const std::uint64_t signatureAt = in.offset();
    const std::uint16_t signature = in.int16("pictureSignature");
    if (signature != bitmapSignature) {
        in.fail(FileCorruptException(notASkillCard), signatureAt, "pictureSignature",
                "0x" + hex(signature), "0x4D42 (\"BM\")");
    }
    // A size too small to hold its own signature would move the read position back.
    if (size < 2) {
        in.fail(FileCorruptException(), signatureAt - 4, "pictureSize", std::to_string(size), "0 or 2 and more");
    }
    in.skip(size - 2, "picture");
}

// A coded field, where it was read and the codes it may hold.
struct CodedField {
    const char* name;
    std::int32_t value;
    std::uint64_t offset;
    std::int32_t lowest;
    std::int32_t highest;
};

}  // namespace

SkillCard::SkillCard() {
    clear();
}

void SkillCard::clear() {
    name.clear();
    text2.clear();
    text3.clear();
    text4.clear();
    for (std::string& text : extraTexts) text.clear();
    for (std::string& code : keyCodes) code.clear();
    unusableWhenSilenced = targetsAll = usesResist = false;
    physicalElement = mentalElement = targetType = effectAttribute = 0;
    codeAfterKeys = cardLevel = successModifier = extraByte = 0;
    bonuses = {0, 0, 0};
    motions.clear();
}

void SkillCard::load(const std::string& path) {
    const std::string bytes = readCardFile(path);
    CardReader reader(bytes);
    read(reader);
}

SkillCard readSkillCard(std::string_view bytes) {
    SkillCard card;
    CardReader reader(bytes);
    card.read(reader);
    return card;
}

SkillCard loadSkillCard(const std::filesystem::path& path) {
    return readSkillCard(readCardFile(path));
}

void SkillCard::read(CardReader& in) {
    clear();
    const std::uint64_t tagAt = in.offset();
    const std::uint8_t tag = in.byte("tag");
    if (tag != skillCardTag) {
        in.fail(FileCorruptException(notASkillCard), tagAt, "tag", std::to_string(tag), "5");
    }
    skipPicture(in);
    name = in.string("name");
    in.int32("number");
    text2 = in.string("text2");
    const std::uint64_t physicalAt = in.offset();
    physicalElement = in.int32("physicalElement");
    const std::uint64_t mentalAt = in.offset();
    mentalElement = in.int32("mentalElement");
    unusableWhenSilenced = in.boolean("unusableWhenSilenced");
    targetsAll = in.boolean("targetsAll");
    const std::uint64_t targetAt = in.offset();
    targetType = in.byte("targetType");
    const std::uint64_t attributeAt = in.offset();
    effectAttribute = in.byte("effectAttribute");
    usesResist = in.boolean("usesResist");
    const std::uint64_t modifierAt = in.offset();
    successModifier = in.int32("successModifier");
    extraByte = in.byte("extraByte");
    const std::int32_t motionCount = in.int32("motionCount");
    for (std::int32_t i = 0; i < motionCount; ++i) {
        RecordScope record(in, "motion", i + 1);
        Motion motion;
        motion.read(in);
        motions.push_back(motion);
    }
    bonuses[0] = in.int32("avoidanceBonus");
    bonuses[1] = in.int32("resistanceBonus");
    bonuses[2] = in.int32("defenceBonus");
    extraTexts[0] = in.string("extraText1");
    extraTexts[1] = in.string("extraText2");
    static constexpr const char* keyCodeNames[] = {"keyCode1", "keyCode2", "keyCode3", "keyCode4", "keyCode5"};
    for (std::size_t i = 0; i < keyCodes.size(); ++i) keyCodes[i] = in.string(keyCodeNames[i]);
    const std::uint64_t afterKeysAt = in.offset();
    codeAfterKeys = in.byte("codeAfterKeys");
    text3 = in.string("text3");
    text4 = in.string("text4");
    eventPart.read(in);
    in.byte("byteBeforeLevel");
    const std::uint64_t levelAt = in.offset();
    cardLevel = in.int32("cardLevel");

    // Checked once the whole file is read, in this order.
    const CodedField coded[] = {
        {"physicalElement", physicalElement, physicalAt, 0, 5},
        {"mentalElement", mentalElement, mentalAt, -5, 5},
        {"targetType", targetType, targetAt, 0, 4},
        {"effectAttribute", effectAttribute, attributeAt, 0, 3},
        {"successModifier", successModifier, modifierAt, -10, 10},
        {"codeAfterKeys", codeAfterKeys, afterKeysAt, 0, 2},
        {"cardLevel", cardLevel, levelAt, 0, std::numeric_limits<std::int32_t>::max()},
    };
    for (const CodedField& field : coded) {
        if (field.value < field.lowest || field.value > field.highest) {
            clear();
            const std::string allowed = field.highest == std::numeric_limits<std::int32_t>::max()
                                            ? std::to_string(field.lowest) + " and more"
                                            : std::to_string(field.lowest) + ".." + std::to_string(field.highest);
            in.fail(FileCorruptException(), field.offset, field.name, std::to_string(field.value), allowed);
        }
    }
}

std::int32_t SkillCard::getBonus(int index) const {
    if (index < 0 || index > 2) {
        throw std::out_of_range("SkillCard::getBonus(): argument out of range");
    }
    return bonuses[index];
}

}  // namespace Vantorn
