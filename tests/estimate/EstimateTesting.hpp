#pragma once

// Cards for the estimate tests, built as file bytes and read back through the card reader.

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"
#include "report/Report.hpp"
#include "cardwriter/CardWriter.hpp"

namespace Vantorn::testing {

constexpr std::uint8_t levelRatio = 0;
constexpr std::uint8_t direct = 1;
constexpr std::uint8_t maximum = 2;

constexpr std::uint8_t attrAll = 0;
constexpr std::uint8_t attrBody = 1;
constexpr std::uint8_t attrHoly = 3;
constexpr std::uint8_t attrMagic = 4;
constexpr std::uint8_t attrFire = 5;

constexpr std::uint8_t noTarget = 0;
constexpr std::uint8_t user = 1;
constexpr std::uint8_t allies = 2;
constexpr std::uint8_t enemies = 3;
constexpr std::uint8_t bothSides = 4;

// Categories 0 and 1: an amount given by value type.
inline MotionRecord strength(std::uint8_t category, std::uint8_t subType, std::uint8_t valueType,
                             std::int32_t value, std::uint8_t attr = attrAll) {
    return MotionRecord(category, subType, attr, valueType, value);
}

// Categories 3 and 4: a duration.
inline MotionRecord lasting(std::uint8_t category, std::uint8_t subType, std::int32_t rounds) {
    return MotionRecord(category, subType, attrAll, 0, 0, rounds);
}

// Category 5: an ability change by value for some rounds.
inline MotionRecord abilityChange(std::uint8_t subType, std::int32_t value, std::int32_t rounds) {
    return MotionRecord(5, subType, attrAll, 0, value, rounds);
}

// Categories 2, 6 and 7: nothing but the effect and its element.
inline MotionRecord plain(std::uint8_t category, std::uint8_t subType, std::uint8_t attr = attrAll) {
    return MotionRecord(category, subType, attr);
}

inline SkillCardRecord cardWith(std::uint8_t targetType, std::vector<MotionRecord> motions = {}) {
    SkillCardRecord record;
    record.targetType = targetType;
    record.motions = std::move(motions);
    return record;
}

// The card that the reader makes of the record's bytes.
inline std::unique_ptr<SkillCard> loadCard(const SkillCardRecord& record) {
    return std::make_unique<SkillCard>(readSkillCard(record.bytes().data));
}

// What one estimator wrote, and the level it returned.
struct Working {
    std::string text;
    double level;
};

// An estimator's working as the report writes it, with the precision of the estimate's
// working lines; the no-target estimate has a level and no working.
template <class Estimator>
Working workingOf(Estimator estimator, const SkillCardRecord& record) {
    const std::unique_ptr<SkillCard> card = loadCard(record);
    std::ostringstream out;
    out.precision(4);
    if constexpr (std::is_same_v<decltype(estimator(*card)), double>) {
        return {out.str(), estimator(*card)};
    } else {
        const LevelWorking working = estimator(*card);
        writeWorking(out, working);
        return {out.str(), working.level};
    }
}

// The first line of a working, without its line end.
inline std::string totalsLine(const Working& working) {
    return working.text.substr(0, working.text.find('\n'));
}

// Everything estimateLevel writes for the card.
inline std::string estimateText(const SkillCardRecord& record) {
    const std::unique_ptr<SkillCard> card = loadCard(record);
    std::ostringstream out;
    writeEstimate(out, estimateLevel(*card));
    return out.str();
}

}  // namespace Vantorn::testing
