#pragma once

// The content kinds of event scripts, one class each. A class holds the kind's own
// fields and lists them, in file order, in visitFields: the reader, the card writer
// and every output walk that one list. Codes, labels and readability live in
// ContentKinds.def.

#include <cstdint>
#include <string>

#include "events/Content.hpp"
#include "events/ContentKind.hpp"
#include "events/Fields.hpp"

namespace Vantorn {

// A content of one kind and family: its type code is set when it is made.
template <ContentKind Kind, class Family>
struct ContentOf : Family {
    static constexpr ContentKind kind = Kind;
    ContentOf() { this->type = static_cast<std::int32_t>(Kind); }
};

// Which card, how many, and within which range: shared by the item, skill and beast kinds.
struct CardFields {
    std::int32_t cardId = 0;
    std::int32_t count = 0;
    std::int32_t scope = 0;  // a byte, 0..255
    void visitCardFields(FieldVisitor& v) {
        v.int32("cardId", cardId);
        v.int32("count", count);
        v.byte("scope", scope);
    }
};

struct Content_Start final : ContentOf<ContentKind::Start, Content> {};

struct Content_LinkToStart final : ContentOf<ContentKind::LinkToStart, Content_Terminal> {
    std::string startName;
    void visitFields(FieldVisitor& v) override { v.string("startName", startName); }
};

struct Content_StartBattle final : ContentOf<ContentKind::StartBattle, Content_Terminal> {
    std::int32_t battleId = 0;
    void visitFields(FieldVisitor& v) override { v.int32("battleId", battleId); }
};

struct Content_ScenarioClear final : ContentOf<ContentKind::ScenarioClear, Content_Terminal> {
    bool markCompleted = false;
    void visitFields(FieldVisitor& v) override { v.boolean("markCompleted", markCompleted); }
};

struct Content_GameOver final : ContentOf<ContentKind::GameOver, Content_Terminal> {};

struct Content_ChangeArea final : ContentOf<ContentKind::ChangeArea, Content_Terminal> {
    std::int32_t areaId = 0;
    void visitFields(FieldVisitor& v) override { v.int32("areaId", areaId); }
};

struct Content_Message final : ContentOf<ContentKind::Message, Content_Normal> {
    std::string imagePath;
    std::string text;
    void visitFields(FieldVisitor& v) override {
        v.string("imagePath", imagePath);
        v.string("text", text);
    }
};

struct Content_ChangeBGM final : ContentOf<ContentKind::ChangeBGM, Content_Normal> {
    std::string musicPath;
    void visitFields(FieldVisitor& v) override { v.string("musicPath", musicPath); }
};

struct Content_ChangeBG final : ContentOf<ContentKind::ChangeBG, Content_Normal> {};

struct Content_PlaySE final : ContentOf<ContentKind::PlaySE, Content_Normal> {
    std::string soundPath;
    void visitFields(FieldVisitor& v) override { v.string("soundPath", soundPath); }
};

struct Content_Wait final : ContentOf<ContentKind::Wait, Content_Normal> {
    std::int32_t duration = 0;
    void visitFields(FieldVisitor& v) override { v.int32("duration", duration); }
};

struct Content_Effect final : ContentOf<ContentKind::Effect, Content_Normal> {};

struct Content_Branch_MemberChoice final : ContentOf<ContentKind::Branch_MemberChoice, Content_Branch> {
    bool wholeParty = false;
    bool random = false;
    void visitFields(FieldVisitor& v) override {
        v.boolean("wholeParty", wholeParty);
        v.boolean("random", random);
    }
};

struct Content_Branch_AbilityCheck final : ContentOf<ContentKind::Branch_AbilityCheck, Content_Branch> {
    std::int32_t value1 = 0;
    std::int32_t code1 = 0;  // a byte, 0..255
    std::int32_t value2 = 0;
    std::int32_t value3 = 0;
    void visitFields(FieldVisitor& v) override {
        v.int32("value1", value1);
        v.byte("code1", code1);
        v.int32("value2", value2);
        v.int32("value3", value3);
    }
};

struct Content_Branch_Random final : ContentOf<ContentKind::Branch_Random, Content_Branch> {
    std::int32_t percent = 0;
    void visitFields(FieldVisitor& v) override { v.int32("percent", percent); }
};

struct Content_Branch_Flag final : ContentOf<ContentKind::Branch_Flag, Content_Branch> {
    std::string flagName;
    void visitFields(FieldVisitor& v) override { v.string("flagName", flagName); }
};

struct Content_SetFlag final : ContentOf<ContentKind::SetFlag, Content_Normal> {
    std::string flagName;
    bool value = false;
    void visitFields(FieldVisitor& v) override {
        v.string("flagName", flagName);
        v.boolean("value", value);
    }
};

struct Content_MultiBranch_Step final : ContentOf<ContentKind::MultiBranch_Step, Content_Branch> {
    std::string stepName;
    void visitFields(FieldVisitor& v) override { v.string("stepName", stepName); }
};

struct Content_SetStep final : ContentOf<ContentKind::SetStep, Content_Normal> {
    std::string stepName;
    std::int32_t value = 0;
    void visitFields(FieldVisitor& v) override {
        v.string("stepName", stepName);
        v.int32("value", value);
    }
};

struct Content_Branch_Presense_Cast final : ContentOf<ContentKind::Branch_Presense_Cast, Content_Branch> {
    std::int32_t castId = 0;
    void visitFields(FieldVisitor& v) override { v.int32("castId", castId); }
};

struct Content_Branch_Posession_Item final : ContentOf<ContentKind::Branch_Posession_Item, Content_Branch>, CardFields {
    void visitFields(FieldVisitor& v) override { visitCardFields(v); }
};

struct Content_Branch_Posession_Skill final : ContentOf<ContentKind::Branch_Posession_Skill, Content_Branch>, CardFields {
    void visitFields(FieldVisitor& v) override { visitCardFields(v); }
};

struct Content_Branch_Posession_Info final : ContentOf<ContentKind::Branch_Posession_Info, Content_Branch> {
    std::int32_t infoId = 0;
    void visitFields(FieldVisitor& v) override { v.int32("infoId", infoId); }
};

struct Content_Branch_Presense_Beast final : ContentOf<ContentKind::Branch_Presense_Beast, Content_Branch>, CardFields {
    void visitFields(FieldVisitor& v) override { visitCardFields(v); }
};

struct Content_Branch_Money final : ContentOf<ContentKind::Branch_Money, Content_Branch> {
    std::int32_t amount = 0;
    void visitFields(FieldVisitor& v) override { v.int32("amount", amount); }
};

struct Content_Branch_Posession_Coupon final : ContentOf<ContentKind::Branch_Posession_Coupon, Content_Branch> {
    std::string couponName;
    std::int32_t unknownValue = 0;
    std::int32_t scope = 0;  // a byte, 0..255
    void visitFields(FieldVisitor& v) override {
        v.string("couponName", couponName);
        v.int32("unknownValue", unknownValue);
        v.byte("scope", scope);
    }
};

struct Content_GetCast final : ContentOf<ContentKind::GetCast, Content_Normal> {
    std::int32_t castId = 0;
    void visitFields(FieldVisitor& v) override { v.int32("castId", castId); }
};

struct Content_GetItem final : ContentOf<ContentKind::GetItem, Content_Normal>, CardFields {
    void visitFields(FieldVisitor& v) override { visitCardFields(v); }
};

struct Content_GetSkill final : ContentOf<ContentKind::GetSkill, Content_Normal>, CardFields {
    void visitFields(FieldVisitor& v) override { visitCardFields(v); }
};

struct Content_GetInfo final : ContentOf<ContentKind::GetInfo, Content_Normal> {
    std::int32_t infoId = 0;
    void visitFields(FieldVisitor& v) override { v.int32("infoId", infoId); }
};

struct Content_GetBeast final : ContentOf<ContentKind::GetBeast, Content_Normal>, CardFields {
    void visitFields(FieldVisitor& v) override { visitCardFields(v); }
};

struct Content_GetMoney final : ContentOf<ContentKind::GetMoney, Content_Normal> {
    std::int32_t amount = 0;
    void visitFields(FieldVisitor& v) override { v.int32("amount", amount); }
};

struct Content_GetCoupon final : ContentOf<ContentKind::GetCoupon, Content_Normal> {
    std::string couponName;
    std::int32_t value = 0;
    std::int32_t scope = 0;  // a byte, 0..255
    void visitFields(FieldVisitor& v) override {
        v.string("couponName", couponName);
        v.int32("value", value);
        v.byte("scope", scope);
    }
};

struct Content_LoseCast final : ContentOf<ContentKind::LoseCast, Content_Normal> {
    std::int32_t castId = 0;
    void visitFields(FieldVisitor& v) override { v.int32("castId", castId); }
};

struct Content_LoseItem final : ContentOf<ContentKind::LoseItem, Content_Normal>, CardFields {
    void visitFields(FieldVisitor& v) override { visitCardFields(v); }
};

struct Content_LoseSkill final : ContentOf<ContentKind::LoseSkill, Content_Normal>, CardFields {
    void visitFields(FieldVisitor& v) override { visitCardFields(v); }
};

struct Content_LoseInfo final : ContentOf<ContentKind::LoseInfo, Content_Normal> {
    std::int32_t infoId = 0;
    void visitFields(FieldVisitor& v) override { v.int32("infoId", infoId); }
};

struct Content_LoseBeast final : ContentOf<ContentKind::LoseBeast, Content_Normal>, CardFields {
    void visitFields(FieldVisitor& v) override { visitCardFields(v); }
};

struct Content_LoseMoney final : ContentOf<ContentKind::LoseMoney, Content_Normal> {
    std::int32_t amount = 0;
    void visitFields(FieldVisitor& v) override { v.int32("amount", amount); }
};

struct Content_LoseCoupon final : ContentOf<ContentKind::LoseCoupon, Content_Normal> {
    std::string couponName;
    std::int32_t scope = 0;  // a byte, 0..255
    void visitFields(FieldVisitor& v) override {
        v.string("couponName", couponName);
        v.byte("scope", scope);
    }
};

struct Content_Serifu final : ContentOf<ContentKind::Serifu, Content_Normal> {};

struct Content_IncStep final : ContentOf<ContentKind::IncStep, Content_Normal> {
    std::string stepName;
    void visitFields(FieldVisitor& v) override { v.string("stepName", stepName); }
};

struct Content_DecStep final : ContentOf<ContentKind::DecStep, Content_Normal> {
    std::string stepName;
    void visitFields(FieldVisitor& v) override { v.string("stepName", stepName); }
};

struct Content_InvertFlag final : ContentOf<ContentKind::InvertFlag, Content_Normal> {
    std::string flagName;
    void visitFields(FieldVisitor& v) override { v.string("flagName", flagName); }
};

struct Content_BiBranch_Step final : ContentOf<ContentKind::BiBranch_Step, Content_Branch> {
    std::string stepName;
    std::int32_t boundary = 0;
    void visitFields(FieldVisitor& v) override {
        v.string("stepName", stepName);
        v.int32("boundary", boundary);
    }
};

struct Content_IncRound final : ContentOf<ContentKind::IncRound, Content_Normal> {};

struct Content_Branch_Level final : ContentOf<ContentKind::Branch_Level, Content_Branch> {
    bool average = false;
    std::int32_t level = 0;
    void visitFields(FieldVisitor& v) override {
        v.boolean("average", average);
        v.int32("level", level);
    }
};

struct Content_Branch_Status final : ContentOf<ContentKind::Branch_Status, Content_Branch> {
    std::int32_t status = 0;  // a byte, 0..255
    std::int32_t targetMember = 0;  // a byte, 0..255
    void visitFields(FieldVisitor& v) override {
        v.byte("status", status);
        v.byte("targetMember", targetMember);
    }
};

struct Content_Branch_MemberCount final : ContentOf<ContentKind::Branch_MemberCount, Content_Branch> {
    std::int32_t memberCount = 0;
    void visitFields(FieldVisitor& v) override { v.int32("memberCount", memberCount); }
};

struct Content_ShowParty final : ContentOf<ContentKind::ShowParty, Content_Normal> {};

struct Content_HideParty final : ContentOf<ContentKind::HideParty, Content_Normal> {};

struct Content_BreakEffect final : ContentOf<ContentKind::BreakEffect, Content_Terminal> {};

struct Content_CallStart final : ContentOf<ContentKind::CallStart, Content_Normal> {
    std::string startName;
    void visitFields(FieldVisitor& v) override { v.string("startName", startName); }
};

struct Content_LinkToPackage final : ContentOf<ContentKind::LinkToPackage, Content_Terminal> {
    std::int32_t packageId = 0;
    void visitFields(FieldVisitor& v) override { v.int32("packageId", packageId); }
};

struct Content_CallPackage final : ContentOf<ContentKind::CallPackage, Content_Normal> {
    std::int32_t packageId = 0;
    void visitFields(FieldVisitor& v) override { v.int32("packageId", packageId); }
};

struct Content_Branch_Area final : ContentOf<ContentKind::Branch_Area, Content_Branch> {};

struct Content_Branch_Battle final : ContentOf<ContentKind::Branch_Battle, Content_Branch> {};

struct Content_Branch_ClearedScenario final : ContentOf<ContentKind::Branch_ClearedScenario, Content_Branch> {
    std::string scenarioName;
    void visitFields(FieldVisitor& v) override { v.string("scenarioName", scenarioName); }
};

struct Content_AddClearedScenario final : ContentOf<ContentKind::AddClearedScenario, Content_Normal> {
    std::string scenarioName;
    void visitFields(FieldVisitor& v) override { v.string("scenarioName", scenarioName); }
};

struct Content_RemoveClearedScenaio final : ContentOf<ContentKind::RemoveClearedScenaio, Content_Normal> {
    std::string scenarioName;
    void visitFields(FieldVisitor& v) override { v.string("scenarioName", scenarioName); }
};

struct Content_Branch_Gossip final : ContentOf<ContentKind::Branch_Gossip, Content_Branch> {
    std::string gossip;
    void visitFields(FieldVisitor& v) override { v.string("gossip", gossip); }
};

struct Content_AddGossip final : ContentOf<ContentKind::AddGossip, Content_Normal> {
    std::string gossip;
    void visitFields(FieldVisitor& v) override { v.string("gossip", gossip); }
};

struct Content_RemoveGossip final : ContentOf<ContentKind::RemoveGossip, Content_Normal> {
    std::string gossip;
    void visitFields(FieldVisitor& v) override { v.string("gossip", gossip); }
};

struct Content_Branch_BattleResult final : ContentOf<ContentKind::Branch_BattleResult, Content_Branch> {};

struct Content_RedrawScreen final : ContentOf<ContentKind::RedrawScreen, Content_Normal> {};

struct Content_FlagCheck final : ContentOf<ContentKind::FlagCheck, Content_Normal> {
    std::string flagName;
    void visitFields(FieldVisitor& v) override { v.string("flagName", flagName); }
};

}  // namespace Vantorn
