// Every content kind: the bytes of its own fields, and the line it writes for them.

#include "events/ContentTypes.hpp"

#include <gtest/gtest.h>

#include <set>
#include <type_traits>

#include "format/Errors.hpp"
#include "support/CardTesting.hpp"

namespace Vantorn {
namespace {

using testing::Bytes;
using testing::ContentRecord;
using testing::describe;

struct Kind {
    ContentKind kind;
    Bytes ownFields;
    const char* line;
};

Bytes card(std::int32_t id, std::int32_t count, std::uint8_t scope) {
    return Bytes().int32(id).int32(count).byte(scope);
}

const Kind kinds[] = {
    {ContentKind::Start, {}, "スタートコンテント"},
    {ContentKind::LinkToStart, Bytes().string("開始"), "スタートへのリンク[開始]"},
    {ContentKind::StartBattle, Bytes().int32(12), "バトル開始[12番]"},
    {ContentKind::ScenarioClear, Bytes().boolean(true), "シナリオクリア(済み印をつける)"},
    {ContentKind::ScenarioClear, Bytes().byte(0), "シナリオクリア(済み印をつけない)"},
    {ContentKind::GameOver, {}, "ゲームオーバー"},
    {ContentKind::ChangeArea, Bytes().int32(-3), "エリア移動[-3番]"},
    {ContentKind::Message, Bytes().string("face.bmp").string("こんにちは"), "メッセージ[こんにちは] (画像: face.bmp)"},
    {ContentKind::Message, Bytes().string("").string(""), "メッセージ[] (画像: なし)"},
    {ContentKind::ChangeBGM, Bytes().string("bgm.mid"), "BGM変更[bgm.mid]"},
    {ContentKind::PlaySE, Bytes().string("se.wav"), "効果音[se.wav]"},
    {ContentKind::Wait, Bytes().int32(0), "空白時間[000ms]"},
    {ContentKind::Wait, Bytes().int32(12), "空白時間[1200ms]"},
    {ContentKind::Wait, Bytes().int32(-3), "空白時間[-300ms]"},
    {ContentKind::Branch_MemberChoice, Bytes().boolean(true).byte(0xFF), "メンバ選択分岐[パーティ全体からランダムに]"},
    {ContentKind::Branch_MemberChoice, Bytes().boolean(false).boolean(false), "メンバ選択分岐[動けるメンバから手動で]"},
    {ContentKind::Branch_AbilityCheck, Bytes().int32(1).byte(2).int32(3).int32(4), "能力判定分岐[...]"},
    {ContentKind::Branch_Random, Bytes().int32(150), "ランダム分岐[150%]"},
    {ContentKind::Branch_Flag, Bytes().string(""), "フラグ分岐[]"},
    {ContentKind::SetFlag, Bytes().string("F").byte(2), "フラグ変更[F=1]"},
    {ContentKind::SetFlag, Bytes().string("F").boolean(false), "フラグ変更[F=0]"},
    {ContentKind::MultiBranch_Step, Bytes().string("S"), "ステップ多岐分岐[S]"},
    {ContentKind::SetStep, Bytes().string("S").int32(-1), "ステップ変更[S=-1]"},
    {ContentKind::Branch_Presense_Cast, Bytes().int32(4), "キャスト存在分岐[4番]"},
    {ContentKind::Branch_Posession_Item, card(1, 2, 3), "アイテム所持分岐[1番を2枚, 範囲3]"},
    {ContentKind::Branch_Posession_Skill, card(4, 5, 0xFF), "スキル所持分岐[4番を5枚, 範囲255]"},
    {ContentKind::Branch_Posession_Info, Bytes().int32(6), "情報所持分岐[6番]"},
    {ContentKind::Branch_Presense_Beast, card(7, 8, 9), "召喚獣存在分岐[7番を8枚, 範囲9]"},
    {ContentKind::Branch_Money, Bytes().int32(-5), "所持金分岐[-5sp]"},
    {ContentKind::Branch_Posession_Coupon, Bytes().string("").int32(0).byte(0), "称号分岐[【】, 範囲0, (unknown=0)]"},
    {ContentKind::Branch_Posession_Coupon, Bytes().string("勇者").int32(-7).byte(2), "称号分岐[【勇者】, 範囲2, (unknown=-7)]"},
    {ContentKind::GetCast, Bytes().int32(10), "キャスト加入[10番]"},
    {ContentKind::GetItem, card(11, 1, 0), "アイテム入手[11番を1枚, 範囲0]"},
    {ContentKind::GetSkill, card(12, 2, 1), "スキル入手[12番を2枚, 範囲1]"},
    {ContentKind::GetInfo, Bytes().int32(13), "情報入手[13番]"},
    {ContentKind::GetBeast, card(14, 3, 2), "召喚獣入手[14番を3枚, 範囲2]"},
    {ContentKind::GetMoney, Bytes().int32(100), "所持金増加[100sp]"},
    {ContentKind::GetCoupon, Bytes().string("勇者").int32(5).byte(1), "称号獲得[【勇者】(5), 範囲1]"},
    {ContentKind::LoseCast, Bytes().int32(15), "キャスト離脱[15番]"},
    {ContentKind::LoseItem, card(16, 4, 3), "アイテム喪失[16番を4枚, 範囲3]"},
    {ContentKind::LoseSkill, card(17, 5, 4), "スキル喪失[17番を5枚, 範囲4]"},
    {ContentKind::LoseInfo, Bytes().int32(18), "情報喪失[18番]"},
    {ContentKind::LoseBeast, card(19, 6, 5), "召喚獣喪失[19番を6枚, 範囲5]"},
    {ContentKind::LoseMoney, Bytes().int32(100), "所持金減少[100sp]"},
    {ContentKind::LoseCoupon, Bytes().string("勇者").byte(0xFF), "称号剥奪[【勇者】, 範囲255]"},
    {ContentKind::IncStep, Bytes().string("S"), "ステップ増加[S]"},
    {ContentKind::DecStep, Bytes().string("S"), "ステップ減少[S]"},
    {ContentKind::InvertFlag, Bytes().string("F"), "フラグ反転[F]"},
    {ContentKind::BiBranch_Step, Bytes().string("S").int32(2), "ステップ多岐分岐[S, 境界2]"},
    {ContentKind::IncRound, {}, "時間経過"},
    {ContentKind::Branch_Level, Bytes().boolean(false).int32(3), "レベル分岐[選択中が3]"},
    {ContentKind::Branch_Level, Bytes().boolean(true).int32(5), "レベル分岐[平均が5]"},
    {ContentKind::Branch_Status, Bytes().byte(0xFF).byte(2), "状態分岐[状態255, 適用メンバ2]"},
    {ContentKind::Branch_MemberCount, Bytes().int32(6), "人数判定分岐[6人]"},
    {ContentKind::ShowParty, {}, "パーティ表示"},
    {ContentKind::HideParty, {}, "パーティ隠蔽"},
    {ContentKind::BreakEffect, {}, "効果中断"},
    {ContentKind::CallStart, Bytes().string("開始"), "スタートのコール[開始]"},
    {ContentKind::LinkToPackage, Bytes().int32(20), "パッケージへのリンク[20番]"},
    {ContentKind::CallPackage, Bytes().int32(21), "パッケージのコール[21番]"},
    {ContentKind::Branch_Area, {}, "エリア分岐"},
    {ContentKind::Branch_Battle, {}, "バトル分岐"},
    {ContentKind::Branch_ClearedScenario, Bytes().string("旅"), "終了シナリオ分岐[旅]"},
    {ContentKind::AddClearedScenario, Bytes().string("旅"), "終了シナリオ設定[旅]"},
    {ContentKind::RemoveClearedScenaio, Bytes().string("旅"), "終了シナリオ削除[旅]"},
    {ContentKind::Branch_Gossip, Bytes().string("噂"), "ゴシップ分岐[噂]"},
    {ContentKind::AddGossip, Bytes().string("噂"), "ゴシップ追加[噂]"},
    {ContentKind::RemoveGossip, Bytes().string("噂"), "ゴシップ削除[噂]"},
    {ContentKind::Branch_BattleResult, {}, "バトル判定分岐"},
    {ContentKind::RedrawScreen, {}, "画面の再構築"},
    {ContentKind::FlagCheck, Bytes().string("F"), "フラグ判定[F]"},
};

TEST(ContentTypesTest, EachKindReadsExactlyItsOwnFieldsAndWritesItsLine) {
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(static_cast<int>(kind.kind));
        const std::string bytes = ContentRecord{kind.kind, kind.ownFields}.bytes().data;
        const std::string followed = bytes + "after";
        CardReader in(followed);
        const ContentPtr content = readContent(in);
        EXPECT_EQ(content->type, static_cast<std::int32_t>(kind.kind));
        EXPECT_EQ(static_cast<std::size_t>(in.offset()), bytes.size()) << "consumed a wrong length";
        EXPECT_EQ(describe(*content), std::string(kind.line) + "\n");
        // One byte fewer must run out of data inside the own fields.
        CardReader cut(std::string_view(bytes).substr(0, bytes.size() - 1));
        EXPECT_THROW(readContent(cut), IOException);
    }
}

TEST(ContentTypesTest, EveryReadableCodeIsCovered) {
    std::set<int> covered;
    for (const Kind& kind : kinds) covered.insert(static_cast<int>(kind.kind));
    for (int code = 0; code <= maxContentType; ++code) {
        if (!contentKindInfo(code).readable) continue;
        EXPECT_TRUE(covered.count(code)) << code;
    }
}

TEST(ContentTypesTest, WaitIsThirteenBytes) {
    const std::string bytes("\x0A\x00\x00\x00\x00\x40\x9C\x00\x00\x05\x00\x00\x00", 13);
    CardReader in(bytes);
    const ContentPtr wait = readContent(in);
    EXPECT_EQ(dynamic_cast<const Content_Wait&>(*wait).duration, 5);
    EXPECT_EQ(in.peek(), -1);
}

TEST(ContentTypesTest, KindsKeepTheirGameNamesAndFamilies) {
    const ContentPtr removed = [] {
        const std::string bytes = ContentRecord{ContentKind::RemoveClearedScenaio, Bytes().string("x")}.bytes().data;
        CardReader in(bytes);
        return readContent(in);
    }();
    EXPECT_NE(dynamic_cast<Content_RemoveClearedScenaio*>(removed.get()), nullptr);
    EXPECT_NE(dynamic_cast<Content_Normal*>(removed.get()), nullptr);
    static_assert(std::is_base_of_v<Content_Branch, Content_Branch_Posession_Item>);
    static_assert(std::is_base_of_v<Content_Branch, Content_Branch_Presense_Cast>);
    static_assert(std::is_base_of_v<Content_Terminal, Content_LinkToPackage>);
    static_assert(std::is_base_of_v<Content, Content_Start>);
    static_assert(!std::is_base_of_v<Content_Normal, Content_Start>);
}

TEST(ContentTypesTest, MessageTextKeepsItsLineBreaks) {
    ContentRecord message{ContentKind::Message, Bytes().string("").string("一行目\n二行目")};
    message.name = "N";
    ContentRecord root{ContentKind::Start};
    root.children = {message};
    const std::string bytes = root.bytes().data;
    CardReader in(bytes);
    EXPECT_EQ(describe(*readContent(in)),
              "スタートコンテント\n\tN: メッセージ[一行目\n二行目] (画像: なし)\n");
}

}  // namespace
}  // namespace Vantorn
