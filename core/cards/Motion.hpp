#pragma once

#include <cstdint>
#include <string>

#include "cards/CodedFields.hpp"
#include "format/VTObject.hpp"

namespace Vantorn {

class CardReader;

// How a motion of categories 0 and 1 gives its strength; named by coded::valueType.
enum class ValueType : std::int32_t { levelRatio, direct, maximum };
static_assert(coded::valueType.lowest == 0 && coded::valueType.count == 3, "a name for each ValueType");

// One effect of a skill card on its targets: a plain copyable value.
class Motion : public VTObject {
public:
    Motion();

    // Reads one motion record; the fields its category does not carry stay 0.
    void read(CardReader& in);

    virtual void clear();

    // The element's name (coded::element); throws outside the names.
    static std::string getAttrName(int index);

    std::int32_t category;   // row of the effect type table, 0..7 once read
    std::int32_t subType;    // column of the effect type table
    std::int32_t attr;       // element (coded::element)
    ValueType valueType;     // categories 0 and 1; levelRatio for the others
    std::int32_t value;
    std::int32_t rounds;
};

// What the description writes after an effect's name. The effects are in
// cards/Effects.def.
enum class ValueForm { none, strength, duration, strengthAndDuration };

struct EffectType {
    const char* name;  // nullptr for a cell the game does not define
    ValueForm form;
};

constexpr int effectCategoryCount = 9;
constexpr int effectSubTypeCount = 8;

// The effect's cell, or an empty one for a pair outside the table.
const EffectType& effectType(std::int32_t category, std::int32_t subType);

}  // namespace Vantorn
