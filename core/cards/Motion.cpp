#include "cards/Motion.hpp"

#include <array>
#include <stdexcept>

#include "format/Errors.hpp"
#include "cards/Layouts.hpp"
#include "cards/RecordReader.hpp"
#include "format/CardReader.hpp"

namespace Vantorn {
namespace {

struct EffectCell {
    int category;
    int subType;
    EffectType type;
};

constexpr EffectCell effectCells[] = {
#define EFFECT(category, subType, name, form, offensive, supportive) {category, subType, {name, ValueForm::form}},
#include "cards/Effects.def"
};

// Rows by category, columns by subType; a cell the table does not list stays empty.
constexpr auto effectTypeTable = [] {
    std::array<std::array<EffectType, effectSubTypeCount>, effectCategoryCount> table{};
    for (const EffectCell& cell : effectCells) table[cell.category][cell.subType] = cell.type;
    return table;
}();

constexpr EffectType undefinedEffect{nullptr, ValueForm::none};

// The categories a card can be read with: summoning (8) is known but not supported, so
// it and anything past it are refused against the same range.
constexpr const char* readableCategories = "0..7";

}  // namespace

const EffectType& effectType(std::int32_t category, std::int32_t subType) {
    if (category < 0 || category >= effectCategoryCount || subType < 0 ||
        subType >= effectSubTypeCount) {
        return undefinedEffect;
    }
    return effectTypeTable[category][subType];
}

Motion::Motion() {
    clear();
}

void Motion::clear() {
    category = subType = attr = value = rounds = 0;
    valueType = ValueType::levelRatio;
}

namespace {

// The motion's fields, read; a category without a known tail ends the card.
class MotionReader final : public RecordReader {
public:
    using RecordReader::RecordReader;
    void unreadableCategory(const char* name, std::int32_t category) {
        if (category == 8) {
            in.fail(SummoningNotSupportedException(), recordAt, name, "8 (summoning)", readableCategories);
        }
        in.fail(FileCorruptException(), recordAt, name, std::to_string(category), readableCategories);
    }
    std::uint64_t recordAt = in.offset();
};

}  // namespace

void Motion::read(CardReader& in) {
    MotionReader fields(in);
    UnkeptMotionFields unkept;
    visitMotionFields(*this, unkept, fields);
    fields.checkBounds([] {});
}

std::string Motion::getAttrName(int index) {
    const char* name = coded::element.name(index);
    if (!name) {
        throw std::out_of_range("Motion::getAttrName(): argument out of range");
    }
    return name;
}

}  // namespace Vantorn
