// Reading errors that say where, and the field-by-field listing.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cards/SkillCard.hpp"
#include "events/ContentTypes.hpp"
#include "explain/Listing.hpp"
#include "format/Errors.hpp"
#include "support/CardTesting.hpp"
#include "text/Cp932.hpp"

namespace Vantorn {
namespace {

using testing::Bytes;
using testing::ContentRecord;
using testing::MotionRecord;
using testing::SkillCardRecord;

struct Failure {
    std::string type;
    std::string message;
    ReadLocation location;
};

// What reading the bytes raises, with its location.
Failure failureOf(const std::string& bytes) {
    try {
        readSkillCard(bytes);
    } catch (const std::runtime_error& error) {
        const ReadLocation* location = locationOf(error);
        EXPECT_NE(location, nullptr) << error.what();
        const bool io = dynamic_cast<const IOException*>(&error) != nullptr;
        const bool unreadable = dynamic_cast<const UnreadableContentException*>(&error) != nullptr;
        const bool summoning = dynamic_cast<const SummoningNotSupportedException*>(&error) != nullptr;
        return {unreadable ? "unreadable" : summoning ? "summoning" : io ? "io" : "other", error.what(),
                location ? *location : ReadLocation{}};
    }
    ADD_FAILURE() << "read without error";
    return {};
}

// A card whose one event holds a start with a named child: the test breaks bytes
// at the child, found by its name "MARK".
struct MarkedCard {
    std::string bytes;
    std::size_t nameAt;  // the name's length field
};

MarkedCard markedCard(ContentRecord child) {
    child.name = "MARK";
    SkillCardRecord record;
    record.targetType = 3;
    record.events = {{ContentRecord(ContentKind::Start, {}, {child})}};
    const std::string bytes = record.bytes().data;
    return {bytes, bytes.find("MARK") - 4};
}

TEST(ReadingErrors, SayWhereWhatWasFoundAndWhatWasAllowed) {
    const std::string childPath = "event 1 > content 1 > child 1 > ";

    MarkedCard kind = markedCard(ContentRecord(ContentKind::GameOver));
    kind.bytes[kind.nameAt - 1] = 88;
    Failure failure = failureOf(kind.bytes);
    EXPECT_EQ(failure.message, "ファイルが壊れています");
    EXPECT_EQ(failure.location.offset, kind.nameAt - 1);
    EXPECT_EQ(failure.location.path, childPath + "type");
    EXPECT_EQ(failure.location.found, "88");
    EXPECT_EQ(failure.location.allowed, "0..65");

    MarkedCard length = markedCard(ContentRecord(ContentKind::GameOver));
    length.bytes.replace(length.nameAt, 4, Bytes().int32(70000).data);
    failure = failureOf(length.bytes);
    EXPECT_EQ(failure.location.offset, length.nameAt);
    EXPECT_EQ(failure.location.path, childPath + "name");
    EXPECT_EQ(failure.location.found, "length 70000");
    EXPECT_EQ(failure.location.allowed, "length 0..65536");

    MarkedCard cut = markedCard(ContentRecord::make<Content_Wait>([](auto& c) { c.duration = 5; }));
    const std::size_t durationAt = cut.nameAt + 4 + 5 + 4;  // length, "MARK\0", child count
    failure = failureOf(cut.bytes.substr(0, durationAt + 2));
    EXPECT_EQ(failure.type, "io");
    EXPECT_EQ(failure.message, "I/O例外");
    EXPECT_EQ(failure.location.offset, durationAt);
    EXPECT_EQ(failure.location.path, childPath + "duration");
    EXPECT_EQ(failure.location.found, "2 bytes left");
    EXPECT_EQ(failure.location.allowed, "4 bytes");

    MarkedCard serifu = markedCard(ContentRecord(ContentKind::Serifu));
    failure = failureOf(serifu.bytes);
    EXPECT_EQ(failure.type, "unreadable");
    EXPECT_EQ(failure.message, "Serifu: 未実装。");
    EXPECT_EQ(failure.location.offset, serifu.nameAt - 1);
    EXPECT_EQ(failure.location.found, "40 (Serifu)");
}

TEST(ReadingErrors, RangeChecksAtTheEndPointAtTheFieldAndMotionsAtTheirRecord) {
    SkillCardRecord record;
    record.name = "N";
    record.mentalElement = 6;
    const std::string bytes = record.bytes().data;
    const std::size_t mentalAt = 1 + 4 + (4 + 2) + 4 + 4 + 4;  // tag, no picture, "N", number, text2, physical
    Failure failure = failureOf(bytes);
    EXPECT_EQ(failure.message, "ファイルが壊れています");
    EXPECT_EQ(failure.location.offset, mentalAt);
    EXPECT_EQ(failure.location.path, "mentalElement");
    EXPECT_EQ(failure.location.found, "6");
    EXPECT_EQ(failure.location.allowed, "-5..5");

    SkillCardRecord summoning;
    summoning.motions = {MotionRecord{0, 1}, MotionRecord{8}};
    failure = failureOf(summoning.bytes().data);
    EXPECT_EQ(failure.type, "summoning");
    EXPECT_EQ(failure.message, "召喚には対応していません。");
    EXPECT_EQ(failure.location.path, "motion 2 > category");
}

std::string listingOf(const std::string& bytes) {
    std::ostringstream out;
    try {
        writeListing(out, bytes);
    } catch (const std::runtime_error&) {
        // the listing's last line tells
    }
    return out.str();
}

// A card whose first tree holds a chain of `levels` contents below its root, the
// last one of a type code that does not exist.
std::string brokenBelow(int levels) {
    ContentRecord node(std::uint8_t{88});
    for (int level = 0; level < levels; ++level) node = ContentRecord(ContentKind::Start, {}, {node});
    SkillCardRecord record;
    record.events = {{node}};
    return record.bytes().data;
}

TEST(ReadingErrors, PathsOfSixRecordsAreShownWholeAndLongerOnesLeaveOutTheMiddle) {
    EXPECT_EQ(failureOf(brokenBelow(4)).location.path, "event 1 > content 1 > child 1 > child 1 > child 1 > child 1 > type");
    EXPECT_EQ(failureOf(brokenBelow(5)).location.path, "event 1 > content 1 > ... 2 more > child 1 > child 1 > child 1 > type");
}

TEST(Listing, OfAnExampleCardIsKeptWhole) {
    std::ifstream card(MORNSTAVE_EXAMPLES_DIR "/skill1.vnt", std::ios::binary);
    std::ifstream kept(MORNSTAVE_EXPECTED_LISTING, std::ios::binary);
    std::ostringstream cardBytes, expected;
    cardBytes << card.rdbuf();
    expected << kept.rdbuf();
    EXPECT_EQ(cp932ToUtf8(listingOf(cardBytes.str())), expected.str());  // kept as UTF-8, to be read
}

TEST(Listing, OfABrokenCardEndsWithWhereAndWhy) {
    MarkedCard kind = markedCard(ContentRecord(ContentKind::GameOver));
    kind.bytes[kind.nameAt - 1] = 88;
    const std::string listing = listingOf(kind.bytes + "trailing");
    const std::string last = listing.substr(listing.rfind('\n', listing.size() - 2) + 1);
    std::ostringstream expected;
    expected << "error at 0x" << std::hex << std::uppercase;
    expected.width(8);
    expected.fill('0');
    expected << kind.nameAt - 1 << ", event 1 > content 1 > child 1 > type: ファイルが壊れています (found 88, allowed 0..65)\n";
    EXPECT_EQ(last, expected.str());
}

// The README breaks a copy of an example card with a documented command and shows
// its listing: the command's bytes, put where it puts them, give that listing.
TEST(Listing, OfTheReadmesBrokenCardIsTheOneItShows) {
    std::ifstream readme(MORNSTAVE_README, std::ios::binary), card(MORNSTAVE_EXAMPLES_DIR "/skill1.vnt", std::ios::binary);
    std::ostringstream text, cardBytes;
    text << readme.rdbuf();
    cardBytes << card.rdbuf();
    const std::string page = text.str();
    const std::string command = "    $ printf '";
    const std::size_t at = page.find(command);
    ASSERT_NE(at, std::string::npos);
    const std::size_t end = page.find('\'', at + command.size());
    std::string written;  // the octal escapes between the quotes
    for (std::size_t i = at + command.size(); i + 4 <= end; i += 4) {
        written += static_cast<char>(std::stoi(page.substr(i + 1, 3), nullptr, 8));
    }
    const std::string seek = "| dd of=broken.vnt bs=1 seek=$((0x";
    ASSERT_EQ(page.compare(end + 2, seek.size(), seek), 0);
    const std::size_t offset = std::stoul(page.substr(end + 2 + seek.size(), 8), nullptr, 16);
    std::string broken = cardBytes.str();
    broken.replace(offset, written.size(), written);
    ASSERT_EQ(written, std::string("\x70\x11\x01\x00", 4));  // 70000

    // Every line shown, but the header and the "..." that stands for the rest, in order;
    // the last one shown is the listing's last.
    const std::string listing = cp932ToUtf8(listingOf(broken));
    std::istringstream shown(page.substr(page.find("    $ mornstave --explain broken.vnt\n", at)));
    std::string line, last;
    std::getline(shown, line);
    std::size_t from = 0;
    while (std::getline(shown, line) && line.rfind("    ", 0) == 0) {
        line.erase(0, 4);
        if (line == "[broken.vnt]" || line == "...") continue;
        from = listing.find(line + "\n", from);
        ASSERT_NE(from, std::string::npos) << line;
        from += line.size();
        last = line + "\n";
    }
    EXPECT_EQ(listing.substr(listing.size() - last.size()), last);
    EXPECT_EQ(last.rfind("error at 0x00000096, ", 0), 0u) << last;
}

TEST(Listing, EndsWithTheBytesAfterTheCard) {
    const std::string card = SkillCardRecord{}.bytes().data;
    const auto lastLine = [](const std::string& listing) {
        return listing.substr(listing.rfind('\n', listing.size() - 2) + 1);
    };
    EXPECT_EQ(lastLine(listingOf(card)), "0x00000061  end of the card\n");
    EXPECT_EQ(lastLine(listingOf(card + "x")), "0x00000061  end of the card, then 1 byte not read\n");
    EXPECT_EQ(lastLine(listingOf(card + "xyz")), "0x00000061  end of the card, then 3 bytes not read\n");
}

}  // namespace
}  // namespace Vantorn
