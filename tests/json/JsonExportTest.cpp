// The JSON export read back by an independent parser.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <memory>
#include <sstream>
#include <vector>

#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"
#include "events/ContentTypes.hpp"
#include "hostile/HostileCards.hpp"
#include "json/CardJson.hpp"
#include "json/JsonWriter.hpp"
#include "report/Report.hpp"
#include "text/Cp932.hpp"
#include "text/TextPieces.hpp"
#include "support/CardTesting.hpp"

namespace Vantorn {
namespace {

using testing::Bytes;
using testing::ContentRecord;
using testing::SkillCardRecord;

nlohmann::json exported(const std::string& path, const SkillCardRecord& record) {
    const SkillCard card = readSkillCard(record.bytes().data);
    std::ostringstream out;
    JsonWriter json(out);
    writeCardJson(json, path, card, estimateLevel(card));
    json.flush();
    return nlohmann::json::parse(out.str());
}

TEST(JsonExport, TextsAreUtf8AndHostilePathsAndControlCharactersAreEscaped) {
    SkillCardRecord record;
    record.name = "炎\x01\"矢\\";  // CP932, with a control character, a quote and a backslash
    auto message = ContentRecord::make<Content_Message>([](auto& c) { c.text = "一\n二"; });
    message.name = "\t";
    record.events = {{ContentRecord(ContentKind::Start, {}, {message})}};
    const nlohmann::json card = exported("bad\xff/path\n.vnt", record);

    EXPECT_EQ(card["path"], "bad\xEF\xBF\xBD/path\n.vnt");  // U+FFFD for the stray byte
    EXPECT_EQ(card["name"], u8"炎\u0001\"矢\\");
    const nlohmann::json& node = card["events"][0]["contents"][0]["children"][0];
    EXPECT_EQ(node["type"], "Message");
    EXPECT_EQ(node["family"], "plain");
    EXPECT_EQ(node["fields"]["text"], u8"一\n二");
    EXPECT_EQ(node["text"], u8"\t: メッセージ[一\n二] (画像: なし)");
    EXPECT_EQ(card["description"].back(), u8"\t\t: メッセージ[一\n二] (画像: なし)");
}

// The description repeats the motions' and contents' texts as the entry wrote them;
// a card whose events are read again at each walk makes its lines afresh. Both must
// be the report's lines, escapes, TABs inside texts, stray lead bytes and lines longer
// than a writer's buffer included.
TEST(JsonExport, TheDescriptionIsTheReportsLinesWhetherKeptOrMadeAgain) {
    SkillCardRecord record = testing::richCard();
    auto message = ContentRecord::make<Content_Message>([](auto& c) { c.text = "\t\"一\\\x01\n\x81"; });
    message.name = "\t名\t";
    std::string longText;
    for (int i = 0; i < 1500; ++i) longText += "長";
    const auto longMessage = ContentRecord::make<Content_Message>([&](auto& c) { c.text = longText; });
    ContentRecord start(ContentKind::Start, {},
                        {message, longMessage, ContentRecord(ContentKind::Start, {}, {message})});
    record.events.push_back({start, message});
    const auto bytes = std::make_shared<const std::string>(record.bytes().data);

    std::vector<std::string> lines;
    forEachDescriptionLine(readSkillCard(*bytes),
                           [&lines](std::string_view line) { lines.push_back(cp932ToUtf8(line)); });
    for (const bool again : {false, true}) {
        SCOPED_TRACE(again ? "read again" : "kept");
        const SkillCard card = again ? readSkillCardEventsLater(bytes) : readSkillCard(*bytes);
        ASSERT_EQ(card.eventPart.readEachWalk(), again);
        std::ostringstream out;
        {
            JsonWriter json(out);
            writeCardJson(json, "x.vnt", card, estimateLevel(card));
        }
        EXPECT_EQ(nlohmann::json::parse(out.str())["description"].get<std::vector<std::string>>(), lines);
    }
}

// An entry made ahead is held as the blocks it was written into: with values of every
// length, long ones among them, the blocks must stay mostly full and hold the text.
TEST(JsonExport, AnEntryHeldInPiecesTakesLittleMoreThanItsText) {
    TextPieces text;
    {
        JsonWriter json(text);
        json.flushAbove(4096);
        json.beginArray();
        for (std::size_t i = 0; i < 3000; ++i) json.value(std::string(i % 9 == 0 ? 5000 : 5 + i % 200, 'x'));
        json.endArray();
    }
    const nlohmann::json read = nlohmann::json::parse(text.joined());
    ASSERT_EQ(read.size(), 3000u);
    EXPECT_EQ(read[9].get<std::string>().size(), 5000u);
    std::size_t held = 0;
    std::size_t capacity = 0;
    for (const TextPieces::Piece& piece : text.pieces) {
        held += piece.size;
        capacity += piece.capacity;
    }
    EXPECT_LE(capacity, held + held / 4);
}

TEST(JsonExport, EstimateNumbersReadBackExactlyAndAMissingLevelIsNull) {
    SkillCardRecord record = testing::richCard();  // both sides, not as a whole: two workings
    const LevelEstimate estimate = estimateLevel(readSkillCard(record.bytes().data));
    const nlohmann::json card = exported("rich.vnt", record);
    const nlohmann::json& json = card["estimate"];
    EXPECT_EQ(json["kind"], "both");
    ASSERT_EQ(json["workings"].size(), 2u);
    EXPECT_EQ(json["workings"][1]["totals"]["M"].get<double>(), estimate.workings[1].totals.M);
    EXPECT_EQ(json["workings"][0]["trials"].back()["power"].get<double>(), estimate.workings[0].trials.back().power);
    EXPECT_EQ(json["level"].get<double>(), *estimate.level);

    record.targetsAll = true;
    EXPECT_TRUE(exported("all.vnt", record)["estimate"]["level"].is_null());
}

TEST(JsonExport, TreesAtTheDepthBoundExportWithoutRecursion) {
    const std::string bytes = testing::cardAround(Bytes().int32(0), testing::oneTree(testing::chainOf(maxContentDepth)));
    const SkillCard card = readSkillCard(bytes);
    std::ostringstream out;
    JsonWriter json(out);
    writeCardJson(json, "deep.vnt", card, estimateLevel(card));
    json.flush();
    const nlohmann::json document = nlohmann::json::parse(out.str());
    const nlohmann::json* node = &document["events"][0]["contents"][0];
    std::size_t depth = 1;
    while (!(*node)["children"].empty()) {
        node = &(*node)["children"][0];
        ++depth;
    }
    EXPECT_EQ(depth, maxContentDepth);
}

TEST(JsonExport, RealsOutsideJsonBecomeNull) {
    std::ostringstream out;
    JsonWriter json(out);
    json.beginArray();
    json.value(1.0 / 3);
    json.value(std::numeric_limits<double>::infinity());
    json.value(std::numeric_limits<double>::quiet_NaN());
    json.endArray();
    json.flush();
    const nlohmann::json values = nlohmann::json::parse(out.str());
    EXPECT_EQ(values[0].get<double>(), 1.0 / 3);
    EXPECT_TRUE(values[1].is_null());
    EXPECT_TRUE(values[2].is_null());
}

}  // namespace
}  // namespace Vantorn
