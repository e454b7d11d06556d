// The report line of every content kind.

#include <ostream>

#include "events/ContentTypes.hpp"
#include "report/Line.hpp"

namespace Vantorn {
namespace {

void writeCardLine(std::ostream& out, const char* label, const CardFields& card) {
    writeLine(out, label, card.cardId, "番を", card.count, "枚, 範囲", card.scope, "]");
}

}  // namespace

void Content_Start::describeLine(std::ostream& out) const { writeLine(out, "スタートコンテント"); }
void Content_LinkToStart::describeLine(std::ostream& out) const { writeLine(out, "スタートへのリンク[", startName, "]"); }
void Content_StartBattle::describeLine(std::ostream& out) const { writeLine(out, "バトル開始[", battleId, "番]"); }
void Content_ScenarioClear::describeLine(std::ostream& out) const { writeLine(out, "シナリオクリア(済み印をつけ", markCompleted ? "る" : "ない", ")"); }
void Content_GameOver::describeLine(std::ostream& out) const { writeLine(out, "ゲームオーバー"); }
void Content_ChangeArea::describeLine(std::ostream& out) const { writeLine(out, "エリア移動[", areaId, "番]"); }
void Content_Message::describeLine(std::ostream& out) const { writeLine(out, "メッセージ[", text, "] (画像: ", imagePath.empty() ? "なし" : imagePath.c_str(), ")"); }
void Content_ChangeBGM::describeLine(std::ostream& out) const { writeLine(out, "BGM変更[", musicPath, "]"); }
void Content_ChangeBG::describeLine(std::ostream& out) const { writeLine(out, "背景変更"); }
void Content_PlaySE::describeLine(std::ostream& out) const { writeLine(out, "効果音[", soundPath, "]"); }
void Content_Wait::describeLine(std::ostream& out) const { writeLine(out, "空白時間[", duration, "00ms]"); }
void Content_Effect::describeLine(std::ostream& out) const { writeLine(out, "効果"); }
void Content_Branch_MemberChoice::describeLine(std::ostream& out) const { writeLine(out, "メンバ選択分岐[", wholeParty ? "パーティ全体から" : "動けるメンバから", random ? "ランダムに" : "手動で", "]"); }
void Content_Branch_AbilityCheck::describeLine(std::ostream& out) const { writeLine(out, "能力判定分岐[...]"); }
void Content_Branch_Random::describeLine(std::ostream& out) const { writeLine(out, "ランダム分岐[", percent, "%]"); }
void Content_Branch_Flag::describeLine(std::ostream& out) const { writeLine(out, "フラグ分岐[", flagName, "]"); }
void Content_SetFlag::describeLine(std::ostream& out) const { writeLine(out, "フラグ変更[", flagName, "=", value, "]"); }
void Content_MultiBranch_Step::describeLine(std::ostream& out) const { writeLine(out, "ステップ多岐分岐[", stepName, "]"); }
void Content_SetStep::describeLine(std::ostream& out) const { writeLine(out, "ステップ変更[", stepName, "=", value, "]"); }
void Content_Branch_Presense_Cast::describeLine(std::ostream& out) const { writeLine(out, "キャスト存在分岐[", castId, "番]"); }
void Content_Branch_Posession_Item::describeLine(std::ostream& out) const { writeCardLine(out, "アイテム所持分岐[", *this); }
void Content_Branch_Posession_Skill::describeLine(std::ostream& out) const { writeCardLine(out, "スキル所持分岐[", *this); }
void Content_Branch_Posession_Info::describeLine(std::ostream& out) const { writeLine(out, "情報所持分岐[", infoId, "番]"); }
void Content_Branch_Presense_Beast::describeLine(std::ostream& out) const { writeCardLine(out, "召喚獣存在分岐[", *this); }
void Content_Branch_Money::describeLine(std::ostream& out) const { writeLine(out, "所持金分岐[", amount, "sp]"); }
void Content_Branch_Posession_Coupon::describeLine(std::ostream& out) const { writeLine(out, "称号分岐[【", couponName, "】, ", "範囲", scope, ", (unknown=", unknownValue, ")]"); }
void Content_GetCast::describeLine(std::ostream& out) const { writeLine(out, "キャスト加入[", castId, "番]"); }
void Content_GetItem::describeLine(std::ostream& out) const { writeCardLine(out, "アイテム入手[", *this); }
void Content_GetSkill::describeLine(std::ostream& out) const { writeCardLine(out, "スキル入手[", *this); }
void Content_GetInfo::describeLine(std::ostream& out) const { writeLine(out, "情報入手[", infoId, "番]"); }
void Content_GetBeast::describeLine(std::ostream& out) const { writeCardLine(out, "召喚獣入手[", *this); }
void Content_GetMoney::describeLine(std::ostream& out) const { writeLine(out, "所持金増加[", amount, "sp]"); }
void Content_GetCoupon::describeLine(std::ostream& out) const { writeLine(out, "称号獲得[【", couponName, "】(", value, "), 範囲", scope, "]"); }
void Content_LoseCast::describeLine(std::ostream& out) const { writeLine(out, "キャスト離脱[", castId, "番]"); }
void Content_LoseItem::describeLine(std::ostream& out) const { writeCardLine(out, "アイテム喪失[", *this); }
void Content_LoseSkill::describeLine(std::ostream& out) const { writeCardLine(out, "スキル喪失[", *this); }
void Content_LoseInfo::describeLine(std::ostream& out) const { writeLine(out, "情報喪失[", infoId, "番]"); }
void Content_LoseBeast::describeLine(std::ostream& out) const { writeCardLine(out, "召喚獣喪失[", *this); }
void Content_LoseMoney::describeLine(std::ostream& out) const { writeLine(out, "所持金減少[", amount, "sp]"); }
void Content_LoseCoupon::describeLine(std::ostream& out) const { writeLine(out, "称号剥奪[【", couponName, "】", ", 範囲", scope, "]"); }
void Content_Serifu::describeLine(std::ostream& out) const { writeLine(out, "セリフ"); }
void Content_IncStep::describeLine(std::ostream& out) const { writeLine(out, "ステップ増加[", stepName, "]"); }
void Content_DecStep::describeLine(std::ostream& out) const { writeLine(out, "ステップ減少[", stepName, "]"); }
void Content_InvertFlag::describeLine(std::ostream& out) const { writeLine(out, "フラグ反転[", flagName, "]"); }
void Content_BiBranch_Step::describeLine(std::ostream& out) const { writeLine(out, "ステップ多岐分岐[", stepName, ", 境界", boundary, "]"); }
void Content_IncRound::describeLine(std::ostream& out) const { writeLine(out, "時間経過"); }
void Content_Branch_Level::describeLine(std::ostream& out) const { writeLine(out, "レベル分岐[", average ? "平均" : "選択中", "が", level, "]"); }
void Content_Branch_Status::describeLine(std::ostream& out) const { writeLine(out, "状態分岐[状態", status, ", 適用メンバ", targetMember, "]"); }
void Content_Branch_MemberCount::describeLine(std::ostream& out) const { writeLine(out, "人数判定分岐[", memberCount, "人]"); }
void Content_ShowParty::describeLine(std::ostream& out) const { writeLine(out, "パーティ表示"); }
void Content_HideParty::describeLine(std::ostream& out) const { writeLine(out, "パーティ隠蔽"); }
void Content_BreakEffect::describeLine(std::ostream& out) const { writeLine(out, "効果中断"); }
void Content_CallStart::describeLine(std::ostream& out) const { writeLine(out, "スタートのコール[", startName, "]"); }
void Content_LinkToPackage::describeLine(std::ostream& out) const { writeLine(out, "パッケージへのリンク[", packageId, "番]"); }
void Content_CallPackage::describeLine(std::ostream& out) const { writeLine(out, "パッケージのコール[", packageId, "番]"); }
void Content_Branch_Area::describeLine(std::ostream& out) const { writeLine(out, "エリア分岐"); }
void Content_Branch_Battle::describeLine(std::ostream& out) const { writeLine(out, "バトル分岐"); }
void Content_Branch_ClearedScenario::describeLine(std::ostream& out) const { writeLine(out, "終了シナリオ分岐[", scenarioName, "]"); }
void Content_AddClearedScenario::describeLine(std::ostream& out) const { writeLine(out, "終了シナリオ設定[", scenarioName, "]"); }
void Content_RemoveClearedScenaio::describeLine(std::ostream& out) const { writeLine(out, "終了シナリオ削除[", scenarioName, "]"); }
void Content_Branch_Gossip::describeLine(std::ostream& out) const { writeLine(out, "ゴシップ分岐[", gossip, "]"); }
void Content_AddGossip::describeLine(std::ostream& out) const { writeLine(out, "ゴシップ追加[", gossip, "]"); }
void Content_RemoveGossip::describeLine(std::ostream& out) const { writeLine(out, "ゴシップ削除[", gossip, "]"); }
void Content_Branch_BattleResult::describeLine(std::ostream& out) const { writeLine(out, "バトル判定分岐"); }
void Content_RedrawScreen::describeLine(std::ostream& out) const { writeLine(out, "画面の再構築"); }
void Content_FlagCheck::describeLine(std::ostream& out) const { writeLine(out, "フラグ判定[", flagName, "]"); }

}  // namespace Vantorn
