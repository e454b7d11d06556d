// The report line of every content kind: the kind's label, then what its own fields
// say. Kinds without fields, or whose fields the report does not show, write the
// label alone.

#include <ostream>

#include "events/ContentKind.hpp"
#include "events/ContentVisit.hpp"
#include "report/ContentLines.hpp"
#include "report/TextOut.hpp"

namespace Vantorn {
namespace {

// label[value suffix]
template <class Value>
void bracketed(TextOut& out, const char* label, const Value& value, const char* suffix = "") {
    out << label << '[' << value << suffix << ']';
}

void cardLine(TextOut& out, const char* label, const CardFields& card) {
    out << label << '[' << card.cardId << "番を" << card.count << "枚, 範囲" << card.scope << ']';
}

template <class Kind>
void kindLine(TextOut& out, const char* label, const Kind&) { out << label; }

void kindLine(TextOut& out, const char* label, const Content_LinkToStart& c) { bracketed(out, label, c.startName); }
void kindLine(TextOut& out, const char* label, const Content_StartBattle& c) { bracketed(out, label, c.battleId, "番"); }
void kindLine(TextOut& out, const char* label, const Content_ScenarioClear& c) { out << label << "(済み印をつけ" << (c.markCompleted ? "る" : "ない") << ')'; }
void kindLine(TextOut& out, const char* label, const Content_ChangeArea& c) { bracketed(out, label, c.areaId, "番"); }
void kindLine(TextOut& out, const char* label, const Content_Message& c) { out << label << '[' << c.text << "] (画像: " << (c.imagePath.empty() ? "なし" : c.imagePath.c_str()) << ')'; }
void kindLine(TextOut& out, const char* label, const Content_ChangeBGM& c) { bracketed(out, label, c.musicPath); }
void kindLine(TextOut& out, const char* label, const Content_PlaySE& c) { bracketed(out, label, c.soundPath); }
void kindLine(TextOut& out, const char* label, const Content_Wait& c) { bracketed(out, label, c.duration, "00ms"); }
void kindLine(TextOut& out, const char* label, const Content_Branch_MemberChoice& c) { out << label << '[' << (c.wholeParty ? "パーティ全体から" : "動けるメンバから") << (c.random ? "ランダムに" : "手動で") << ']'; }
void kindLine(TextOut& out, const char* label, const Content_Branch_AbilityCheck&) { out << label << "[...]"; }
void kindLine(TextOut& out, const char* label, const Content_Branch_Random& c) { bracketed(out, label, c.percent, "%"); }
void kindLine(TextOut& out, const char* label, const Content_Branch_Flag& c) { bracketed(out, label, c.flagName); }
void kindLine(TextOut& out, const char* label, const Content_SetFlag& c) { out << label << '[' << c.flagName << '=' << c.value << ']'; }
void kindLine(TextOut& out, const char* label, const Content_MultiBranch_Step& c) { bracketed(out, label, c.stepName); }
void kindLine(TextOut& out, const char* label, const Content_SetStep& c) { out << label << '[' << c.stepName << '=' << c.value << ']'; }
void kindLine(TextOut& out, const char* label, const Content_Branch_Presense_Cast& c) { bracketed(out, label, c.castId, "番"); }
void kindLine(TextOut& out, const char* label, const Content_Branch_Posession_Item& c) { cardLine(out, label, c); }
void kindLine(TextOut& out, const char* label, const Content_Branch_Posession_Skill& c) { cardLine(out, label, c); }
void kindLine(TextOut& out, const char* label, const Content_Branch_Posession_Info& c) { bracketed(out, label, c.infoId, "番"); }
void kindLine(TextOut& out, const char* label, const Content_Branch_Presense_Beast& c) { cardLine(out, label, c); }
void kindLine(TextOut& out, const char* label, const Content_Branch_Money& c) { bracketed(out, label, c.amount, "sp"); }
void kindLine(TextOut& out, const char* label, const Content_Branch_Posession_Coupon& c) { out << label << "[【" << c.couponName << "】, 範囲" << c.scope << ", (unknown=" << c.unknownValue << ")]"; }
void kindLine(TextOut& out, const char* label, const Content_GetCast& c) { bracketed(out, label, c.castId, "番"); }
void kindLine(TextOut& out, const char* label, const Content_GetItem& c) { cardLine(out, label, c); }
void kindLine(TextOut& out, const char* label, const Content_GetSkill& c) { cardLine(out, label, c); }
void kindLine(TextOut& out, const char* label, const Content_GetInfo& c) { bracketed(out, label, c.infoId, "番"); }
void kindLine(TextOut& out, const char* label, const Content_GetBeast& c) { cardLine(out, label, c); }
void kindLine(TextOut& out, const char* label, const Content_GetMoney& c) { bracketed(out, label, c.amount, "sp"); }
void kindLine(TextOut& out, const char* label, const Content_GetCoupon& c) { out << label << "[【" << c.couponName << "】(" << c.value << "), 範囲" << c.scope << ']'; }
void kindLine(TextOut& out, const char* label, const Content_LoseCast& c) { bracketed(out, label, c.castId, "番"); }
void kindLine(TextOut& out, const char* label, const Content_LoseItem& c) { cardLine(out, label, c); }
void kindLine(TextOut& out, const char* label, const Content_LoseSkill& c) { cardLine(out, label, c); }
void kindLine(TextOut& out, const char* label, const Content_LoseInfo& c) { bracketed(out, label, c.infoId, "番"); }
void kindLine(TextOut& out, const char* label, const Content_LoseBeast& c) { cardLine(out, label, c); }
void kindLine(TextOut& out, const char* label, const Content_LoseMoney& c) { bracketed(out, label, c.amount, "sp"); }
void kindLine(TextOut& out, const char* label, const Content_LoseCoupon& c) { out << label << "[【" << c.couponName << "】, 範囲" << c.scope << ']'; }
void kindLine(TextOut& out, const char* label, const Content_IncStep& c) { bracketed(out, label, c.stepName); }
void kindLine(TextOut& out, const char* label, const Content_DecStep& c) { bracketed(out, label, c.stepName); }
void kindLine(TextOut& out, const char* label, const Content_InvertFlag& c) { bracketed(out, label, c.flagName); }
void kindLine(TextOut& out, const char* label, const Content_BiBranch_Step& c) { out << label << '[' << c.stepName << ", 境界" << c.boundary << ']'; }
void kindLine(TextOut& out, const char* label, const Content_Branch_Level& c) { out << label << '[' << (c.average ? "平均" : "選択中") << "が" << c.level << ']'; }
void kindLine(TextOut& out, const char* label, const Content_Branch_Status& c) { out << label << "[状態" << c.status << ", 適用メンバ" << c.targetMember << ']'; }
void kindLine(TextOut& out, const char* label, const Content_Branch_MemberCount& c) { bracketed(out, label, c.memberCount, "人"); }
void kindLine(TextOut& out, const char* label, const Content_CallStart& c) { bracketed(out, label, c.startName); }
void kindLine(TextOut& out, const char* label, const Content_LinkToPackage& c) { bracketed(out, label, c.packageId, "番"); }
void kindLine(TextOut& out, const char* label, const Content_CallPackage& c) { bracketed(out, label, c.packageId, "番"); }
void kindLine(TextOut& out, const char* label, const Content_Branch_ClearedScenario& c) { bracketed(out, label, c.scenarioName); }
void kindLine(TextOut& out, const char* label, const Content_AddClearedScenario& c) { bracketed(out, label, c.scenarioName); }
void kindLine(TextOut& out, const char* label, const Content_RemoveClearedScenaio& c) { bracketed(out, label, c.scenarioName); }
void kindLine(TextOut& out, const char* label, const Content_Branch_Gossip& c) { bracketed(out, label, c.gossip); }
void kindLine(TextOut& out, const char* label, const Content_AddGossip& c) { bracketed(out, label, c.gossip); }
void kindLine(TextOut& out, const char* label, const Content_RemoveGossip& c) { bracketed(out, label, c.gossip); }
void kindLine(TextOut& out, const char* label, const Content_FlagCheck& c) { bracketed(out, label, c.flagName); }

}  // namespace

void writeContentLine(std::ostream& out, const Content& content) {
    TextOut text(out);
    writeContentLine(text, content);
}

void writeContentLine(TextOut& out, const Content& content) {
    if (!content.name.empty()) {
        out << content.name << ": ";
    }
    visitContent(content, [&](const auto& kind) {
        kindLine(out, contentKindInfo(kind.type).label, kind);
    });
}

}  // namespace Vantorn
