#include "cards/SkillCard.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <new>
#include <stdexcept>
#include <vector>

#include <unistd.h>

#include "format/CardFile.hpp"
#include "format/Errors.hpp"
#include "support/CardTesting.hpp"

// The largest block asked of the allocator since a test reset it: a file too large to
// read must be refused before anything of its size is allocated. Every unaligned form
// is replaced, so that each block is freed the way it was allocated.
static std::atomic<std::size_t> largestAllocation{0};

// The compiler, seeing operator new's block reach free() once inlined, takes the pair
// for a mismatch; here it is the allocator itself.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

static void* allocate(std::size_t size) noexcept {
    for (std::size_t largest = largestAllocation; size > largest && !largestAllocation.compare_exchange_weak(largest, size);) {
    }
    return std::malloc(size ? size : 1);
}
void* operator new(std::size_t size) {
    if (void* block = allocate(size)) return block;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
#pragma GCC diagnostic pop

namespace Vantorn {
namespace {

using testing::Bytes;
using testing::ContentRecord;
using testing::describe;
using testing::messageOf;
using testing::MotionRecord;
using testing::readCard;
using testing::SkillCardRecord;

const std::string corrupt = "ファイルが壊れています";
const std::string notASkillCard = "技能カードではありません";

std::string readError(const std::string& bytes) {
    SkillCard card;
    return messageOf<IOException>([&] { readCard(card, bytes); });
}

const char* const emptyCardText =
    "名称: \n"
    "技能Lv: 0\n"
    "目標: 対象無し\n"
    "効果属性: 物理\n"
    "沈黙時使用: 可\n"
    "抵抗属性: 回避\n"
    "成功率修正値: 0\n"
    "使用時ボーナス(回避, 抵抗, 防御): 0, 0, 0\n"
    "身体的要素: 器用度\n"
    "精神的要素: ????\n"
    "キーコード: , , , , \n";

TEST(SkillCardLayoutTest, SmallestCardIs97BytesAndDescribesAsElevenLines) {
    const std::string bytes = SkillCardRecord{}.bytes().data;
    ASSERT_EQ(bytes.size(), 97u);
    SkillCard card;
    readCard(card, bytes);
    EXPECT_EQ(describe(card), emptyCardText);
}

TEST(SkillCardLayoutTest, EveryFieldLandsWhereTheLayoutPutsIt) {
    SkillCardRecord record;
    record.name = "炎の矢";
    record.text2 = "second";
    record.physicalElement = 5;
    record.mentalElement = -5;
    record.unusableWhenSilenced = true;
    record.targetsAll = true;
    record.targetType = 3;
    record.effectAttribute = 2;
    record.usesResist = true;
    record.successModifier = -10;
    record.extraByte = 255;
    record.motions = {MotionRecord{0, 1, 5, 0, 4}, MotionRecord{7, 2}};
    record.bonuses[0] = -2;
    record.bonuses[2] = 5;
    record.extraTexts[1] = "extra";
    record.keyCodes[0] = "火";
    record.keyCodes[4] = "矢";
    record.codeAfterKeys = 2;
    record.text3 = "third";
    record.text4 = "fourth";
    record.cardLevel = 7;
    SkillCard card;
    readCard(card, record.bytes().raw("ignored trailing bytes").data);

    EXPECT_EQ(card.text2, "second");
    EXPECT_EQ(card.extraTexts[1], "extra");
    EXPECT_EQ(card.text3, "third");
    EXPECT_EQ(card.text4, "fourth");
    EXPECT_EQ(card.extraByte, 255);
    EXPECT_EQ(card.codeAfterKeys, 2);
    EXPECT_EQ(card.getBonus(0), -2);
    EXPECT_EQ(card.getBonus(2), 5);
    EXPECT_EQ(describe(card),
              "名称: 炎の矢\n"
              "技能Lv: 7\n"
              "目標: 敵方全体\n"
              "効果属性: 魔法的物理\n"
              "沈黙時使用: 不可\n"
              "抵抗属性: 抵抗\n"
              "成功率修正値: -10\n"
              "使用時ボーナス(回避, 抵抗, 防御): -2, 0, 5\n"
              "身体的要素: 精神力\n"
              "精神的要素: 正直\n"
              "キーコード: 火, , , , 矢\n"
              "生命力ダメージ(炎): Lv比4\n"
              "会心配布(全)\n");
}

TEST(SkillCardLayoutTest, PictureIsSkippedByItsSize) {
    SkillCardRecord record;
    record.picture = std::string("BM") + std::string(8, '\xEE');
    record.name = "after picture";
    SkillCard card;
    readCard(card, record.bytes().data);
    EXPECT_EQ(card.name, "after picture");
}

TEST(SkillCardLayoutTest, WrongTagOrPictureSignatureIsNotASkillCard) {
    SkillCardRecord wrongTag;
    wrongTag.tag = 6;
    EXPECT_EQ(readError(wrongTag.bytes().data.substr(0, 1)), notASkillCard)
        << "the tag is judged before anything else is read";
    SkillCardRecord wrongPicture;
    wrongPicture.picture = "GIF89a";
    EXPECT_EQ(readError(wrongPicture.bytes().data), notASkillCard);
}

TEST(SkillCardLayoutTest, PictureSizesThatLeaveTheFileFail) {
    const Bytes header = Bytes().byte(5);
    EXPECT_EQ(readError(Bytes(header).int32(1000).raw("BM").data), "I/O例外");
    // Sizes below the signature's own two bytes would move the read position backwards.
    for (std::int32_t size : {1, -1, -100, static_cast<std::int32_t>(0x80000000)}) {
        EXPECT_EQ(readError(Bytes(header).int32(size).raw("BM").append(SkillCardRecord{}.bytes()).data),
                  corrupt)
            << size;
    }
}

TEST(SkillCardLayoutTest, NegativeMotionCountMeansNoMotion) {
    SkillCardRecord record;
    record.bonuses[0] = 3;
    std::string bytes = record.bytes().data;
    const std::size_t countOffset = 1 + 4 + 4 + 4 + 4 + 4 + 4 + 5 + 4 + 1;
    bytes.replace(countOffset, 4, Bytes().int32(-3).data);
    SkillCard card;
    readCard(card, bytes);
    EXPECT_TRUE(card.motions.empty());
    EXPECT_EQ(card.getBonus(0), 3);
}

TEST(SkillCardLayoutTest, HugeMotionCountInAShortFileFailsAtItsEnd) {
    SkillCardRecord record;
    std::string bytes = record.bytes().data;
    const std::size_t countOffset = 1 + 4 + 4 + 4 + 4 + 4 + 4 + 5 + 4 + 1;
    bytes.replace(countOffset, 4, Bytes().int32(50'000'000).data);
    EXPECT_EQ(readError(bytes), "I/O例外");
}

TEST(SkillCardLayoutTest, FileEndingBeforeTheLevelIsAnIOError) {
    const std::string bytes = SkillCardRecord{}.bytes().data;
    EXPECT_EQ(readError(bytes.substr(0, bytes.size() - 5)), "I/O例外");
    EXPECT_EQ(readError(bytes.substr(0, bytes.size() - 1)), "I/O例外");
}

TEST(SkillCardRangeTest, BoundaryValuesAreAccepted) {
    const auto accepts = [](auto change) {
        SkillCardRecord record;
        change(record);
        SkillCard card;
        readCard(card, record.bytes().data);
    };
    accepts([](SkillCardRecord& r) { r.mentalElement = -5; });
    accepts([](SkillCardRecord& r) { r.mentalElement = 5; });
    accepts([](SkillCardRecord& r) { r.physicalElement = 5; });
    accepts([](SkillCardRecord& r) { r.targetType = 4; });
    accepts([](SkillCardRecord& r) { r.effectAttribute = 3; });
    accepts([](SkillCardRecord& r) { r.successModifier = -10; });
    accepts([](SkillCardRecord& r) { r.successModifier = 10; });
    accepts([](SkillCardRecord& r) { r.codeAfterKeys = 2; });
    accepts([](SkillCardRecord& r) { r.cardLevel = 0; });
    accepts([](SkillCardRecord& r) { r.bonuses[1] = -2'000'000'000; });
}

TEST(SkillCardRangeTest, ValuesOutOfRangeAreCorruptOnlyAfterTheWholeFile) {
    const auto rejects = [](auto change) {
        SkillCardRecord record;
        change(record);
        // An unsupported content in the events would fail first if the check came early.
        record.events = {{ContentRecord{ContentKind::Serifu}}};
        EXPECT_EQ(readError(record.bytes().data), "Serifu: 未実装。");
        record.events.clear();
        std::string bytes = record.bytes().data;
        EXPECT_EQ(readError(bytes), corrupt);
        EXPECT_EQ(readError(bytes.substr(0, bytes.size() - 1)), "I/O例外");
    };
    rejects([](SkillCardRecord& r) { r.physicalElement = 6; });
    rejects([](SkillCardRecord& r) { r.physicalElement = -1; });
    rejects([](SkillCardRecord& r) { r.mentalElement = 6; });
    rejects([](SkillCardRecord& r) { r.mentalElement = -6; });
    rejects([](SkillCardRecord& r) { r.targetType = 5; });
    rejects([](SkillCardRecord& r) { r.effectAttribute = 4; });
    rejects([](SkillCardRecord& r) { r.successModifier = -11; });
    rejects([](SkillCardRecord& r) { r.successModifier = 11; });
    rejects([](SkillCardRecord& r) { r.codeAfterKeys = 3; });
    rejects([](SkillCardRecord& r) { r.cardLevel = -1; });
}

TEST(SkillCardRangeTest, RejectedCardIsClearedButKeepsItsEvents) {
    SkillCardRecord record;
    record.name = "name";
    record.motions = {MotionRecord{2}};
    record.events = {{ContentRecord{ContentKind::Start}}};
    record.cardLevel = -1;
    SkillCard card;
    EXPECT_THROW(readCard(card, record.bytes().data), FileCorruptException);
    EXPECT_EQ(card.name, "");
    EXPECT_TRUE(card.motions.empty());
    EXPECT_EQ(card.eventPart.events.size(), 1u);
}

TEST(SkillCardTextTest, TargetLineNamesTheRangeOnlyForATarget) {
    const auto targetLine = [](std::uint8_t type, bool all) {
        SkillCardRecord record;
        record.targetType = type;
        record.targetsAll = all;
        SkillCard card;
        readCard(card, record.bytes().data);
        const std::string text = describe(card);
        const auto start = text.find("目標: ");
        return text.substr(start, text.find('\n', start) - start);
    };
    EXPECT_EQ(targetLine(0, true), "目標: 対象無し");
    EXPECT_EQ(targetLine(3, false), "目標: 敵方単体");
    EXPECT_EQ(targetLine(1, true), "目標: 使用者全体");
    EXPECT_EQ(targetLine(4, false), "目標: 双方単体");
}

TEST(SkillCardTextTest, PersonalityNamesRunFromMinusFiveToFive) {
    const char* names[] = {"正直", "大胆", "臆病", "内気", "平和", "????",
                           "好戦", "陽気", "勇敢", "慎重", "狡猾"};
    for (int element = -5; element <= 5; ++element) {
        SkillCardRecord record;
        record.mentalElement = element;
        SkillCard card;
        readCard(card, record.bytes().data);
        EXPECT_NE(describe(card).find(std::string("精神的要素: ") + names[element + 5] + "\n"),
                  std::string::npos);
    }
}

TEST(SkillCardTest, AccessorsCheckTheirIndex) {
    EXPECT_EQ(SkillCard::getTargetTypeName(4), "双方");
    EXPECT_EQ(SkillCard::getTargetTypeName(0), "対象無し");
    for (int index : {5, -1}) {
        EXPECT_EQ(messageOf<std::out_of_range>([&] { SkillCard::getTargetTypeName(index); }),
                  "SkillCard::getTargetTypeName(): argument out of range");
    }
    SkillCard card;
    for (int index : {3, -1}) {
        EXPECT_EQ(messageOf<std::out_of_range>([&] { card.getBonus(index); }),
                  "SkillCard::getBonus(): argument out of range");
    }
}

TEST(SkillCardTest, LoadReportsFilesThatCannotBeOpened) {
    SkillCard card;
    EXPECT_EQ(messageOf<OpenFailedException>([&] { card.load("no/such/skill1.vnt"); }), "開けません");
}

// Where a file too large to read is refused, and what it held.
ReadLocation tooLarge(const std::function<void()>& read) {
    try {
        read();
    } catch (const FileCorruptException& error) {
        EXPECT_EQ(error.what(), corrupt);
        if (const ReadLocation* location = locationOf(error)) return *location;
    }
    ADD_FAILURE() << "not refused as too large";
    return {};
}

TEST(SkillCardTest, AFileTooLargeToHoldIsCorruptAndNothingOfItsSizeIsAllocated) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("mornstave-large-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const fs::path path = folder / "skill1.vnt";
    std::ofstream(path, std::ios::binary).put('\x05');
    fs::resize_file(path, std::uint64_t{4} << 30);  // sparse: no room taken on the disk
    for (const auto& read : std::vector<std::function<void()>>{[&] { loadSkillCard(path); },
                                                               [&] { SkillCard().load(path.string()); }}) {
        largestAllocation = 0;
        const ReadLocation location = tooLarge(read);
        EXPECT_EQ(location.offset, 0u);
        EXPECT_EQ(location.path, "fileSize");
        EXPECT_EQ(location.found, "4294967296 bytes");
        EXPECT_EQ(location.allowed, "at most 67108864 bytes");
        EXPECT_LT(largestAllocation, std::size_t{1} << 20);
    }
    // The bound itself is allowed: a card followed by zeros up to exactly the limit reads,
    // one byte more does not.
    std::ofstream(path, std::ios::binary | std::ios::trunc) << testing::goodCard("限度");
    fs::resize_file(path, maxCardFileSize);
    EXPECT_EQ(loadSkillCard(path).name, "限度");
    fs::resize_file(path, maxCardFileSize + 1);
    EXPECT_EQ(tooLarge([&] { loadSkillCard(path); }).found, "67108865 bytes");
    fs::remove_all(folder);
    // A file of no known size is read up to the bound.
    EXPECT_EQ(tooLarge([] { SkillCard().load("/dev/zero"); }).found, "more than 67108864 bytes");
}

}  // namespace
}  // namespace Vantorn
