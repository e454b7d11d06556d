#include "estimate/Weights.hpp"

#include "cards/Motion.hpp"

namespace Vantorn {
namespace {

constexpr Rule none = Rule::none;
constexpr Rule life = Rule::life;
constexpr Rule poison = Rule::poison;
constexpr Rule fixed = Rule::fixed;
constexpr Rule perRound = Rule::perRound;
constexpr Rule sleep = Rule::sleep;
constexpr Rule perRoundAndValue = Rule::perRoundAndValue;
constexpr Rule loweringAbility = Rule::loweringAbility;
constexpr Rule raisingAbility = Rule::raisingAbility;

constexpr std::uint32_t holyOrMagic = holy | magic;

// The largest possible change of an ability, which earns a weight of its own.
constexpr double extremeAbilityChange = 10;
// Sleep is weighed at full rate for this many rounds, at a lower rate after.
constexpr double fullSleepRounds = 3;

}  // namespace

// What an enemy suffers counts for the card; what helps the enemy counts against it.
//                    {rule, amount, special}, elements, {weight for those elements}
const WeightTable offensiveWeights = {{
    {{
        {{life, -1, -100}},                              // (0, 0) 生命力回復
        {{life, 1, 200}, holyOrMagic, {life, 0.5, 100}},  // (0, 1) 生命力ダメージ
        {{life, 2, 400}, holyOrMagic, {life, 1, 200}},    // (0, 2) 生命力吸収
    }},
    {{
        {{life, 18, 720}},                               // (1, 0) 麻痺状態
        {{none}},                                        // (1, 1) 麻痺解除
        {{poison, 1, 40}},                               // (1, 2) 中毒状態
        {{none}},                                        // (1, 3) 中毒解除
    }},
    {{
        {{fixed, -2}},                                   // (2, 0) 精神力回復
        {{fixed, 40}},                                   // (2, 1) 精神力不能
    }},
    {{
        {{sleep, 8, 3}},                                 // (3, 0) 睡眠状態
        {{perRound, 7}},                                 // (3, 1) 混乱状態
        {{perRound, 2}},                                 // (3, 2) 激昂状態
        {{perRound, -1}},                                // (3, 3) 勇敢状態
        {{perRound, 4}},                                 // (3, 4) 恐慌状態
        {{fixed, -5}},                                   // (3, 5) 正常状態
    }},
    {{
        {{perRound, 12}},                                // (4, 0) 束縛状態
        {{fixed, -5}},                                   // (4, 1) 束縛解除
        {{perRound, 6}},                                 // (4, 2) 沈黙状態
        {{fixed, -6}},                                   // (4, 3) 沈黙解除
        {{perRound, 1}},                                 // (4, 4) 暴露状態
        {{fixed, -2}},                                   // (4, 5) 暴露解除
        {{perRound, 2}},                                 // (4, 6) 魔法無効化状態
        {{fixed, -2}},                                   // (4, 7) 魔法無効化解除
    }},
    {{
        {{perRoundAndValue, -1}},                        // (5, 0) 行動力変化
        {{loweringAbility, -0.3, 10}},                   // (5, 1) 回避力変化
        {{loweringAbility, -0.3, 10}},                   // (5, 2) 抵抗力変化
        {{loweringAbility, -0.5, 15}},                   // (5, 3) 防御力変化
    }},
    {{
        {{fixed, 400}, holy, {fixed, 20}},               // (6, 0) 対象消去（★非推奨）
        {{fixed, 2}},                                    // (6, 1) カード消去
        {{fixed, 80}},                                   // (6, 2) 召喚獣消去
    }},
    {{
        {{fixed, 3}},                                    // (7, 0) 通常攻撃配布
        {{fixed, 2}},                                    // (7, 1) 渾身の一撃配布
        {{fixed, 2}},                                    // (7, 2) 会心配布
        {{fixed, 2}},                                    // (7, 3) フェイント配布
        {{fixed, 3}},                                    // (7, 4) 防御配布
        {{fixed, 4}},                                    // (7, 5) 見切り配布
        {{fixed, 7}},                                    // (7, 6) 混乱配布
        {{fixed, -5}},                                   // (7, 7) 特殊技能配布
    }},
}};

// What helps the card's own side counts for the card; what harms it counts against it.
// The element of a motion plays no part here.
const WeightTable supportiveWeights = {{
    {{
        {{life, 1, 400}},                                // (0, 0) 生命力回復
        {{life, -1, -400}},                              // (0, 1) 生命力ダメージ
        {{life, -0.1, -40}},                             // (0, 2) 生命力吸収
    }},
    {{
        {{life, -18, -720}},                             // (1, 0) 麻痺状態
        {{life, 1.2, 48}},                               // (1, 1) 麻痺解除
        {{poison, -1, -40}},                             // (1, 2) 中毒状態
        {{poison, 1, 40}},                               // (1, 3) 中毒解除
    }},
    {{
        {{fixed, 400}},                                  // (2, 0) 精神力回復
        {{fixed, -40}},                                  // (2, 1) 精神力不能
    }},
    {{
        {{perRound, -8}},                                // (3, 0) 睡眠状態
        {{perRound, -5}},                                // (3, 1) 混乱状態
        {{perRound, -2}},                                // (3, 2) 激昂状態
        {{perRound, 4}},                                 // (3, 3) 勇敢状態
        {{perRound, -4}},                                // (3, 4) 恐慌状態
        {{fixed, 10}},                                   // (3, 5) 正常状態
    }},
    {{
        {{perRound, -13}},                               // (4, 0) 束縛状態
        {{fixed, 12}},                                   // (4, 1) 束縛解除
        {{perRound, -6}},                                // (4, 2) 沈黙状態
        {{fixed, 13}},                                   // (4, 3) 沈黙解除
        {{fixed, -5}},                                   // (4, 4) 暴露状態
        {{fixed, 8}},                                    // (4, 5) 暴露解除
        {{perRound, 3}},                                 // (4, 6) 魔法無効化状態
        {{fixed, 15}},                                   // (4, 7) 魔法無効化解除
    }},
    {{
        {{perRoundAndValue, 1}},                         // (5, 0) 行動力変化
        {{raisingAbility, 0.3, 10}},                     // (5, 1) 回避力変化
        {{raisingAbility, 0.3, 10}},                     // (5, 2) 抵抗力変化
        {{raisingAbility, 0.5, 15}},                     // (5, 3) 防御力変化
    }},
    {{
        {{fixed, -400}},                                 // (6, 0) 対象消去（★非推奨）
        {{fixed, -1}},                                   // (6, 1) カード消去
        {{fixed, -40}},                                  // (6, 2) 召喚獣消去
    }},
    {{
        {{fixed, 1}},                                    // (7, 0) 通常攻撃配布
        {{fixed, 1}},                                    // (7, 1) 渾身の一撃配布
        {{fixed, 1}},                                    // (7, 2) 会心配布
        {{fixed, 1}},                                    // (7, 3) フェイント配布
        {{fixed, 1}},                                    // (7, 4) 防御配布
        {{fixed, 1}},                                    // (7, 5) 見切り配布
        {{fixed, -4}},                                   // (7, 6) 混乱配布
        {{fixed, 40}},                                   // (7, 7) 特殊技能配布
    }},
}};

namespace {

const Cell* cellOf(const WeightTable& table, const Motion& motion) {
    // Unsigned, so that the bits decide alone: a key with its top bit set is simply large.
    const std::uint32_t key =
        (static_cast<std::uint32_t>(motion.category) << 4) | static_cast<std::uint32_t>(motion.subType);
    if (key > 0x77 || key % 16 >= 8) {
        return nullptr;
    }
    return &table[key / 16][key % 16];
}

bool hasElement(std::uint32_t elements, std::int32_t attr) {
    return attr >= 0 && attr < 32 && (elements >> attr & 1u) != 0;
}

void weighStrength(double amount, double maximum, std::int32_t valueType, double value,
                   double& ratioTotal, double& directTotal, bool maximumSets) {
    switch (valueType) {
    case 0: ratioTotal += amount * value; break;
    case 1: directTotal += amount * value; break;
    case 2:
        if (maximumSets) {
            directTotal = maximum;
        } else {
            directTotal += maximum;
        }
        break;
    default: break;
    }
}

}  // namespace

void weigh(const WeightTable& table, const Motion& motion, Totals& totals) {
    const Cell* cell = cellOf(table, motion);
    if (cell == nullptr) {
        return;
    }
    const Weight& weight =
        hasElement(cell->elements, motion.attr) ? cell->elementWeight : cell->weight;
    const double value = motion.value;
    const double rounds = motion.rounds;
    switch (weight.rule) {
    case Rule::none: break;
    case Rule::life:
        weighStrength(weight.amount, weight.special, motion.valueType, value, totals.L, totals.D, false);
        break;
    case Rule::poison:
        // A maximum poison replaces whatever direct poison came before it.
        weighStrength(weight.amount, weight.special, motion.valueType, value, totals.Lp, totals.Dp, true);
        break;
    case Rule::fixed: totals.M += weight.amount; break;
    case Rule::perRound: totals.M += weight.amount * rounds; break;
    case Rule::sleep:
        if (rounds > fullSleepRounds) {
            totals.M += (rounds - fullSleepRounds) * weight.special + weight.amount * fullSleepRounds;
        } else {
            totals.M += weight.amount * rounds;
        }
        break;
    case Rule::perRoundAndValue: totals.M += weight.amount * rounds * value; break;
    case Rule::loweringAbility:
    case Rule::raisingAbility: {
        const double extreme = weight.rule == Rule::loweringAbility ? -extremeAbilityChange
                                                                    : extremeAbilityChange;
        if (value == extreme) {
            totals.M += weight.special * rounds;
        } else {
            totals.M += weight.amount * rounds * value;
        }
        break;
    }
    }
}

}  // namespace Vantorn
