#include "cards/Motion.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

#include "format/Errors.hpp"
#include "support/CardTesting.hpp"

namespace Vantorn {
namespace {

using testing::Bytes;
using testing::describe;
using testing::messageOf;
using testing::MotionRecord;

// Reads one motion from bytes and tells how many bytes it consumed.
Motion readMotion(const std::string& bytes, std::size_t* consumed = nullptr) {
    CardReader in(bytes);
    Motion motion;
    motion.read(in);
    if (consumed) *consumed = static_cast<std::size_t>(in.offset());
    return motion;
}

TEST(MotionRecordTest, StrengthRecordIsThirteenBytes) {
    std::size_t consumed = 0;
    const std::string record("\x01\x00\x00\x00\x00\x00\x02\x00\x00\x07\x00\x00\x00" "next", 17);
    const Motion motion = readMotion(record, &consumed);
    EXPECT_EQ(consumed, 13u);
    EXPECT_EQ(motion.category, 1);
    EXPECT_EQ(motion.subType, 0);
    EXPECT_EQ(motion.attr, 2);
    EXPECT_EQ(motion.valueType, ValueType::levelRatio);
    EXPECT_EQ(motion.value, 7);
    EXPECT_EQ(describe(motion), "麻痺状態(精神): Lv比7");
}

TEST(MotionRecordTest, TailLengthFollowsTheCategory) {
    const std::pair<std::uint8_t, std::size_t> lengths[] = {{0, 13}, {1, 13}, {2, 8}, {3, 12},
                                                            {4, 12}, {5, 16}, {6, 8},  {7, 8}};
    for (const auto& [category, length] : lengths) {
        std::size_t consumed = 0;
        readMotion(MotionRecord{category}.bytes().raw("tail").data, &consumed);
        EXPECT_EQ(consumed, length) << "category " << int{category};
    }
}

TEST(MotionRecordTest, FieldsTheCategoryDoesNotCarryStayZero) {
    const Motion sleep = readMotion(MotionRecord{3, 0, 1, 0, 0, 4}.bytes().data);
    EXPECT_EQ(sleep.valueType, ValueType::levelRatio);
    EXPECT_EQ(sleep.value, 0);
    EXPECT_EQ(sleep.rounds, 4);
    const Motion change = readMotion(MotionRecord{5, 1, 0, 0, -10, 0}.bytes().data);
    EXPECT_EQ(change.value, -10);
    EXPECT_EQ(change.rounds, 0);
}

TEST(MotionRecordTest, BadValuesAreCorrupt) {
    const std::string corrupt = "ファイルが壊れています";
    EXPECT_EQ(messageOf<FileCorruptException>(
                  [] { readMotion(MotionRecord{0, 0, 0, 3, 10}.bytes().data); }),
              corrupt);
    for (std::uint8_t category : {3, 4, 5}) {
        MotionRecord negative{category};
        negative.rounds = -1;
        EXPECT_EQ(messageOf<FileCorruptException>([&] { readMotion(negative.bytes().data); }),
                  corrupt);
    }
    for (std::uint8_t category : {9, 255}) {
        EXPECT_EQ(messageOf<FileCorruptException>(
                      [&] { readMotion(MotionRecord{category}.bytes().data); }),
                  corrupt);
    }
}

// Summoning and the categories past it are refused against one range: the readable one.
TEST(MotionRecordTest, RefusedCategoriesNameTheReadableRange) {
    for (std::uint8_t category : {8, 9}) {
        try {
            readMotion(MotionRecord{category}.bytes().data);
            ADD_FAILURE() << "category " << int{category} << " was read";
        } catch (const std::runtime_error& error) {
            const ReadLocation* location = locationOf(error);
            ASSERT_NE(location, nullptr);
            EXPECT_EQ(location->allowed, "0..7") << "category " << int{category};
        }
    }
}

TEST(MotionRecordTest, SummoningIsAPlainRuntimeError) {
    try {
        readMotion(MotionRecord{8}.bytes().data);
        FAIL() << "no exception";
    } catch (const IOException&) {
        FAIL() << "summoning is not a reading error";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "召喚には対応していません。");
    }
}

TEST(MotionRecordTest, ShortRecordRaisesIOException) {
    const std::string cut = MotionRecord{5}.bytes().data.substr(0, 14);
    EXPECT_EQ(messageOf<IOException>([&] { readMotion(cut); }), "I/O例外");
}

TEST(MotionTextTest, EachValueFormWritesItsOwnTail) {
    const std::pair<MotionRecord, const char*> cases[] = {
        {{0, 1, 1, 0, 5}, "生命力ダメージ(肉体): Lv比5"},
        {{0, 0, 0, 2, 99}, "生命力回復(全): 最大値"},
        {{1, 2, 5, 1, -3}, "中毒状態(炎): 直接-3"},
        {{3, 0, 2, 0, 0, 3}, "睡眠状態(精神): 3ラウンド"},
        {{5, 1, 0, 0, -10, 3}, "回避力変化(全): -10, 3ラウンド"},
        {{6, 1}, "カード消去(全)"},
        {{6, 0, 3}, "対象消去（★非推奨）(神聖)"},
        {{7, 7, 6}, "特殊技能配布(冷気)"},
        {{2, 1, 4}, "精神力不能(魔法)"},
        // These read a rounds field but print none.
        {{3, 5, 0, 0, 0, 9}, "正常状態(全)"},
        {{4, 1, 0, 0, 0, 9}, "束縛解除(全)"},
    };
    for (const auto& [record, text] : cases) {
        EXPECT_EQ(describe(readMotion(record.bytes().data)), text);
    }
}

TEST(MotionTextTest, UnknownEffectsAndElementsAreNamedByNumber) {
    EXPECT_EQ(describe(readMotion(MotionRecord{2, 5, 1}.bytes().data)), "不明な効果[2,5](肉体)");
    EXPECT_EQ(describe(readMotion(MotionRecord{0, 200, 0, 1, 7}.bytes().data)),
              "不明な効果[0,200](全)");
    EXPECT_EQ(describe(readMotion(MotionRecord{3, 0, 7, 0, 0, 2}.bytes().data)),
              "睡眠状態(不明な属性7): 2ラウンド");
    EXPECT_EQ(describe(readMotion(MotionRecord{6, 2, 255}.bytes().data)), "召喚獣消去(不明な属性255)");
}

TEST(MotionTest, AttrNamesAreRangeChecked) {
    EXPECT_EQ(Motion::getAttrName(0), "全");
    EXPECT_EQ(Motion::getAttrName(6), "冷気");
    for (int index : {7, -1}) {
        EXPECT_EQ(messageOf<std::out_of_range>([&] { Motion::getAttrName(index); }),
                  "Motion::getAttrName(): argument out of range");
    }
}

}  // namespace
}  // namespace Vantorn
