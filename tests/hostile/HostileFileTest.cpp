// Files a stranger could hand the programs: truncated, mutated, oversized and nested
// past every bound. Each must give the card's text or one of the defined messages,
// never a crash, an unexpected exception type or a half-written block.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <streambuf>

#include "ConsoleDriver.hpp"
#ifdef MORNSTAVE_HAS_COMPOSE
#include "Compose.hpp"
#endif
#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"
#include "report/Report.hpp"
#include "events/Content.hpp"
#include "diff/CardDiff.hpp"
#include "explain/Listing.hpp"
#include "hostile/HostileCards.hpp"
#include "support/CardTesting.hpp"
#include "support/CountingStream.hpp"

namespace Vantorn {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::ContentRecord;
using testing::MotionRecord;
using testing::SkillCardRecord;
using testing::cardAround;
using testing::chainOf;
using testing::headerOf;
using testing::oneTree;

const std::string ioError = "I/O例外";
const std::string corrupt = "ファイルが壊れています";
const std::string notASkillCard = "技能カードではありません";

bool isDefinedMessage(const std::string& message) {
    static const std::set<std::string> messages = {
        ioError, corrupt, notASkillCard, "召喚には対応していません。",
        "ChangeBG: 未実装。", "Effect: 未実装。", "Serifu: 未実装。"};
    return messages.count(message) != 0;
}

// Throws the text away; a mutated card may describe itself at length.
class DiscardBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

struct Outcome {
    bool loaded = false;
    std::string message;  // when not loaded
    std::string text;     // description and estimate, when loaded and kept
    std::size_t motions = 0;
    std::size_t events = 0;
};

// The listing of any file stays within a bounded number of bytes per byte of file: a
// line per field, whose path is shortened past a few levels.
void expectBoundedListing(const std::string& bytes) {
    testing::CountingStream listing;
    try {
        writeListing(listing, bytes);
    } catch (const std::runtime_error& error) {
        EXPECT_TRUE(isDefinedMessage(error.what())) << error.what();
    }
    EXPECT_LE(listing.count(), 160 * bytes.size() + 4096);
}

// What a front end makes of the bytes: reading guarded like the front ends guard it,
// then the description and the estimate, which must not throw at all. The listing
// of the bytes goes with it.
Outcome process(const std::string& bytes, bool keepText = true, bool listing = true) {
    if (listing) expectBoundedListing(bytes);
    Outcome outcome;
    SkillCard card;
    try {
        testing::readCard(card, bytes);
    } catch (const std::runtime_error& error) {
        outcome.message = error.what();
        return outcome;
    }
    outcome.loaded = true;
    outcome.motions = card.motions.size();
    outcome.events = card.eventPart.events.size();
    DiscardBuffer discard;
    std::ostringstream kept;
    std::ostream discarding(&discard);
    std::ostream& out = keepText ? static_cast<std::ostream&>(kept) : discarding;
    writeDescription(out, card);
    writeEstimate(out, estimateLevel(card));
    outcome.text = kept.str();
    return outcome;
}

bool endsWithLevelLine(const std::string& text) {
    const auto lastLine = text.rfind('\n', text.size() >= 2 ? text.size() - 2 : 0);
    return !text.empty() && text.back() == '\n' &&
           text.compare(lastLine == std::string::npos ? 0 : lastLine + 1, 7, "level: ") == 0;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Files under a folder of their own, removed after each test.
class HostileFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("mornstave-hostile-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                  "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string write(const std::string& bytes, const std::string& name = "skill.vnt") {
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        return path;
    }

    // The console's verdict on one file: its whole block, or its one error line.
    void expectConsoleError(const std::string& bytes, const std::string& message) {
        const std::string path = write(bytes);
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(runConsole({path}, out, err), 0);
        EXPECT_EQ(out.str(), "");
        EXPECT_EQ(err.str(), path + ": " + message + "\n");
    }
    std::string expectConsoleBlock(const std::string& bytes) {
        const std::string path = write(bytes);
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(runConsole({path}, out, err), 0);
        EXPECT_EQ(err.str(), "");
        const std::string header = "[" + path + "]\n";
        EXPECT_EQ(out.str().compare(0, header.size(), header), 0);
        EXPECT_TRUE(out.str().size() > 2 && out.str().substr(out.str().size() - 2) == "\n\n");
        return out.str();
    }

    fs::path folder;
};

TEST_F(HostileFileTest, EveryPrefixOfEveryExampleIsAnIOErrorInBothFrontEnds) {
    std::size_t cards = 0;
    for (const auto& entry : fs::directory_iterator(MORNSTAVE_EXAMPLES_DIR)) {
        if (entry.path().extension() != ".vnt") continue;
        ++cards;
        const std::string whole = readFile(entry.path());
        ASSERT_TRUE(process(whole).loaded) << entry.path();
        for (std::size_t length = 0; length < whole.size(); ++length) {
            SCOPED_TRACE(entry.path().filename().string() + " cut at " + std::to_string(length));
            const std::string path = write(whole.substr(0, length));
            std::ostringstream out;
            std::ostringstream err;
            runConsole({path}, out, err);
            EXPECT_EQ(out.str(), "");
            EXPECT_EQ(err.str(), path + ": " + ioError + "\n");
#ifdef MORNSTAVE_HAS_COMPOSE
            // The folder walk of the window keeps the header and puts the message below it.
            std::ostringstream walk;
            Mornstave::composeFolderEntry(walk, "", path);
            EXPECT_EQ(walk.str(), "[" + path + "]\n" + ioError + "\n\n");
#endif
        }
    }
    EXPECT_GE(cards, 7u);
}

TEST_F(HostileFileTest, EverySingleByteChangeOfARichCardLoadsOrGivesADefinedMessage) {
    const std::string rich = testing::richCard().bytes().data;
    const Outcome original = process(rich);
    ASSERT_TRUE(original.loaded) << original.message;
    ASSERT_TRUE(endsWithLevelLine(original.text));

    std::size_t loaded = 0;
    std::size_t refused = 0;
    int reported = 0;
    std::string mutated = rich;
    for (std::size_t at = 0; at < rich.size(); ++at) {
        for (int delta = 1; delta < 256; ++delta) {
            mutated[at] = static_cast<char>(static_cast<unsigned char>(rich[at]) + delta);
            // Listing every mutation would take minutes; a few per byte cover its paths.
            const bool listing = delta == 1 || delta == 0x80 || delta == 0xFF;
            const Outcome outcome = process(mutated, false, listing);
            if (outcome.loaded) {
                ++loaded;
            } else if (isDefinedMessage(outcome.message)) {
                ++refused;
            } else if (reported++ < 10) {
                ADD_FAILURE() << "byte " << at << " changed by " << delta << ": " << outcome.message;
            }
        }
        mutated[at] = rich[at];
    }
    EXPECT_EQ(reported, 0);
    // Both outcomes must really occur, or the card is not exercising the reader.
    EXPECT_GT(loaded, 0u);
    EXPECT_GT(refused, 0u);
}

TEST_F(HostileFileTest, StringLengthsAtAndPastTheBound) {
    const auto named = [](std::int32_t length, const std::string& body) {
        SkillCardRecord card;
        std::string bytes = card.bytes().data;
        // The name is the first string, right after the tag and the picture size.
        return bytes.substr(0, 5) + Bytes().int32(length).raw(body).data + bytes.substr(9);
    };
    const std::string full(65536, 'x');
    const Outcome atBound = process(named(65536, full));
    ASSERT_TRUE(atBound.loaded) << atBound.message;
    EXPECT_NE(atBound.text.find("名称: " + full + "\n"), std::string::npos);
    for (std::int32_t length : {65537, static_cast<std::int32_t>(0x80000000), -1, 0x7FFFFFFF}) {
        EXPECT_EQ(process(named(length, full + "x")).message, corrupt) << length;
    }
    EXPECT_EQ(process(named(65536, "short")).message, ioError);

    // The same bound holds deep inside an event tree.
    const auto message = [](std::int32_t length) {
        const Bytes fields = Bytes().int32(0).int32(length).raw(std::string(65536, 'y'));
        return cardAround(Bytes().int32(0), oneTree(ContentRecord{ContentKind::Message, fields}.bytes()));
    };
    EXPECT_TRUE(process(message(65536)).loaded);
    EXPECT_EQ(process(message(65537)).message, corrupt);
    EXPECT_EQ(process(message(-2)).message, corrupt);
}

TEST_F(HostileFileTest, ListCountsAtAndPastTheirBounds) {
    const Bytes noMotion = Bytes().int32(0);
    const Bytes noEvent = Bytes().int32(0);
    const Bytes leaf = ContentRecord{ContentKind::IncRound}.bytes();
    const auto repeated = [](const Bytes& item, std::size_t times) {
        Bytes out;
        for (std::size_t i = 0; i < times; ++i) out.append(item);
        return out;
    };
    const std::int32_t topBit = static_cast<std::int32_t>(0x80000000);

    // Events: at most 65536; a negative count, top bit included, is an empty list.
    const Outcome events = process(cardAround(noMotion, Bytes().int32(65536).append(repeated(Bytes().int32(0), 65536))), false);
    EXPECT_TRUE(events.loaded);
    EXPECT_EQ(events.events, 65536u);
    EXPECT_EQ(process(cardAround(noMotion, Bytes().int32(65537).append(repeated(Bytes().int32(0), 65537)))).message, corrupt);
    EXPECT_EQ(process(cardAround(noMotion, Bytes().int32(0x7FFFFFFF))).message, corrupt);
    EXPECT_EQ(process(cardAround(noMotion, Bytes().int32(65536), false)).message, ioError);
    for (std::int32_t count : {-1, topBit}) {
        const Outcome none = process(cardAround(noMotion, Bytes().int32(count)));
        EXPECT_TRUE(none.loaded) << count;
        EXPECT_EQ(none.events, 0u);
    }

    // Roots of one event: the same bound.
    EXPECT_TRUE(process(cardAround(noMotion, Bytes().int32(1).int32(65536).append(repeated(leaf, 65536))), false).loaded);
    EXPECT_EQ(process(cardAround(noMotion, Bytes().int32(1).int32(65537).append(repeated(leaf, 65537)))).message, corrupt);
    EXPECT_EQ(process(cardAround(noMotion, Bytes().int32(1).int32(topBit))).events, 1u);

    // Children: stored plus 40000, at most 65536.
    const auto parent = [&](std::int32_t stored, std::size_t present) {
        return cardAround(noMotion, oneTree(headerOf(ContentKind::Start, stored).append(repeated(leaf, present))));
    };
    EXPECT_TRUE(process(parent(40000 + 65536, 65536), false).loaded);
    EXPECT_EQ(process(parent(40000 + 65537, 65537)).message, corrupt);
    EXPECT_EQ(process(parent(0x7FFFFFFF, 0)).message, corrupt);
    EXPECT_EQ(process(parent(40000 + 65536, 3)).message, ioError);
    EXPECT_TRUE(process(parent(-1, 0)).loaded);
    EXPECT_TRUE(process(parent(39999, 0)).loaded);

    // Motions have no upper bound, and millions claimed by a short file end at its end.
    const Bytes motion = MotionRecord{2, 0}.bytes();
    const Outcome many = process(cardAround(Bytes().int32(65537).append(repeated(motion, 65537)), noEvent), false);
    EXPECT_TRUE(many.loaded);
    EXPECT_EQ(many.motions, 65537u);
    for (std::int32_t count : {3'000'000, 0x7FFFFFFF}) {
        EXPECT_EQ(process(cardAround(Bytes().int32(count).append(repeated(motion, 1000)), noEvent)).message, ioError)
            << count;
    }
    for (std::int32_t count : {-1, topBit}) {
        const Outcome none = process(cardAround(Bytes().int32(count), noEvent));
        EXPECT_TRUE(none.loaded) << count;
        EXPECT_EQ(none.motions, 0u);
    }
}

TEST_F(HostileFileTest, TreesAtTheDepthBoundLoadAndOnePastItAreRefused) {
    const std::string deepest = cardAround(Bytes().int32(0), oneTree(chainOf(maxContentDepth)));
    const std::string text = expectConsoleBlock(deepest);
    EXPECT_NE(text.find("\n" + std::string(maxContentDepth - 1, '\t') + "スタートコンテント\n"), std::string::npos);
    EXPECT_EQ(text.find(std::string(maxContentDepth, '\t')), std::string::npos);

    expectConsoleError(cardAround(Bytes().int32(0), oneTree(chainOf(maxContentDepth + 1))), corrupt);
    // Far past the bound the refusal comes as soon as the bound is crossed.
    expectConsoleError(cardAround(Bytes().int32(0), oneTree(chainOf(200'000)), false), corrupt);

    // At the bound, the deepest content still decides the outcome.
    const Bytes serifu = ContentRecord{ContentKind::Serifu}.bytes();
    expectConsoleError(cardAround(Bytes().int32(0), oneTree(chainOf(maxContentDepth, serifu))), "Serifu: 未実装。");
    const Bytes cut = chainOf(maxContentDepth);
    expectConsoleError(cardAround(Bytes().int32(0), oneTree(Bytes().raw(cut.data.substr(0, cut.data.size() - 3))), false),
                       ioError);

    // Several deepest trees side by side, the last one fanning out at its deepest level.
    Bytes fan = headerOf(ContentKind::Start, 40000 + 1000);
    for (int i = 0; i < 1000; ++i) fan.append(ContentRecord{ContentKind::IncRound}.bytes());
    Bytes part = Bytes().int32(2).int32(1).append(chainOf(maxContentDepth)).int32(2);
    part.append(chainOf(maxContentDepth)).append(chainOf(maxContentDepth - 1, fan));
    const Outcome wide = process(cardAround(Bytes().int32(0), part));
    ASSERT_TRUE(wide.loaded) << wide.message;
    EXPECT_TRUE(endsWithLevelLine(wide.text));
}

TEST_F(HostileFileTest, TextOfTheMostIndentedTreesStaysProportionalToTheFile) {
    // The most text a byte can buy: the shortest records, each with the longest label,
    // all at the deepest level, where every line carries the most TABs.
    Bytes fan = headerOf(ContentKind::Start, 40000 + 4096);
    for (int i = 0; i < 4096; ++i) fan.append(ContentRecord{ContentKind::Start}.bytes());
    const std::string bytes = cardAround(Bytes().int32(0), oneTree(chainOf(maxContentDepth - 1, fan)));
    const Outcome outcome = process(bytes);
    ASSERT_TRUE(outcome.loaded) << outcome.message;
    EXPECT_LE(outcome.text.size(), (maxContentDepth / 8 + 32) * bytes.size())
        << "the window holds the whole text, so it must stay a small multiple of the file";
}

TEST_F(HostileFileTest, PictureSizesPointingOutsideTheFileFailThroughTheFileLoader) {
    const std::string rest = SkillCardRecord{}.bytes().data.substr(5);
    const auto withPicture = [&](std::int32_t size, const std::string& picture) {
        return Bytes().byte(5).int32(size).raw(picture).raw(rest).data;
    };
    // Sizes before the signature's end would move backwards; far past the end runs dry.
    for (std::int32_t size : {1, -1, -2, -100, static_cast<std::int32_t>(0x80000000)}) {
        SCOPED_TRACE(size);
        expectConsoleError(withPicture(size, "BM"), corrupt);
    }
    const std::int32_t toTheEnd = static_cast<std::int32_t>(2 + rest.size());
    for (std::int32_t size : {toTheEnd, toTheEnd + 1, 0x10000000, 0x7FFFFFFF}) {
        SCOPED_TRACE(size);
        expectConsoleError(withPicture(size, "BM"), ioError);
    }
    // A picture that is only its signature, and a whole bitmap, are skipped exactly.
    expectConsoleBlock(withPicture(2, "BM"));
    const std::string bitmap = testing::sampleBitmap();
    expectConsoleBlock(withPicture(static_cast<std::int32_t>(bitmap.size()), bitmap));
    expectConsoleError(withPicture(static_cast<std::int32_t>(bitmap.size()), "MB" + bitmap.substr(2)), notASkillCard);
}

TEST_F(HostileFileTest, EveryKeptFuzzingInputGivesADefinedOutcome) {
    if (!fs::is_directory(MORNSTAVE_REGRESSIONS_DIR)) GTEST_SKIP() << "no regression inputs kept";
    for (const auto& entry : fs::directory_iterator(MORNSTAVE_REGRESSIONS_DIR)) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
        SCOPED_TRACE(entry.path().filename().string());
        const Outcome outcome = process(readFile(entry.path()), false);
        EXPECT_TRUE(outcome.loaded || isDefinedMessage(outcome.message)) << outcome.message;
    }
}

// The comparison walks the deepest trees and the widest lists without running away:
// one change at the bottom of a tree, one record put in the middle of a wide list.
TEST_F(HostileFileTest, ComparisonsOfTheDeepestTreesAndWidestListsNameTheirOneChange) {
    const auto compared = [](const std::string& before, const std::string& after) {
        const CardVersion older{before, std::nullopt}, newer{after, std::nullopt};
        return compareCards("skill1.vnt", &older, &newer);
    };
    const Bytes leaf = ContentRecord{ContentKind::IncRound}.bytes();
    const CardDiff deep = compared(cardAround(Bytes().int32(0), oneTree(chainOf(maxContentDepth))),
                                   cardAround(Bytes().int32(0), oneTree(chainOf(maxContentDepth, leaf))));
    ASSERT_EQ(deep.status, DiffStatus::changed);
    ASSERT_FALSE(deep.changes.empty());
    EXPECT_LE(deep.changes.size(), 3u);
    EXPECT_NE(deep.changes[0].field.find(" more > child 1 > child 1 > child 1 > "), std::string::npos) << deep.changes[0].field;

    const auto fanOf = [&](int children, bool marked) {
        Bytes fan = headerOf(ContentKind::Start, 40000 + children + (marked ? 1 : 0));
        for (int i = 0; i < children; ++i) {
            if (marked && i == children / 2) fan.append(ContentRecord{ContentKind::GameOver}.bytes());
            fan.append(i % 2 ? leaf : ContentRecord{ContentKind::Start}.bytes());
        }
        return cardAround(Bytes().int32(0), oneTree(fan));
    };
    const CardDiff wide = compared(fanOf(60000, false), fanOf(60000, true));
    ASSERT_EQ(wide.changes.size(), 1u);
    EXPECT_EQ(wide.changes[0].field, "event 1 > content 1 > child 30001");
    EXPECT_FALSE(wide.changes[0].oldValue);
}

}  // namespace
}  // namespace Vantorn
