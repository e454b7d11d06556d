// Reading errors that say where, and the field-by-field listing.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "CommandLine.hpp"

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

// The console's output and error stream for the arguments.
struct Ran {
    int status;
    std::string out;
    std::string err;
};
Ran runConsole(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = runCommandLine(args, out, err, ConsoleEnvironment{});
    return {status, out.str(), err.str()};
}

class ListingFiles : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("mornstave-listing-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string file(const std::string& name, const std::string& bytes) {
        std::ofstream((folder / name), std::ios::binary) << bytes;
        return (folder / name).string();
    }
    std::filesystem::path folder;
};

// Every field of the JSON listing against the listing's value, its record steps
// included, and the text written from the value against the text written as read.
TEST_F(ListingFiles, AsJsonIsTheListingsOwnValue) {
    SkillCardRecord record;
    record.name = "炎の\"矢\"";
    record.targetType = 3;
    record.motions = {MotionRecord{0, 1, 5, 0, 8}, MotionRecord{2, 3}};
    record.events = {{ContentRecord(ContentKind::Start, {}, {ContentRecord::make<Content_Wait>([](auto& c) { c.duration = 5; })})},
                     {ContentRecord(ContentKind::GameOver)}};
    const std::string whole = record.bytes().data + "xy";
    MarkedCard broken = markedCard(ContentRecord(ContentKind::GameOver));
    broken.bytes.replace(broken.nameAt, 4, Bytes().int32(70000).data);
    const std::vector<std::string> cards = {whole, broken.bytes};
    std::vector<std::string> args = {"--explain", "--format=json"};
    for (std::size_t i = 0; i < cards.size(); ++i) args.push_back(file("skill" + std::to_string(i) + ".vnt", cards[i]));
    const Ran ran = runConsole(args);
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(ran.err, args[3] + ": ファイルが壊れています\n");
    const auto document = nlohmann::json::parse(ran.out);
    ASSERT_EQ(document["cards"].size(), cards.size());
    for (std::size_t i = 0; i < cards.size(); ++i) {
        SCOPED_TRACE(i);
        const CardListing listing = listCard(cards[i]);
        const auto& entry = document["cards"][i];
        EXPECT_EQ(entry["path"], args[2 + i]);
        ASSERT_EQ(entry["fields"].size(), listing.fields.size());
        ASSERT_EQ(entry["records"].size(), listing.records.size());
        for (std::size_t f = 0; f < listing.fields.size(); ++f) {
            const ListedField& field = listing.fields[f];
            const auto& json = entry["fields"][f];
            EXPECT_EQ(json["offset"], field.offset);
            EXPECT_EQ(json["size"], field.size);
            EXPECT_EQ(json["path"], cp932ToUtf8(field.path));
            EXPECT_EQ(json["name"], field.name);
            EXPECT_EQ(json["shown"], cp932ToUtf8(field.value));
            if (field.type == FieldType::string) {
                EXPECT_EQ(json["value"], cp932ToUtf8(field.text));
            } else {
                EXPECT_EQ(json["value"], field.number);
            }
            EXPECT_EQ(json["meaning"].is_null() ? std::string() : json["meaning"].get<std::string>(),
                      cp932ToUtf8(field.meaning));
            // The steps, read back up the parents, name the path's records.
            std::string steps;
            auto at = json["record"];
            for (; !at.is_null(); at = entry["records"][at.get<std::size_t>()]["parent"]) {
                const auto& step = entry["records"][at.get<std::size_t>()];
                steps = step["kind"].get<std::string>() + ' ' + std::to_string(step["number"].get<int>()) + " > " + steps;
            }
            std::string expected;
            for (const ListedRecord* step : recordSteps(listing.records, field.record)) {
                expected += std::string(step->kind) + ' ' + std::to_string(step->number) + " > ";
            }
            EXPECT_EQ(steps, expected);
            EXPECT_EQ(field.path, expected + field.name);  // shallow: the path is whole
        }
        const auto& end = entry["end"];
        EXPECT_EQ(end["complete"], listing.end.complete());
        EXPECT_EQ(end["offset"], listing.end.offset);
        if (listing.end.stop) {
            const ReadLocation& at = *listing.end.stop->location;
            EXPECT_EQ(end["error"], cp932ToUtf8("ファイルが壊れています"));
            EXPECT_EQ(end["location"]["offset"], at.offset);
            EXPECT_EQ(end["location"]["path"], at.path);
            EXPECT_EQ(end["location"]["found"], "length 70000");
            EXPECT_EQ(end["location"]["allowed"], at.allowed);
        } else {
            EXPECT_EQ(end["unread"], 2);
        }
        std::ostringstream fromValue;
        writeListing(fromValue, listing);
        EXPECT_EQ(fromValue.str(), listingOf(cards[i]));
    }
    EXPECT_EQ(listCard(whole).records.size(), 2u + 2u + 2u + 1u);  // motions, events, contents, child
}

// A file over the size limit is never read, yet its listing ends where the other
// outputs say it fails; a file that cannot be opened has no place to give.
TEST_F(ListingFiles, OfAFileOverTheLimitEndsWithItsPlace) {
    const std::string path = file("skill1.vnt", "\x05");
    std::filesystem::resize_file(path, std::uint64_t{4} << 30);  // sparse: no room taken on the disk
    const std::string missing = (folder / "skill2.vnt").string();
    Ran ran = runConsole({"--explain", path, missing});
    EXPECT_EQ(ran.out, "[" + path + "]\nerror at 0x00000000, fileSize: ファイルが壊れています (found 4294967296 bytes, "
                       "allowed at most 67108864 bytes)\n\n");
    EXPECT_EQ(ran.err, path + ": ファイルが壊れています\n" + missing + ": 開けません\n");
    ran = runConsole({"--explain", "--format=json", path, missing});
    const auto document = nlohmann::json::parse(ran.out);
    EXPECT_EQ(document["cards"][0]["fields"].size(), 0u);
    EXPECT_EQ(document["cards"][0]["end"]["location"]["found"], "4294967296 bytes");
    EXPECT_EQ(document["cards"][1]["error"], cp932ToUtf8("開けません"));
    EXPECT_EQ(ran.err, path + ": ファイルが壊れています\n" + missing + ": 開けません\n");
}

}  // namespace
}  // namespace Vantorn
