#include "events/Content.hpp"
#include "events/ContentFactory.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "format/Errors.hpp"
#include "events/ContentTypes.hpp"
#include "events/Event.hpp"
#include "support/CardTesting.hpp"

namespace Vantorn {
namespace {

using testing::Bytes;
using testing::ContentRecord;
using testing::describe;
using testing::messageOf;

const std::string corrupt = "ファイルが壊れています";

ContentPtr read(const std::string& bytes, std::size_t* consumed = nullptr) {
    CardReader in(bytes);
    ContentPtr content = readContent(in);
    if (consumed) *consumed = static_cast<std::size_t>(in.offset());
    return content;
}

std::string readError(const std::string& bytes) {
    return messageOf<IOException>([&] { read(bytes); });
}

// A chain of Content_Start records, each the only child of the one before.
ContentRecord chain(std::size_t depth) {
    ContentRecord record{ContentKind::Start};
    for (std::size_t level = 1; level < depth; ++level) {
        ContentRecord parent{ContentKind::Start};
        parent.children.push_back(std::move(record));
        record = std::move(parent);
    }
    return record;
}

// The same chain written straight as bytes: every header, then nothing (no own fields).
std::string chainBytes(std::size_t depth) {
    Bytes out;
    for (std::size_t level = 0; level < depth; ++level) {
        out.byte(0).int32(0).int32(level + 1 < depth ? 40001 : 40000);
    }
    return out.data;
}

TEST(ContentFramingTest, SmallestRecordIsNineBytes) {
    std::size_t consumed = 0;
    const ContentPtr start = read(std::string("\x00\x00\x00\x00\x00\x40\x9C\x00\x00", 9) + "x", &consumed);
    EXPECT_EQ(consumed, 9u);
    EXPECT_NE(dynamic_cast<Content_Start*>(start.get()), nullptr);
    EXPECT_EQ(start->type, 0);
    EXPECT_TRUE(start->children.empty());
}

TEST(ContentFramingTest, StoredChildCountIsBiasedBy40000) {
    EXPECT_EQ(read(Bytes().byte(0).int32(0).int32(40000).data)->children.size(), 0u);
    const ContentPtr parent =
        read(Bytes().byte(0).int32(0).int32(40001).append(ContentRecord{ContentKind::GameOver}.bytes()).data);
    ASSERT_EQ(parent->children.size(), 1u);
    EXPECT_EQ(parent->children[0]->type, 4);
    // Counts below the bias are no error: the content has no children.
    for (std::int32_t stored : {0, -1, 39999, static_cast<std::int32_t>(0x80000000) + 40000}) {
        const ContentPtr wait = read(Bytes().byte(10).int32(0).int32(stored).int32(5).data);
        EXPECT_TRUE(wait->children.empty());
        EXPECT_EQ(static_cast<Content_Wait&>(*wait).duration, 5);
    }
}

TEST(ContentFramingTest, ChildCountIsBoundedAt65536) {
    Bytes many;
    many.byte(0).int32(0).int32(40000 + 65536);
    for (int i = 0; i < 65536; ++i) many.append(ContentRecord{ContentKind::IncRound}.bytes());
    EXPECT_EQ(read(many.data)->children.size(), 65536u);
    EXPECT_EQ(readError(Bytes().byte(0).int32(0).int32(40000 + 65537).data), corrupt);
    EXPECT_EQ(readError(Bytes().byte(0).int32(0).int32(0x7FFFFFFF).data), corrupt);
    // The subtraction wraps: the lowest stored value comes out as a huge count.
    EXPECT_EQ(readError(Bytes().byte(0).int32(0).int32(static_cast<std::int32_t>(0x80000000)).data),
              corrupt);
}

TEST(ContentFramingTest, ChildrenComeBeforeTheParentsOwnFields) {
    ContentRecord setStep{ContentKind::SetStep, Bytes().string("S").int32(3)};
    setStep.children.push_back({ContentKind::Message, Bytes().string("").string("hello")});
    const ContentPtr parent = read(setStep.bytes().data);
    const auto& step = dynamic_cast<const Content_SetStep&>(*parent);
    EXPECT_EQ(step.stepName, "S");
    EXPECT_EQ(step.value, 3);
    EXPECT_EQ(dynamic_cast<const Content_Message&>(*step.children[0]).text, "hello");
}

TEST(ContentFramingTest, TypeCodesAbove65AreCorruptAtAnyDepth) {
    EXPECT_EQ(readError(ContentRecord{66}.bytes().data), corrupt);
    EXPECT_EQ(readError(ContentRecord{255}.bytes().data), corrupt);
    ContentRecord deep = chain(5);
    deep.children[0].children[0].children.push_back({66});
    EXPECT_EQ(readError(deep.bytes().data), corrupt);
}

TEST(ContentFramingTest, UnsupportedKindsFailWhereverTheyStand) {
    const std::pair<ContentKind, const char*> kinds[] = {
        {ContentKind::ChangeBG, "ChangeBG: 未実装。"},
        {ContentKind::Effect, "Effect: 未実装。"},
        {ContentKind::Serifu, "Serifu: 未実装。"}};
    for (const auto& [kind, message] : kinds) {
        EXPECT_EQ(readError(ContentRecord{kind}.bytes().data), message);
        ContentRecord tree = chain(30);
        tree.children[0].children.push_back({kind});
        EXPECT_EQ(readError(tree.bytes().data), message);
    }
}

TEST(ContentFramingTest, TruncatedRecordsRaiseIOException) {
    EXPECT_EQ(readError(""), "I/O例外");
    const std::string full = ContentRecord{ContentKind::StartBattle, Bytes().int32(9)}.bytes().data;
    for (std::size_t length = 1; length < full.size(); ++length) {
        EXPECT_EQ(readError(full.substr(0, length)), "I/O例外") << length;
    }
}

TEST(ContentDepthTest, DeepestAcceptedChainReadsDescribesAndDestroys) {
    ContentPtr root = read(chainBytes(maxContentDepth));
    std::size_t depth = 1;
    for (const Content* c = root.get(); !c->children.empty(); c = c->children[0]) ++depth;
    EXPECT_EQ(depth, maxContentDepth);
    const std::string text = describe(*root);
    EXPECT_EQ(text.substr(text.rfind('\n', text.size() - 2) + 1),
              std::string(maxContentDepth - 1, '\t') + "スタートコンテント\n");
    root.reset();
}

TEST(ContentDepthTest, OneLevelPastTheBoundIsCorrupt) {
    EXPECT_EQ(readError(chainBytes(maxContentDepth + 1)), corrupt);
}

TEST(ContentDepthTest, DestroyingAVeryLongChainDoesNotRecurse) {
    // Far deeper than any card may be; built directly, as only a reader bug could.
    auto arena = std::make_shared<ContentArena>();
    Content* tip = makeContent(0, *arena);
    for (int i = 0; i < 1'000'000; ++i) {
        tip->children.push_back(makeContent(0, *arena));
        tip = tip->children.back();
    }
    arena.reset();
    SUCCEED();
}

TEST(ContentArenaTest, DestroysWhatItMadeLastFirstAndNothingHalfMade) {
    std::vector<int> destroyed;
    struct Noted {
        Noted(std::vector<int>& log, int id) : log(log), id(id) {
            if (id < 0) throw std::runtime_error("not made");
        }
        ~Noted() { log.push_back(id); }
        std::vector<int>& log;
        int id;
    };
    {
        ContentArena arena;
        arena.make<Noted>(destroyed, 1);
        arena.make<Noted>(destroyed, 2);
        EXPECT_THROW(arena.make<Noted>(destroyed, -1), std::runtime_error);
        arena.make<Noted>(destroyed, 3);
        // Far past the first block, so that later blocks are taken and given back too.
        for (int i = 0; i < 10'000; ++i) arena.release(arena.allocate(64, 16));
    }
    EXPECT_EQ(destroyed, (std::vector<int>{3, 2, 1}));
}

TEST(ContentTreeTextTest, TreeIsIndentedByDepthWithNamesInFront) {
    ContentRecord branch{ContentKind::Branch_Flag, Bytes().string("F")};
    branch.children = {{ContentKind::GetMoney, Bytes().int32(100)}, {ContentKind::LoseMoney, Bytes().int32(100)}};
    ContentRecord start{ContentKind::Start};
    start.name = "A";
    start.children = {branch};
    EXPECT_EQ(describe(*read(start.bytes().data)),
              "A: スタートコンテント\n"
              "\tフラグ分岐[F]\n"
              "\t\t所持金増加[100sp]\n"
              "\t\t所持金減少[100sp]\n");

    ContentRecord named = chain(3);
    named.children[0].children[0].name = "A";
    EXPECT_EQ(describe(*read(named.bytes().data)),
              "スタートコンテント\n\tスタートコンテント\n\t\tA: スタートコンテント\n");
}

TEST(ContentTreeTextTest, SubtreesComeBeforeTheNextSibling) {
    ContentRecord root{ContentKind::Start};
    ContentRecord first{ContentKind::ShowParty};
    first.children = {{ContentKind::RedrawScreen}};
    root.children = {first, {ContentKind::HideParty}};
    EXPECT_EQ(describe(*read(root.bytes().data)),
              "スタートコンテント\n\tパーティ表示\n\t\t画面の再構築\n\tパーティ隠蔽\n");
}

TEST(ContentTreeTextTest, TerminalKindsStillHaveTheirChildrenPrinted) {
    ContentRecord gameOver{ContentKind::GameOver};
    gameOver.children = {{ContentKind::Start}};
    EXPECT_EQ(describe(*read(gameOver.bytes().data)), "ゲームオーバー\n\tスタートコンテント\n");
}

std::size_t eventCount(const std::string& bytes) {
    CardReader in(bytes);
    EventPart part;
    part.read(in);
    return part.events.size();
}

TEST(EventPartTest, CountsAreBoundedAndNegativeMeansEmpty) {
    EXPECT_EQ(eventCount(Bytes().int32(0).data), 0u);
    EXPECT_EQ(eventCount(Bytes().int32(-1).data.append("next")), 0u);
    EventPart part;
    const std::string tooManyBytes = Bytes().int32(65537).data;
    CardReader tooMany(tooManyBytes);
    EXPECT_EQ(messageOf<FileCorruptException>([&] { part.read(tooMany); }), corrupt);
    const std::string tooManyContentsBytes = Bytes().int32(1).int32(65537).data;
    CardReader tooManyContents(tooManyContentsBytes);
    EXPECT_EQ(messageOf<FileCorruptException>([&] { part.read(tooManyContents); }), corrupt);
    // 65536 passes the count check; the file then simply ends.
    const std::string atBoundBytes = Bytes().int32(65536).data;
    CardReader atBound(atBoundBytes);
    EXPECT_EQ(messageOf<IOException>([&] { part.read(atBound); }), "I/O例外");
}

TEST(EventPartTest, EventsDescribeAsTheirTreesInFileOrder) {
    const Bytes bytes = Bytes()
                            .int32(3)
                            .int32(1).append(ContentRecord{ContentKind::IncRound}.bytes())
                            .int32(0)
                            .int32(1).append(ContentRecord{ContentKind::BreakEffect}.bytes());
    CardReader in(bytes.data);
    EventPart part;
    part.read(in);
    ASSERT_EQ(part.events.size(), 3u);
    EXPECT_TRUE(part.events[1]->contents.empty());
    EXPECT_EQ(describe(part), "時間経過\n効果中断\n");
}

}  // namespace
}  // namespace Vantorn
