// Two versions of a card compared, and --diff over two folders.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "CommandLine.hpp"
#include "diff/CardDiff.hpp"
#include "events/ContentTypes.hpp"
#include "support/CardTesting.hpp"
#include "text/Cp932.hpp"

namespace Vantorn {
namespace {

using testing::ContentRecord;
using testing::MotionRecord;
using testing::SkillCardRecord;

// A card aimed at enemies with one motion and a tree three contents deep.
SkillCardRecord baseCard() {
    SkillCardRecord record;
    record.name = "炎の矢";
    record.targetType = 3;
    record.cardLevel = 3;
    record.motions = {MotionRecord{0, 1, 5, 0, 8}};
    record.events = {{ContentRecord::make<Content_Start>([](auto& c) { c.name = "使用時"; }, {
        ContentRecord(ContentKind::Start, {}, {
            ContentRecord::make<Content_Wait>([](auto& c) { c.duration = 5; c.name = "deep"; }),
            ContentRecord::make<Content_GetMoney>([](auto& c) { c.amount = 10; })})})}};
    return record;
}

struct Change {
    std::string field;
    std::optional<std::string> from, to;
    bool operator==(const Change& other) const { return std::tie(field, from, to) == std::tie(other.field, other.from, other.to); }
};
std::ostream& operator<<(std::ostream& out, const Change& c) {
    return out << c.field << ": " << c.from.value_or("null") << " -> " << c.to.value_or("null");
}

CardDiff compared(const std::string& before, const std::string& after) {
    const CardVersion older{before, std::nullopt}, newer{after, std::nullopt};
    return compareCards("skill1.vnt", &older, &newer);
}

std::vector<Change> changesOf(const std::string& before, const std::string& after) {
    const CardDiff diff = compared(before, after);
    EXPECT_EQ(diff.status, DiffStatus::changed);
    std::vector<Change> changes;
    for (const FieldChange& change : diff.changes) changes.push_back({change.field, change.oldValue, change.newValue});
    return changes;
}

TEST(CardDiff, NamesEachChangeOnceByTheListingsRecordPath) {
    const SkillCardRecord base = baseCard();
    const std::string before = base.bytes().data;

    SkillCardRecord stronger = base;  // motion 1's value: 8 -> 12
    stronger.motions[0].value = 12;
    EXPECT_EQ(changesOf(before, stronger.bytes().data), (std::vector<Change>{{"motion 1 > value", "8", "12"}}));
    const CardDiff moved = compared(before, stronger.bytes().data);
    EXPECT_EQ(moved.oldSide.level, 3);
    EXPECT_EQ(moved.newSide.level, 3);
    ASSERT_TRUE(moved.move());
    EXPECT_GT(*moved.move(), 0);

    SkillCardRecord inFront = base;  // a motion put before the one there was
    inFront.motions.insert(inFront.motions.begin(), MotionRecord{0, 1, 5, 1, 20});
    EXPECT_EQ(changesOf(before, inFront.bytes().data),
              (std::vector<Change>{{"motion 1", std::nullopt, "炎, 生命力ダメージ, 直接, value 20"}}));

    SkillCardRecord renamed = base;  // the Wait three levels down: "deep" -> "deeper"
    ContentRecord& wait = renamed.events[0][0].children[0].children[0];
    wait = ContentRecord::make<Content_Wait>([](auto& c) { c.duration = 5; c.name = "deeper"; });
    EXPECT_EQ(changesOf(before, renamed.bytes().data),
              (std::vector<Change>{{"event 1 > content 1 > child 1 > child 1 > name", "\"deep\"", "\"deeper\""}}));

    SkillCardRecord gone = base;  // the first of two siblings removed: the second is not "changed"
    auto& siblings = gone.events[0][0].children[0].children;
    siblings.erase(siblings.begin());
    EXPECT_EQ(changesOf(before, gone.bytes().data),
              (std::vector<Change>{{"event 1 > content 1 > child 1 > child 1", "空白時間, \"deep\", duration 5", std::nullopt}}));

    SkillCardRecord painted = base, repainted = base;  // a picture of the same size, other bytes
    painted.picture = "BM" + std::string(20, 'a');
    repainted.picture = "BM" + std::string(20, 'b');
    const std::vector<Change> picture = changesOf(painted.bytes().data, repainted.bytes().data);
    ASSERT_EQ(picture.size(), 1u);
    EXPECT_EQ(picture[0].field, "picture");
    EXPECT_NE(picture[0].from, picture[0].to);
    EXPECT_EQ(picture[0].from->substr(0, 19), "20 bytes skipped, c");

    const std::vector<Change> trailing = changesOf(before, before + "xyz");
    ASSERT_EQ(trailing.size(), 1u);
    EXPECT_EQ(trailing[0].field, "end");
    EXPECT_EQ(trailing[0].from, "0 bytes not read");
    EXPECT_EQ(trailing[0].to->substr(0, 16), "3 bytes not read");

    EXPECT_EQ(compared(before, before).status, DiffStatus::unchanged);
    EXPECT_TRUE(compared(before, before).changes.empty());
}

TEST(CardDiff, SidesAddedRemovedOrBroken) {
    const std::string card = baseCard().bytes().data;
    const CardVersion good{card, std::nullopt};
    std::string broken = card;
    broken[broken.find("deep") - 5] = 88;  // the Wait's type code
    const CardVersion bad{broken, std::nullopt};

    CardDiff diff = compareCards("a", nullptr, &good);
    EXPECT_EQ(diff.status, DiffStatus::added);
    EXPECT_EQ(diff.newSide.level, 3);
    EXPECT_FALSE(diff.oldSide.present);
    diff = compareCards("a", &good, nullptr);
    EXPECT_EQ(diff.status, DiffStatus::removed);
    EXPECT_TRUE(diff.oldSide.estimate);

    diff = compareCards("a", &good, &bad);
    EXPECT_EQ(diff.status, DiffStatus::unreadable);
    EXPECT_FALSE(diff.oldSide.failure);
    ASSERT_TRUE(diff.newSide.failure && diff.newSide.failure->location);
    EXPECT_EQ(diff.newSide.failure->location->path, "event 1 > content 1 > child 1 > child 1 > type");
    EXPECT_EQ(diff.newSide.failure->location->found, "88");
    // The same broken bytes on both sides: nothing changed.
    EXPECT_EQ(compareCards("a", &bad, &bad).status, DiffStatus::unchanged);
}

TEST(CardDiff, CommonSubsequenceKeepsTheLongestRunAndBoundsItsWork) {
    using Pairs = std::vector<std::pair<std::size_t, std::size_t>>;
    EXPECT_EQ(commonSubsequence({1, 2, 3, 4}, {9, 1, 3, 4, 8}), (Pairs{{0, 1}, {2, 2}, {3, 3}}));
    EXPECT_EQ(commonSubsequence({5, 1, 2, 6}, {7, 2, 1, 8}, 4), (Pairs{}));  // past the bound: ends only
    EXPECT_EQ(commonSubsequence({1, 5, 2}, {1, 6, 2}, 1), (Pairs{{0, 0}, {2, 2}}));
}

class DiffRun : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("mornstave-diff-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string put(const std::string& relative, const std::string& bytes) {
        const std::filesystem::path path = folder / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    int run(const std::vector<std::string>& args) {
        out.str({});
        err.str({});
        return runCommandLine(args, out, err, ConsoleEnvironment{});
    }
    std::filesystem::path folder;
    std::ostringstream out, err;
};

TEST_F(DiffRun, FoldersPairByRelativePathInAnyCaseAndExitAsDiffDoes) {
    const std::string card = baseCard().bytes().data;
    SkillCardRecord changed = baseCard();
    changed.motions[0].value = 30;
    std::string broken = card;
    broken[broken.find("deep") - 5] = 88;
    put("old/skill1.vnt", card);
    put("old/sub/SKILL2.VNT", card);
    put("old/skill3.vnt", card);
    put("old/skill4.vnt", card);
    put("new/skill1.vnt", card);
    put("new/sub/skill2.vnt", changed.bytes().data);
    put("new/skill3.vnt", broken);
    put("new/skill5.vnt", card);
    const std::string older = (folder / "old").string(), newer = (folder / "new").string();

    EXPECT_EQ(run({"--diff", "-r", "--all", "--format=json", older, newer}), 1) << err.str();
    const auto document = nlohmann::json::parse(out.str());
    std::map<std::string, std::string> statuses;
    for (const auto& entry : document["cards"]) statuses[entry["path"]] = entry["status"];
    EXPECT_EQ(statuses, (std::map<std::string, std::string>{{"skill1.vnt", "unchanged"},
                                                             {"sub/skill2.vnt", "changed"},
                                                             {"skill3.vnt", "unreadable"},
                                                             {"skill4.vnt", "removed"},
                                                             {"skill5.vnt", "added"}}));
    for (const auto& entry : document["cards"]) {
        if (entry["status"] == "changed") {
            EXPECT_EQ(entry["changes"], nlohmann::json::parse(R"([{"field": "motion 1 > value", "old": "8", "new": "30",
                                                                   "oldMeaning": null, "newMeaning": null}])"));
            EXPECT_EQ(entry["level"], nlohmann::json::parse(R"({"old": 3, "new": 3})"));
        }
        if (entry["status"] == "unreadable") {
            EXPECT_TRUE(entry["failure"]["old"].is_null());
            EXPECT_EQ(entry["failure"]["new"]["location"]["found"], "88");
        }
    }
    EXPECT_EQ(document["totals"]["changed"], 1);

