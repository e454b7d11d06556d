#include "cards/Motion.hpp"

#include <array>
#include <stdexcept>

#include "format/Errors.hpp"
#include "cards/Layouts.hpp"
#include "cards/RecordReader.hpp"
#include "format/CardReader.hpp"

namespace Vantorn {
namespace {

constexpr std::array<const char*, 7> attrNames = {
    "全", "肉体", "精神", "神聖", "魔法", "炎", "冷気",
};

constexpr ValueForm none = ValueForm::none;
constexpr ValueForm strength = ValueForm::strength;
constexpr ValueForm duration = ValueForm::duration;
constexpr ValueForm both = ValueForm::strengthAndDuration;

using EffectRow = std::array<EffectType, effectSubTypeCount>;

constexpr std::array<EffectRow, effectCategoryCount> effectTypeTable = {{
    {{{"生命力回復", strength}, {"生命力ダメージ", strength}, {"生命力吸収", strength}}},
    {{{"麻痺状態", strength}, {"麻痺解除", strength}, {"中毒状態", strength}, {"中毒解除", strength}}},
    {{{"精神力回復", none}, {"精神力不能", none}}},
    {{{"睡眠状態", duration}, {"混乱状態", duration}, {"激昂状態", duration},
      {"勇敢状態", duration}, {"恐慌状態", duration}, {"正常状態", none}}},
    {{{"束縛状態", duration}, {"束縛解除", none}, {"沈黙状態", duration}, {"沈黙解除", none},
      {"暴露状態", duration}, {"暴露解除", none}, {"魔法無効化状態", duration},
      {"魔法無効化解除", none}}},
    {{{"行動力変化", both}, {"回避力変化", both}, {"抵抗力変化", both}, {"防御力変化", both}}},
    {{{"対象消去（★非推奨）", none}, {"カード消去", none}, {"召喚獣消去", none}}},
    {{{"通常攻撃配布", none}, {"渾身の一撃配布", none}, {"会心配布", none},
      {"フェイント配布", none}, {"防御配布", none}, {"見切り配布", none}, {"混乱配布", none},
      {"特殊技能配布", none}}},
    {{{"召喚獣召喚", none}}},
}};

constexpr EffectType undefinedEffect{nullptr, none};

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
    category = subType = attr = valueType = value = rounds = 0;
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

const char* Motion::attrName(std::int32_t attr) {
    if (attr < 0 || attr >= static_cast<std::int32_t>(attrNames.size())) {
        return nullptr;
    }
    return attrNames[static_cast<std::size_t>(attr)];
}

std::string Motion::getAttrName(int index) {
    const char* name = attrName(index);
    if (!name) {
        throw std::out_of_range("Motion::getAttrName(): argument out of range");
    }
    return name;
}

}  // namespace Vantorn
