#include "cards/CardNames.hpp"

#include <array>
#include <stdexcept>
#include <string>

#include "cards/SkillCard.hpp"

namespace Vantorn {
namespace {

constexpr std::array<const char*, 5> targetTypeNames = {
    "対象無し", "使用者", "味方", "敵方", "双方",
};
constexpr std::array<const char*, 4> effectAttributeNames = {
    "物理", "魔法", "魔法的物理", "物理的魔法",
};
constexpr std::array<const char*, 6> abilityNames = {
    "器用度", "知力", "敏捷性", "筋力", "生命力", "精神力",
};
// Indexed by mentalElement + 5: opposite poles sit at the same distance from the middle.
constexpr std::array<const char*, 11> personalityNames = {
    "正直", "大胆", "臆病", "内気", "平和", "????", "好戦", "陽気", "勇敢", "慎重", "狡猾",
};

template <std::size_t N>
const char* nameAt(const std::array<const char*, N>& names, std::int64_t index) {
    return index >= 0 && index < static_cast<std::int64_t>(N) ? names[static_cast<std::size_t>(index)]
                                                               : nullptr;
}

}  // namespace

const char* targetTypeName(std::int32_t targetType) { return nameAt(targetTypeNames, targetType); }
const char* effectAttributeName(std::int32_t code) { return nameAt(effectAttributeNames, code); }
const char* abilityName(std::int32_t physicalElement) { return nameAt(abilityNames, physicalElement); }
const char* personalityName(std::int32_t mentalElement) {
    return nameAt(personalityNames, std::int64_t{mentalElement} + 5);
}

std::string SkillCard::getTargetTypeName(int index) {
    const char* name = targetTypeName(index);
    if (!name) {
        throw std::out_of_range("SkillCard::getTargetTypeName(): argument out of range");
    }
    return name;
}

}  // namespace Vantorn