    // Text in the report's words; unchanged cards left out without --all.
    EXPECT_EQ(run({"--diff", "-r", older, newer}), 1);
    EXPECT_NE(out.str().find("[sub/skill2.vnt] 変更\n技能Lv: 3 → 3\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("motion 1 > value: 8 → 30\n"), std::string::npos);
    EXPECT_EQ(out.str().find("skill1.vnt"), std::string::npos);
    // The page: changed cards first.
    EXPECT_EQ(run({"--diff", "-r", "--format=html", older, newer}), 1);
    EXPECT_LT(out.str().find("sub/skill2.vnt"), out.str().find("skill5.vnt"));
    EXPECT_TRUE(isUtf8(out.str()));
    EXPECT_NE(out.str().find(cp932ToUtf8("<title>技能カードの比較</title>")), std::string::npos);

    EXPECT_EQ(run({"--diff", "-r", older, older}), 0);
    EXPECT_EQ(out.str(), "変更 0, 追加 0, 削除 0, 読込失敗 0, 変更なし 4\n");
    EXPECT_EQ(run({"--diff", older + "/skill1.vnt", newer + "/skill1.vnt"}), 0);
    EXPECT_EQ(run({"--diff", older + "/skill1.vnt", newer + "/skill5.vnt"}), 0);
    EXPECT_EQ(run({"--diff", older + "/skill1.vnt", (folder / "new" / "sub" / "skill2.vnt").string()}), 1);

    // Trouble: a missing card, a folder against a card, a bad format or count, -o on a card.
    EXPECT_EQ(run({"--diff", older + "/skill1.vnt", newer + "/none.vnt"}), 2);
    EXPECT_NE(err.str().find("none.vnt: 開けません"), std::string::npos);
    EXPECT_EQ(run({"--diff", older, newer + "/skill1.vnt"}), 2);
    EXPECT_EQ(run({"--diff", "--format=csv", older, newer}), 2);
    EXPECT_EQ(run({"--diff", older}), 2);
    EXPECT_EQ(run({"--diff", "-r", "-o", newer + "/sub/skill2.vnt", older, newer}), 2);
    std::ifstream kept(newer + "/sub/skill2.vnt", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), changed.bytes().data);
}

}  // namespace
}  // namespace Vantorn
