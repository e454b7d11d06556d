#include "cards/SkillCard.hpp"

#include <fstream>
#include <stdexcept>

#include "format/Errors.hpp"
#include "format/Stream.hpp"

namespace Vantorn {
namespace {

constexpr std::uint16_t bitmapSignature = 0x4D42;  // "BM"

void skipPicture(std::istream& in) {
    const std::int32_t size = readInt32(in);
    if (size == 0) {
        return;
    }
    if (readInt16(in) != bitmapSignature) {
        throw FileCorruptException("技能カードではありません");
    }
    // A size too small to hold its own signature would move the read position back.
    if (size < 2) {
        throw FileCorruptException();
    }
    in.seekg(size - 2, std::ios::cur);
}

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
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw OpenFailedException();
    }
    read(in);
}

SkillCard readSkillCard(std::istream& in) {
    SkillCard card;
    card.read(in);
    return card;
}

SkillCard loadSkillCard(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw OpenFailedException();
    }
    return readSkillCard(in);
}

void SkillCard::read(std::istream& in) {
    clear();
    if (readByte(in) != skillCardTag) {
        throw FileCorruptException("技能カードではありません");
    }
    skipPicture(in);
    name = readString(in);
    readInt32(in);
    text2 = readString(in);
    physicalElement = readInt32(in);
    mentalElement = readInt32(in);
    unusableWhenSilenced = readBool(in);
    targetsAll = readBool(in);
    targetType = readByte(in);
    effectAttribute = readByte(in);
    usesResist = readBool(in);
    successModifier = readInt32(in);
    extraByte = readByte(in);
    const std::int32_t motionCount = readInt32(in);
    for (std::int32_t i = 0; i < motionCount; ++i) {
        Motion motion;
        motion.read(in);
        motions.push_back(motion);
    }
    for (std::int32_t& bonus : bonuses) bonus = readInt32(in);
    for (std::string& text : extraTexts) text = readString(in);
    for (std::string& code : keyCodes) code = readString(in);
    codeAfterKeys = readByte(in);
    text3 = readString(in);
    text4 = readString(in);
    eventPart.read(in);
    readByte(in);
    cardLevel = readInt32(in);
    if (!inRange()) {
        clear();
        throw FileCorruptException();
    }
}

bool SkillCard::inRange() const {
    return physicalElement >= 0 && physicalElement <= 5 &&
           mentalElement >= -5 && mentalElement <= 5 &&
           targetType >= 0 && targetType <= 4 &&
           effectAttribute >= 0 && effectAttribute <= 3 &&
           successModifier >= -10 && successModifier <= 10 &&
           codeAfterKeys >= 0 && codeAfterKeys <= 2 &&
           cardLevel >= 0;
}

std::int32_t SkillCard::getBonus(int index) const {
    if (index < 0 || index > 2) {
        throw std::out_of_range("SkillCard::getBonus(): argument out of range");
    }
    return bonuses[index];
}

}  // namespace Vantorn
