#pragma once

// The 66 kinds of event script content. Each reads its own fields, in file order,
// after its descendants, and writes its own line of the report.

#include <cstdint>
#include <iosfwd>
#include <string>

#include "events/Content.hpp"

namespace Vantorn {

// Which card, how many, and within which range: shared by the item, skill and beast kinds.
struct CardFields {
    std::int32_t cardId = 0;
    std::int32_t count = 0;
    std::int32_t scope = 0;  // a byte, 0..255
};

struct Content_Start final : Content {
    void describeLine(std::ostream& out) const override;
};

struct Content_LinkToStart final : Content_Terminal {
    std::string startName;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_StartBattle final : Content_Terminal {
    std::int32_t battleId = 0;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_ScenarioClear final : Content_Terminal {
    bool markCompleted = false;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_GameOver final : Content_Terminal {
    void describeLine(std::ostream& out) const override;
};

struct Content_ChangeArea final : Content_Terminal {
    std::int32_t areaId = 0;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_Message final : Content_Normal {
    std::string imagePath;
    std::string text;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_ChangeBGM final : Content_Normal {
    std::string musicPath;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_ChangeBG final : Content_Normal {
    std::int32_t readHeader(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_PlaySE final : Content_Normal {
    std::string soundPath;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_Wait final : Content_Normal {
    std::int32_t duration = 0;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_Effect final : Content_Normal {
    std::int32_t readHeader(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_Branch_MemberChoice final : Content_Branch {
    bool wholeParty = false;
    bool random = false;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_Branch_AbilityCheck final : Content_Branch {
    std::int32_t value1 = 0;
    std::int32_t code1 = 0;  // a byte, 0..255
    std::int32_t value2 = 0;
    std::int32_t value3 = 0;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_Branch_Random final : Content_Branch {
    std::int32_t percent = 0;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_Branch_Flag final : Content_Branch {
    std::string flagName;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_SetFlag final : Content_Normal {
    std::string flagName;
    bool value = false;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_MultiBranch_Step final : Content_Branch {
    std::string stepName;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_SetStep final : Content_Normal {
    std::string stepName;
    std::int32_t value = 0;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_Branch_Presense_Cast final : Content_Branch {
    std::int32_t castId = 0;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_Branch_Posession_Item final : Content_Branch, CardFields {
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_Branch_Posession_Skill final : Content_Branch, CardFields {
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_Branch_Posession_Info final : Content_Branch {
    std::int32_t infoId = 0;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_Branch_Presense_Beast final : Content_Branch, CardFields {
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_Branch_Money final : Content_Branch {
    std::int32_t amount = 0;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_Branch_Posession_Coupon final : Content_Branch {
    std::string couponName;
    std::int32_t unknownValue = 0;
    std::int32_t scope = 0;  // a byte, 0..255
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_GetCast final : Content_Normal {
    std::int32_t castId = 0;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_GetItem final : Content_Normal, CardFields {
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_GetSkill final : Content_Normal, CardFields {
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_GetInfo final : Content_Normal {
    std::int32_t infoId = 0;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_GetBeast final : Content_Normal, CardFields {
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_GetMoney final : Content_Normal {
    std::int32_t amount = 0;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_GetCoupon final : Content_Normal {
    std::string couponName;
    std::int32_t value = 0;
    std::int32_t scope = 0;  // a byte, 0..255
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_LoseCast final : Content_Normal {
    std::int32_t castId = 0;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_LoseItem final : Content_Normal, CardFields {
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_LoseSkill final : Content_Normal, CardFields {
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_LoseInfo final : Content_Normal {
    std::int32_t infoId = 0;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_LoseBeast final : Content_Normal, CardFields {
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_LoseMoney final : Content_Normal {
    std::int32_t amount = 0;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_LoseCoupon final : Content_Normal {
    std::string couponName;
    std::int32_t scope = 0;  // a byte, 0..255
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_Serifu final : Content_Normal {
    std::int32_t readHeader(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_IncStep final : Content_Normal {
    std::string stepName;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_DecStep final : Content_Normal {
    std::string stepName;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_InvertFlag final : Content_Normal {
    std::string flagName;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_BiBranch_Step final : Content_Branch {
    std::string stepName;
    std::int32_t boundary = 0;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_IncRound final : Content_Normal {
    void describeLine(std::ostream& out) const override;
};

struct Content_Branch_Level final : Content_Branch {
    bool average = false;
    std::int32_t level = 0;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_Branch_Status final : Content_Branch {
    std::int32_t status = 0;  // a byte, 0..255
    std::int32_t targetMember = 0;  // a byte, 0..255
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_Branch_MemberCount final : Content_Branch {
    std::int32_t memberCount = 0;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_ShowParty final : Content_Normal {
    void describeLine(std::ostream& out) const override;
};

struct Content_HideParty final : Content_Normal {
    void describeLine(std::ostream& out) const override;
};

struct Content_BreakEffect final : Content_Terminal {
    void describeLine(std::ostream& out) const override;
};

struct Content_CallStart final : Content_Normal {
    std::string startName;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_LinkToPackage final : Content_Terminal {
    std::int32_t packageId = 0;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_CallPackage final : Content_Normal {
    std::int32_t packageId = 0;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_Branch_Area final : Content_Branch {
    void describeLine(std::ostream& out) const override;
};

struct Content_Branch_Battle final : Content_Branch {
    void describeLine(std::ostream& out) const override;
};

struct Content_Branch_ClearedScenario final : Content_Branch {
    std::string scenarioName;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_AddClearedScenario final : Content_Normal {
    std::string scenarioName;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_RemoveClearedScenaio final : Content_Normal {
    std::string scenarioName;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_Branch_Gossip final : Content_Branch {
    std::string gossip;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_AddGossip final : Content_Normal {
    std::string gossip;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_RemoveGossip final : Content_Normal {
    std::string gossip;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};

struct Content_Branch_BattleResult final : Content_Branch {
    void describeLine(std::ostream& out) const override;
};

struct Content_RedrawScreen final : Content_Normal {
    void describeLine(std::ostream& out) const override;
};

struct Content_FlagCheck final : Content_Normal {
    std::string flagName;
    void readOwnFields(std::istream& in) override;
    void describeLine(std::ostream& out) const override;
};
}  // namespace Vantorn
