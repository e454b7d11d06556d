#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cards/Layouts.hpp"
#include "cards/Motion.hpp"
#include "format/VTObject.hpp"
#include "events/Event.hpp"

namespace Vantorn {

class CardReader;

class VTCard : public VTObject {
public:
    std::string name;
};

// One skill card, decoded whole from its file. Fields are read once by load and
// only read afterwards.
class SkillCard : public VTCard {
public:
    SkillCard();
    SkillCard(const SkillCard&) = delete;
    SkillCard& operator=(const SkillCard&) = delete;
    SkillCard(SkillCard&&) = default;
    SkillCard& operator=(SkillCard&&) = default;

    // Reads the file at path (bytes passed to the platform unchanged).
    void load(const std::string& path);
    // Reads a whole card, then range-checks it. The events are appended to those
    // already held: to read another card, use a fresh object (readSkillCard,
    // loadSkillCard).
    void read(CardReader& in);
    // The same; with `eventsFile` (the bytes `in` reads) the events are checked but not
    // kept, and read again from it whenever they are walked (EventPart::readLater).
    void readFields(CardReader& in, std::shared_ptr<const std::string> eventsFile);

    // Empties every field except the event part.
    virtual void clear();

    // 0 avoidance, 1 resistance, 2 defence.
    std::int32_t getBonus(int index) const;
    static std::string getTargetTypeName(int index);

    std::string text2;
    std::string text3;
    std::string text4;
    std::array<std::string, 2> extraTexts;
    std::array<std::string, 5> keyCodes;
    bool unusableWhenSilenced;
    bool targetsAll;
    bool usesResist;
    std::int32_t physicalElement;  // 0..5
    std::int32_t mentalElement;    // -5..5
    std::int32_t targetType;       // 0 none, 1 user, 2 allies, 3 enemies, 4 both sides
    std::int32_t effectAttribute;  // 0..3
    std::int32_t codeAfterKeys;    // 0..2
    std::int32_t cardLevel;        // 0 or more
    std::int32_t successModifier;  // -10..10
    std::int32_t extraByte;
    std::array<std::int32_t, 3> bonuses;
    EventPart eventPart;
    std::vector<Motion> motions;

};

// A fresh card read from the bytes of a card file, or from the file at path (read
// whole first, see readCardFile): nothing of another card can be mixed into it.
SkillCard readSkillCard(std::string_view bytes);
SkillCard loadSkillCard(const std::filesystem::path& path);
// A card read from the file's bytes that keeps them instead of its events, for a card
// too large to hold decoded: its events are read again, a content tree at a time,
// whenever a writer walks them.
SkillCard readSkillCardEventsLater(std::shared_ptr<const std::string> file);

}  // namespace Vantorn
