// Every content kind: the bytes of its own fields, and the line it writes for them.

#include "events/ContentTypes.hpp"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <type_traits>

#include "format/Errors.hpp"
#include "support/CardTesting.hpp"

namespace Vantorn {
namespace {

using testing::Bytes;
using testing::ContentRecord;
using testing::describe;

struct Kind {
    std::uint8_t code;
    Bytes ownFields;
    const char* line;
};

Bytes card(std::int32_t id, std::int32_t count, std::uint8_t scope) {
    return Bytes().int32(id).int32(count).byte(scope);
}

const Kind kinds[] = {
    {0, {}, "スタートコンテント"},
    {1, Bytes().string("開始"), "スタートへのリンク[開始]"},
    {2, Bytes().int32(12), "バトル開始[12番]"},
    {3, Bytes().boolean(true), "シナリオクリア(済み印をつける)"},
    {3, Bytes().byte(0), "シナリオクリア(済み印をつけない)"},
    {4, {}, "ゲームオーバー"},
    {5, Bytes().int32(-3), "エリア移動[-3番]"},
    {6, Bytes().string("face.bmp").string("こんにちは"), "メッセージ[こんにちは] (画像: face.bmp)"},
    {6, Bytes().string("").string(""), "メッセージ[] (画像: なし)"},
    {7, Bytes().string("bgm.mid"), "BGM変更[bgm.mid]"},
    {9, Bytes().string("se.wav"), "効果音[se.wav]"},
    {10, Bytes().int32(0), "空白時間[000ms]"},
    {10, Bytes().int32(12), "空白時間[1200ms]"},
    {10, Bytes().int32(-3), "空白時間[-300ms]"},
    {12, Bytes().boolean(true).byte(0xFF), "メンバ選択分岐[パーティ全体からランダムに]"},
    {12, Bytes().boolean(false).boolean(false), "メンバ選択分岐[動けるメンバから手動で]"},
    {13, Bytes().int32(1).byte(2).int32(3).int32(4), "能力判定分岐[...]"},
    {14, Bytes().int32(150), "ランダム分岐[150%]"},
    {15, Bytes().string(""), "フラグ分岐[]"},
    {16, Bytes().string("F").byte(2), "フラグ変更[F=1]"},
    {16, Bytes().string("F").boolean(false), "フラグ変更[F=0]"},
    {17, Bytes().string("S"), "ステップ多岐分岐[S]"},
    {18, Bytes().string("S").int32(-1), "ステップ変更[S=-1]"},
    {19, Bytes().int32(4), "キャスト存在分岐[4番]"},
    {20, card(1, 2, 3), "アイテム所持分岐[1番を2枚, 範囲3]"},
    {21, card(4, 5, 0xFF), "スキル所持分岐[4番を5枚, 範囲255]"},
    {22, Bytes().int32(6), "情報所持分岐[6番]"},
    {23, card(7, 8, 9), "召喚獣存在分岐[7番を8枚, 範囲9]"},
    {24, Bytes().int32(-5), "所持金分岐[-5sp]"},
    {25, Bytes().string("").int32(0).byte(0), "称号分岐[【】, 範囲0, (unknown=0)]"},
    {25, Bytes().string("勇者").int32(-7).byte(2), "称号分岐[【勇者】, 範囲2, (unknown=-7)]"},
    {26, Bytes().int32(10), "キャスト加入[10番]"},
    {27, card(11, 1, 0), "アイテム入手[11番を1枚, 範囲0]"},
    {28, card(12, 2, 1), "スキル入手[12番を2枚, 範囲1]"},
    {29, Bytes().int32(13), "情報入手[13番]"},
    {30, card(14, 3, 2), "召喚獣入手[14番を3枚, 範囲2]"},
    {31, Bytes().int32(100), "所持金増加[100sp]"},
    {32, Bytes().string("勇者").int32(5).byte(1), "称号獲得[【勇者】(5), 範囲1]"},
    {33, Bytes().int32(15), "キャスト離脱[15番]"},
    {34, card(16, 4, 3), "アイテム喪失[16番を4枚, 範囲3]"},
    {35, card(17, 5, 4), "スキル喪失[17番を5枚, 範囲4]"},
    {36, Bytes().int32(18), "情報喪失[18番]"},
    {37, card(19, 6, 5), "召喚獣喪失[19番を6枚, 範囲5]"},
    {38, Bytes().int32(100), "所持金減少[100sp]"},
    {39, Bytes().string("勇者").byte(0xFF), "称号剥奪[【勇者】, 範囲255]"},
    {41, Bytes().string("S"), "ステップ増加[S]"},
    {42, Bytes().string("S"), "ステップ減少[S]"},
    {43, Bytes().string("F"), "フラグ反転[F]"},
    {44, Bytes().string("S").int32(2), "ステップ多岐分岐[S, 境界2]"},
    {45, {}, "時間経過"},
    {46, Bytes().boolean(false).int32(3), "レベル分岐[選択中が3]"},
    {46, Bytes().boolean(true).int32(5), "レベル分岐[平均が5]"},
    {47, Bytes().byte(0xFF).byte(2), "状態分岐[状態255, 適用メンバ2]"},
    {48, Bytes().int32(6), "人数判定分岐[6人]"},
    {49, {}, "パーティ表示"},
    {50, {}, "パーティ隠蔽"},
    {51, {}, "効果中断"},
    {52, Bytes().string("開始"), "スタートのコール[開始]"},
    {53, Bytes().int32(20), "パッケージへのリンク[20番]"},
    {54, Bytes().int32(21), "パッケージのコール[21番]"},
    {55, {}, "エリア分岐"},
    {56, {}, "バトル分岐"},
    {57, Bytes().string("旅"), "終了シナリオ分岐[旅]"},
    {58, Bytes().string("旅"), "終了シナリオ設定[旅]"},
    {59, Bytes().string("旅"), "終了シナリオ削除[旅]"},
    {60, Bytes().string("噂"), "ゴシップ分岐[噂]"},
    {61, Bytes().string("噂"), "ゴシップ追加[噂]"},
    {62, Bytes().string("噂"), "ゴシップ削除[噂]"},
    {63, {}, "バトル判定分岐"},
    {64, {}, "画面の再構築"},
    {65, Bytes().string("F"), "フラグ判定[F]"},
};

TEST(ContentTypesTest, EachKindReadsExactlyItsOwnFieldsAndWritesItsLine) {
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(static_cast<int>(kind.code));
        const std::string bytes = ContentRecord{kind.code, kind.ownFields}.bytes().data;
        std::istringstream in(bytes + "after", std::ios::binary);
        const ContentPtr content = readContent(in);
        EXPECT_EQ(content->type, kind.code);
        EXPECT_EQ(static_cast<std::size_t>(in.tellg()), bytes.size()) << "consumed a wrong length";
        EXPECT_EQ(describe(*content), std::string(kind.line) + "\n");
        // One byte fewer must run out of data inside the own fields.
        std::istringstream cut(bytes.substr(0, bytes.size() - 1), std::ios::binary);
        EXPECT_THROW(readContent(cut), IOException);
    }
}

TEST(ContentTypesTest, EveryReadableCodeIsCovered) {
    std::set<int> covered;
    for (const Kind& kind : kinds) covered.insert(kind.code);
    for (int code = 0; code <= maxContentType; ++code) {
        if (code == 8 || code == 11 || code == 40) continue;
        EXPECT_TRUE(covered.count(code)) << code;
    }
}

TEST(ContentTypesTest, WaitIsThirteenBytes) {
    const std::string bytes("\x0A\x00\x00\x00\x00\x40\x9C\x00\x00\x05\x00\x00\x00", 13);
    std::istringstream in(bytes, std::ios::binary);
    const ContentPtr wait = readContent(in);
    EXPECT_EQ(dynamic_cast<const Content_Wait&>(*wait).duration, 5);
    EXPECT_EQ(in.peek(), std::char_traits<char>::eof());
}

TEST(ContentTypesTest, KindsKeepTheirGameNamesAndFamilies) {
    const ContentPtr removed = [] {
        std::istringstream in(ContentRecord{59, Bytes().string("x")}.bytes().data, std::ios::binary);
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
    ContentRecord message{6, Bytes().string("").string("一行目\n二行目")};
    message.name = "N";
    ContentRecord root{0};
    root.children = {message};
    std::istringstream in(root.bytes().data, std::ios::binary);
    EXPECT_EQ(describe(*readContent(in)),
              "スタートコンテント\n\tN: メッセージ[一行目\n二行目] (画像: なし)\n");
}

}  // namespace
}  // namespace Vantorn
