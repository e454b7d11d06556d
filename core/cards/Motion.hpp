#pragma once

#include <cstdint>
#include <string>

#include "format/VTObject.hpp"

namespace Vantorn {

class CardReader;

// One effect of a skill card on its targets: a plain copyable value.
class Motion : public VTObject {
public:
    Motion();

    // Reads one motion record; the fields its category does not carry stay 0.
    void read(CardReader& in);

    virtual void clear();

    static std::string getAttrName(int index);
    // The element's name, or nullptr outside the names (no exception).
    static const char* attrName(std::int32_t attr);

    std::int32_t category;   // row of the effect type table, 0..7 once read
    std::int32_t subType;    // column of the effect type table
    std::int32_t attr;       // element; names exist for 0..6
    std::int32_t valueType;  // 0 level ratio, 1 direct, 2 maximum
    std::int32_t value;
    std::int32_t rounds;
};

// What the description writes after an effect's name.
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
