#include "cards/SkillCard.hpp"

#include <algorithm>
#include <stdexcept>

#include "cards/RecordReader.hpp"
#include "format/CardFile.hpp"
#include "format/CardReader.hpp"
#include "format/Errors.hpp"
#include "format/Hex.hpp"

namespace Vantorn {
namespace {

constexpr std::uint16_t bitmapSignature = 0x4D42;  // "BM"
const std::string notASkillCard = "技能カードではありません";

// The card's fields, read; the motions and events by their own readers.
class CardFieldReader final : public RecordReader {
public:
    // `eventsFile`, where given, holds the bytes `in` reads: the events are then read
    // again from it when walked, and not kept.
    CardFieldReader(CardReader& in, std::shared_ptr<const std::string> eventsFile)
        : RecordReader(in), eventsFile_(std::move(eventsFile)) {}

    void tag(const char* name, std::int32_t& value) {
        const std::uint64_t at = in.offset();
        value = in.byte(name);
        if (value != skillCardTag) {
            in.fail(FileCorruptException(notASkillCard), at, name, std::to_string(value), std::to_string(skillCardTag));
        }
    }

    void picture(const char* sizeName, const char* signatureName, const char* name, std::string&) {
        const std::int32_t size = in.int32(sizeName);
        if (size == 0) {
            return;
        }
        const std::uint64_t signatureAt = in.offset();
        const std::uint16_t signature = in.int16(signatureName);
        if (signature != bitmapSignature) {
            in.fail(FileCorruptException(notASkillCard), signatureAt, signatureName, "0x" + hex(signature),
                    "0x4D42 (\"BM\")");
        }
        // A size too small to hold its own signature would move the read position back.
        if (size < 2) {
            in.fail(FileCorruptException(), signatureAt - 4, sizeName, std::to_string(size), "0 or 2 and more");
        }
        in.skip(size - 2, name);
    }

    void motions(const char* countName, const char* record, std::vector<Motion>& motions) {
        const std::int32_t count = in.int32(countName);
        constexpr std::int32_t usualMost = 16;  // a hostile count reserves no more than this
        motions.reserve(static_cast<std::size_t>(std::clamp(count, 0, usualMost)));
        for (std::int32_t i = 0; i < count; ++i) {
            RecordScope scope(in, record, i + 1);
            Motion motion;
            motion.read(in);
            motions.push_back(motion);
        }
    }

    void events(const char*, const char*, SkillCard& card) {
        if (eventsFile_) {
            card.eventPart.readLater(in, eventsFile_);
        } else {
            card.eventPart.read(in);
        }
    }

private:
    std::shared_ptr<const std::string> eventsFile_;
};

SkillCard readCard(std::string_view bytes, std::shared_ptr<const std::string> eventsFile) {
    SkillCard card;
    CardReader reader(bytes);
    card.readFields(reader, std::move(eventsFile));
    return card;
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
    const std::string bytes = readCardFile(path);
    CardReader reader(bytes);
    read(reader);
}

SkillCard readSkillCard(std::string_view bytes) {
    return readCard(bytes, nullptr);
}

SkillCard readSkillCardEventsLater(std::shared_ptr<const std::string> file) {
    const std::string_view bytes = *file;
    return readCard(bytes, std::move(file));
}

SkillCard loadSkillCard(const std::filesystem::path& path) {
    return readSkillCard(readCardFile(path));
}

void SkillCard::read(CardReader& in) {
    readFields(in, nullptr);
}

void SkillCard::readFields(CardReader& in, std::shared_ptr<const std::string> eventsFile) {
    clear();
    CardFieldReader fields(in, std::move(eventsFile));
    UnkeptCardFields unkept;
    visitCardFields(*this, unkept, fields);
    fields.checkBounds([this] { clear(); });
}

std::string SkillCard::getTargetTypeName(int index) {
    const char* name = coded::targetType.name(index);
    if (!name) {
        throw std::out_of_range("SkillCard::getTargetTypeName(): argument out of range");
    }
    return name;
}

std::int32_t SkillCard::getBonus(int index) const {
    if (index < 0 || index > 2) {
        throw std::out_of_range("SkillCard::getBonus(): argument out of range");
    }
    return bonuses[index];
}

}  // namespace Vantorn
