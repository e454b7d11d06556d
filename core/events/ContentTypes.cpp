#include "events/ContentTypes.hpp"

#include <array>
#include <istream>

#include "cards/Errors.hpp"
#include "cards/Stream.hpp"
#include "events/ContentFactory.hpp"

namespace Vantorn {
namespace {

void readCardFields(std::istream& in, CardFields& fields) {
    fields.cardId = readInt32(in);
    fields.count = readInt32(in);
    fields.scope = readByte(in);
}

template <class Kind>
ContentPtr make() {
    return std::make_shared<Kind>();
}

constexpr std::array<ContentPtr (*)(), maxContentType + 1> factories = {
    &make<Content_Start>,
    &make<Content_LinkToStart>,
    &make<Content_StartBattle>,
    &make<Content_ScenarioClear>,
    &make<Content_GameOver>,
    &make<Content_ChangeArea>,
    &make<Content_Message>,
    &make<Content_ChangeBGM>,
    &make<Content_ChangeBG>,
    &make<Content_PlaySE>,
    &make<Content_Wait>,
    &make<Content_Effect>,
    &make<Content_Branch_MemberChoice>,
    &make<Content_Branch_AbilityCheck>,
    &make<Content_Branch_Random>,
    &make<Content_Branch_Flag>,
    &make<Content_SetFlag>,
    &make<Content_MultiBranch_Step>,
    &make<Content_SetStep>,
    &make<Content_Branch_Presense_Cast>,
    &make<Content_Branch_Posession_Item>,
    &make<Content_Branch_Posession_Skill>,
    &make<Content_Branch_Posession_Info>,
    &make<Content_Branch_Presense_Beast>,
    &make<Content_Branch_Money>,
    &make<Content_Branch_Posession_Coupon>,
    &make<Content_GetCast>,
    &make<Content_GetItem>,
    &make<Content_GetSkill>,
    &make<Content_GetInfo>,
    &make<Content_GetBeast>,
    &make<Content_GetMoney>,
    &make<Content_GetCoupon>,
    &make<Content_LoseCast>,
    &make<Content_LoseItem>,
    &make<Content_LoseSkill>,
    &make<Content_LoseInfo>,
    &make<Content_LoseBeast>,
    &make<Content_LoseMoney>,
    &make<Content_LoseCoupon>,
    &make<Content_Serifu>,
    &make<Content_IncStep>,
    &make<Content_DecStep>,
    &make<Content_InvertFlag>,
    &make<Content_BiBranch_Step>,
    &make<Content_IncRound>,
    &make<Content_Branch_Level>,
    &make<Content_Branch_Status>,
    &make<Content_Branch_MemberCount>,
    &make<Content_ShowParty>,
    &make<Content_HideParty>,
    &make<Content_BreakEffect>,
    &make<Content_CallStart>,
    &make<Content_LinkToPackage>,
    &make<Content_CallPackage>,
    &make<Content_Branch_Area>,
    &make<Content_Branch_Battle>,
    &make<Content_Branch_ClearedScenario>,
    &make<Content_AddClearedScenario>,
    &make<Content_RemoveClearedScenaio>,
    &make<Content_Branch_Gossip>,
    &make<Content_AddGossip>,
    &make<Content_RemoveGossip>,
    &make<Content_Branch_BattleResult>,
    &make<Content_RedrawScreen>,
    &make<Content_FlagCheck>,
};

}  // namespace

ContentPtr makeContent(int typeCode) {
    if (typeCode < 0 || typeCode > maxContentType) {
        throw FileCorruptException();
    }
    return factories[typeCode]();
}

// These kinds cannot be read: their layout is unknown, so a card holding one fails.
std::int32_t Content_ChangeBG::readHeader(std::istream&) { throw IOException("ChangeBG: 未実装。"); }
std::int32_t Content_Effect::readHeader(std::istream&) { throw IOException("Effect: 未実装。"); }
std::int32_t Content_Serifu::readHeader(std::istream&) { throw IOException("Serifu: 未実装。"); }

void Content_LinkToStart::readOwnFields(std::istream& in) { startName = readString(in); }
void Content_StartBattle::readOwnFields(std::istream& in) { battleId = readInt32(in); }
void Content_ScenarioClear::readOwnFields(std::istream& in) { markCompleted = readBool(in); }
void Content_ChangeArea::readOwnFields(std::istream& in) { areaId = readInt32(in); }
void Content_Message::readOwnFields(std::istream& in) {
    imagePath = readString(in);
    text = readString(in);
}
void Content_ChangeBGM::readOwnFields(std::istream& in) { musicPath = readString(in); }
void Content_PlaySE::readOwnFields(std::istream& in) { soundPath = readString(in); }
void Content_Wait::readOwnFields(std::istream& in) { duration = readInt32(in); }
void Content_Branch_MemberChoice::readOwnFields(std::istream& in) {
    wholeParty = readBool(in);
    random = readBool(in);
}
void Content_Branch_AbilityCheck::readOwnFields(std::istream& in) {
    value1 = readInt32(in);
    code1 = readByte(in);
    value2 = readInt32(in);
    value3 = readInt32(in);
}
void Content_Branch_Random::readOwnFields(std::istream& in) { percent = readInt32(in); }
void Content_Branch_Flag::readOwnFields(std::istream& in) { flagName = readString(in); }
void Content_SetFlag::readOwnFields(std::istream& in) {
    flagName = readString(in);
    value = readBool(in);
}
void Content_MultiBranch_Step::readOwnFields(std::istream& in) { stepName = readString(in); }
void Content_SetStep::readOwnFields(std::istream& in) {
    stepName = readString(in);
    value = readInt32(in);
}
void Content_Branch_Presense_Cast::readOwnFields(std::istream& in) { castId = readInt32(in); }
void Content_Branch_Posession_Item::readOwnFields(std::istream& in) { readCardFields(in, *this); }
void Content_Branch_Posession_Skill::readOwnFields(std::istream& in) { readCardFields(in, *this); }
void Content_Branch_Posession_Info::readOwnFields(std::istream& in) { infoId = readInt32(in); }
void Content_Branch_Presense_Beast::readOwnFields(std::istream& in) { readCardFields(in, *this); }
void Content_Branch_Money::readOwnFields(std::istream& in) { amount = readInt32(in); }
void Content_Branch_Posession_Coupon::readOwnFields(std::istream& in) {
    couponName = readString(in);
    unknownValue = readInt32(in);
    scope = readByte(in);
}
void Content_GetCast::readOwnFields(std::istream& in) { castId = readInt32(in); }
void Content_GetItem::readOwnFields(std::istream& in) { readCardFields(in, *this); }
void Content_GetSkill::readOwnFields(std::istream& in) { readCardFields(in, *this); }
void Content_GetInfo::readOwnFields(std::istream& in) { infoId = readInt32(in); }
void Content_GetBeast::readOwnFields(std::istream& in) { readCardFields(in, *this); }
void Content_GetMoney::readOwnFields(std::istream& in) { amount = readInt32(in); }
void Content_GetCoupon::readOwnFields(std::istream& in) {
    couponName = readString(in);
    value = readInt32(in);
    scope = readByte(in);
}
void Content_LoseCast::readOwnFields(std::istream& in) { castId = readInt32(in); }
void Content_LoseItem::readOwnFields(std::istream& in) { readCardFields(in, *this); }
void Content_LoseSkill::readOwnFields(std::istream& in) { readCardFields(in, *this); }
void Content_LoseInfo::readOwnFields(std::istream& in) { infoId = readInt32(in); }
void Content_LoseBeast::readOwnFields(std::istream& in) { readCardFields(in, *this); }
void Content_LoseMoney::readOwnFields(std::istream& in) { amount = readInt32(in); }
void Content_LoseCoupon::readOwnFields(std::istream& in) {
    couponName = readString(in);
    scope = readByte(in);
}
void Content_IncStep::readOwnFields(std::istream& in) { stepName = readString(in); }
void Content_DecStep::readOwnFields(std::istream& in) { stepName = readString(in); }
void Content_InvertFlag::readOwnFields(std::istream& in) { flagName = readString(in); }
void Content_BiBranch_Step::readOwnFields(std::istream& in) {
    stepName = readString(in);
    boundary = readInt32(in);
}
void Content_Branch_Level::readOwnFields(std::istream& in) {
    average = readBool(in);
    level = readInt32(in);
}
void Content_Branch_Status::readOwnFields(std::istream& in) {
    status = readByte(in);
    targetMember = readByte(in);
}
void Content_Branch_MemberCount::readOwnFields(std::istream& in) { memberCount = readInt32(in); }
void Content_CallStart::readOwnFields(std::istream& in) { startName = readString(in); }
void Content_LinkToPackage::readOwnFields(std::istream& in) { packageId = readInt32(in); }
void Content_CallPackage::readOwnFields(std::istream& in) { packageId = readInt32(in); }
void Content_Branch_ClearedScenario::readOwnFields(std::istream& in) { scenarioName = readString(in); }
void Content_AddClearedScenario::readOwnFields(std::istream& in) { scenarioName = readString(in); }
void Content_RemoveClearedScenaio::readOwnFields(std::istream& in) { scenarioName = readString(in); }
void Content_Branch_Gossip::readOwnFields(std::istream& in) { gossip = readString(in); }
void Content_AddGossip::readOwnFields(std::istream& in) { gossip = readString(in); }
void Content_RemoveGossip::readOwnFields(std::istream& in) { gossip = readString(in); }
void Content_FlagCheck::readOwnFields(std::istream& in) { flagName = readString(in); }

}  // namespace Vantorn
