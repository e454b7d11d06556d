// Every piece of advice is a claim about the estimate: the card rewritten with its
// changes by the card writer and read again must give the estimate and the balance it
// states, no nearer value may balance the card, and a combination may only stand where
// no single change would do.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "BenchCards.hpp"
#include "CommandLine.hpp"
#include "advice/Advice.hpp"
#include "advice/AdviceLines.hpp"
#include "cards/SkillCard.hpp"
#include "cardwriter/CardWriter.hpp"
#include "estimate/Estimate.hpp"
#include "format/CardFile.hpp"

namespace Vantorn {
namespace {

using testing::MotionRecord;
using testing::SkillCardRecord;

// What the estimate reads of a card, as the card writer's record.
SkillCardRecord recordOf(const SkillCard& card) {
    SkillCardRecord record;
    record.targetType = static_cast<std::uint8_t>(card.targetType);
    record.targetsAll = card.targetsAll;
    record.effectAttribute = static_cast<std::uint8_t>(card.effectAttribute);
    record.unusableWhenSilenced = card.unusableWhenSilenced;
    record.successModifier = card.successModifier;
    for (int i = 0; i < 3; ++i) record.bonuses[i] = card.bonuses[i];
    record.cardLevel = card.cardLevel;
    for (const Motion& m : card.motions) {
        record.motions.emplace_back(m.category, m.subType, m.attr, static_cast<std::uint8_t>(m.valueType), m.value, m.rounds);
    }
    return record;
}

// The estimate of the card as the card writer writes it and the reader reads it again.
std::optional<double> levelOf(const SkillCard& card) {
    return estimateLevel(readSkillCard(recordOf(card).bytes().data)).level;
}

// The same of the card with the changes made by advisedCard.
std::optional<double> levelAfter(const SkillCard& card, std::vector<AdviceChange> changes) {
    Advice advice;
    advice.changes = std::move(changes);
    return levelOf(advisedCard(card, advice));
}

// The range a single numeric change of the field is searched in.
std::pair<std::int32_t, std::int32_t> rangeOf(const AdviceChange& change, const SkillCard& card) {
    switch (change.field) {
    case AdviceField::value:
        return card.motions[change.motion].category == 5 ? std::make_pair(-10, 10) : std::make_pair(1, 999);
    case AdviceField::rounds: return {1, 99};
    case AdviceField::effectAttribute: return {0, 3};
    case AdviceField::targetsAll:
    case AdviceField::unusableWhenSilenced: return {0, 1};
    default: return {-10, 10};
    }
}

// Every single change the search may try, as a change.
std::vector<AdviceChange> everySingleChange(const SkillCard& card) {
    std::vector<AdviceChange> all;
    const auto each = [&](AdviceField field, int motion, std::int32_t from, std::int32_t lo, std::int32_t hi) {
        for (std::int32_t to = lo; to <= hi; ++to) {
            if (to != from && !(field == AdviceField::value && lo == -10 && to == 0)) all.push_back({field, motion, from, to});
        }
    };
    for (std::size_t i = 0; i < card.motions.size(); ++i) {
        const Motion& m = card.motions[i];
        const ValueForm form = effectType(m.category, m.subType).form;
        const int place = static_cast<int>(i);
        if (form == ValueForm::strength && m.valueType != ValueType::maximum) each(AdviceField::value, place, m.value, 1, 999);
        if (form == ValueForm::strengthAndDuration) each(AdviceField::value, place, m.value, -10, 10);
        if (form == ValueForm::duration || form == ValueForm::strengthAndDuration) {
            each(AdviceField::rounds, place, m.rounds, 1, 99);
        }
        all.push_back({AdviceField::motion, place, 0, std::nullopt});
    }
    each(AdviceField::successModifier, -1, card.successModifier, -10, 10);
    each(AdviceField::avoidanceBonus, -1, card.bonuses[0], -10, 10);
    each(AdviceField::resistanceBonus, -1, card.bonuses[1], -10, 10);
    each(AdviceField::defenceBonus, -1, card.bonuses[2], -10, 10);
    each(AdviceField::targetsAll, -1, card.targetsAll, 0, 1);
    each(AdviceField::effectAttribute, -1, card.effectAttribute, 0, 3);
    each(AdviceField::unusableWhenSilenced, -1, card.unusableWhenSilenced, 0, 1);
    return all;
}

TEST(AdviceTest, EveryClaimOfAGeneratedCorpusHoldsOnTheRewrittenCard) {
    int advised = 0, combined = 0, notBalancing = 0;
    for (std::uint32_t index = 1; index <= 150; ++index) {
        const SkillCard card = readSkillCard(bench::corpusCard(index));
        const LevelEstimate estimate = estimateLevel(card);
        const std::vector<Advice> advice = adviseOn(card, estimate);
        SCOPED_TRACE("corpus card " + std::to_string(index));
        if (!estimate.level || inBalance(*estimate.level, card.cardLevel)) {
            EXPECT_TRUE(advice.empty());
            continue;
        }
        ASSERT_FALSE(advice.empty());
        ++advised;
        bool singleBalances = false;
        for (const Advice& piece : advice) {
            SCOPED_TRACE(piece.text);
            const SkillCard after = advisedCard(card, piece);
            EXPECT_EQ(estimateLevel(after).level, piece.estimate);
            const std::optional<double> level = levelOf(after);
            ASSERT_TRUE(level);
            EXPECT_EQ(*level, piece.estimate);
            EXPECT_EQ(inBalance(*level, after.cardLevel), piece.balanced);
            EXPECT_EQ(after.name, card.name);
            EXPECT_EQ(after.eventPart.events, card.eventPart.events);
            const AdviceChange& first = piece.changes.front();
            if (piece.changes.size() == 1 && first.field != AdviceField::level && piece.balanced) {
                singleBalances = true;
                if (!first.to) continue;
                // No nearer value balances the card; an equally near one changes the estimate more.
                const auto [lo, hi] = rangeOf(first, card);
                const std::int64_t distance = std::llabs(std::int64_t{*first.to} - first.from);
                for (std::int64_t to = std::max<std::int64_t>(lo, first.from - distance);
                     to <= std::min<std::int64_t>(hi, first.from + distance); ++to) {
                    if (to == first.from || to == *first.to || (lo == -10 && to == 0 && first.field == AdviceField::value)) continue;
                    AdviceChange other = first;
                    other.to = static_cast<std::int32_t>(to);
                    const std::optional<double> otherLevel = levelAfter(card, {other});
                    if (!otherLevel || !inBalance(*otherLevel, card.cardLevel)) continue;
                    EXPECT_EQ(std::llabs(to - first.from), distance) << "nearer: " << to;
                    EXPECT_GE(std::fabs(*otherLevel - *estimate.level), std::fabs(piece.estimate - *estimate.level));
                }
            }
            if (piece.changes.size() > 1) {
                ++combined;
                EXPECT_TRUE(piece.balanced);
            }
            if (!piece.balanced) ++notBalancing;
        }
        // The stated level comes last where the estimate rounds to a level, and a
        // combination only where no single change does.
        const double rounded = std::round(*estimate.level);
        const auto levels = std::count_if(advice.begin(), advice.end(), [](const Advice& a) {
            return a.changes.front().field == AdviceField::level;
        });
        EXPECT_EQ(levels, rounded >= 0 ? 1 : 0);
        if (rounded >= 0) {
            EXPECT_EQ(advice.back().changes.front().to, static_cast<std::int32_t>(rounded));
        }
        const bool anyCombination =
            std::any_of(advice.begin(), advice.end(), [](const Advice& a) { return a.changes.size() > 1; });
        if (anyCombination || !singleBalances) {
            for (const AdviceChange& single : everySingleChange(card)) {
                const std::optional<double> level = levelAfter(card, {single});
                EXPECT_FALSE(level && inBalance(*level, card.cardLevel)) << single.pointer() << " to " << single.to.value_or(-1);
            }
        }
    }
    // The corpus has every kind of advice.
    EXPECT_GT(advised, 50);
    EXPECT_GT(combined, 5);
    EXPECT_GT(notBalancing, 0);

    // Removals come last and from the highest place down, whatever their order: every
    // place is the card's as read.
    SkillCardRecord three;
    three.targetType = 3;
    three.motions = {MotionRecord{0, 1, 1, 0, 10}, MotionRecord{0, 1, 2, 0, 20}, MotionRecord{0, 1, 3, 0, 30}};
    const SkillCard card = readSkillCard(three.bytes().data);
    Advice removals;
    removals.changes = {{AdviceField::motion, 0, 0, std::nullopt}, {AdviceField::motion, 1, 0, std::nullopt},
                        {AdviceField::value, 2, 30, 7}, {AdviceField::level, -1, 0, 2}};
    const SkillCard left = advisedCard(card, removals);
    ASSERT_EQ(left.motions.size(), 1u);
    EXPECT_EQ(left.motions.front().attr, 3);
    EXPECT_EQ(left.motions.front().value, 7);
    EXPECT_EQ(left.cardLevel, 2);
}

TEST(AdviceTest, CardsInBalanceUnestimatedOrExtremeGetNone) {
    SkillCardRecord record;
    record.targetType = 3;
    record.motions = {MotionRecord{0, 1, 1, 0, 10}};  // life damage, level ratio 10: 3.84
    record.cardLevel = 4;
    const auto adviceFor = [](const SkillCardRecord& r) {
        const SkillCard card = readSkillCard(r.bytes().data);
        return adviseOn(card, estimateLevel(card));
    };
    EXPECT_TRUE(adviceFor(record).empty());
    record.cardLevel = 1;
    const std::vector<Advice> off = adviceFor(record);
    ASSERT_FALSE(off.empty());
    EXPECT_EQ(off.front().text, "生命力ダメージ(肉体): Lv比10 → Lv比4 で推定Lv 1.21");
    EXPECT_EQ(off.front().changes.front().pointer(), "/motions/0/value");

    SkillCardRecord both = record;  // both sides as a whole: not estimated
    both.targetType = 4;
    both.targetsAll = true;
    EXPECT_TRUE(adviceFor(both).empty());

    for (std::int32_t extreme : {INT32_MAX, INT32_MIN}) {
        SkillCardRecord bonus = record;
        bonus.bonuses[2] = extreme;
        EXPECT_TRUE(adviceFor(bonus).empty());
        SkillCardRecord value = record;
        value.motions.front().value = extreme;
        EXPECT_TRUE(adviceFor(value).empty());
    }
    SkillCardRecord many = record;  // more motions than the search takes on
    many.motions.assign(65, MotionRecord{0, 1, 1, 0, 10});
    EXPECT_TRUE(adviceFor(many).empty());
}

// The console's output for the bundled examples, run beside their folder so that the
// paths, and the summary's columns with them, are those of any checkout.
std::string consoleOutput(std::vector<std::string> args) {
    const std::filesystem::path folder = MORNSTAVE_EXAMPLES_DIR;
    const std::filesystem::path was = std::filesystem::current_path();
    std::filesystem::current_path(folder.parent_path());
    for (int i = 1; i <= 7; ++i) args.push_back(folder.filename().string() + "/skill" + std::to_string(i) + ".vnt");
    std::ostringstream out, err;
    runCommandLine(args, out, err, ConsoleEnvironment{});
    std::filesystem::current_path(was);
    return out.str();
}

std::string expected(const std::string& name) {
    std::ifstream in(std::string(MORNSTAVE_ADVICE_EXPECTED) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(AdviceTest, TheBundledExamplesAdviceIsFixed) {
    EXPECT_EQ(consoleOutput({"--advise"}), expected("examples-advise.txt"));
    EXPECT_EQ(consoleOutput({"--advise", "--format=json"}), expected("examples-advise.json"));
    EXPECT_EQ(consoleOutput({"--advise", "--summary"}), expected("examples-advise-summary.txt"));
    EXPECT_EQ(consoleOutput({"--advise", "--format=csv"}), expected("examples-advise-summary.csv"));
}

// The report shows three pieces of advice; a card's dialog on the page lists all of them.
TEST(AdviceTest, ThePagesBlocksListEveryPieceOfAdvice) {
    const std::string page = consoleOutput({"--advise", "--format=html"});
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = page.find("\n\xE6\x8F\x90\xE6\xA1\x88: ", at)) != std::string::npos; ++at) ++lines;
    std::size_t pieces = 0;
    for (const char* card : {"skill1", "skill2", "skill3", "skill4", "skill5", "skill6", "skill7"}) {
        const std::string path = std::string(MORNSTAVE_EXAMPLES_DIR) + "/" + card + ".vnt";
        const SkillCard read = loadSkillCard(path);
        pieces += adviseOn(read, estimateLevel(read)).size();
    }
    EXPECT_GT(pieces, reportedAdvice * 3);
    EXPECT_EQ(lines, pieces);
}

// Bisection walks a wide field only where the estimate is monotone in it, and the fields
// the estimate does not read are not walked at all; the search must find exactly what a
// walk of every field value by value finds, on the corpus and on the rules that bend:
// poison's triangle, sleep's change of rate, poison's cap, the user-only factor. The
// first piece searched for alone, as the summary's column asks, is the first of all.
TEST(AdviceTest, BisectionFindsWhatAWalkValueByValueFinds) {
    std::vector<SkillCard> cards;
    for (std::uint32_t index = 1; index <= 3000; ++index) cards.push_back(readSkillCard(bench::corpusCard(index)));
    const auto card = [&](std::uint8_t target, std::int32_t level, std::vector<MotionRecord> motions) {
        SkillCardRecord record;
        record.targetType = target;
        record.cardLevel = level;
        record.motions = std::move(motions);
        for (std::int32_t stated : {level, 0, 20, 60}) {
            record.cardLevel = stated;
            cards.push_back(readSkillCard(record.bytes().data));
        }
    };
    card(3, 1, {MotionRecord{1, 2, 0, 0, 7}, MotionRecord{1, 2, 0, 1, 30}});    // poison, ratio and direct
    card(3, 9, {MotionRecord{1, 2, 0, 2, 0}, MotionRecord{1, 2, 0, 1, 12}});    // a maximum, then direct
    card(3, 2, {MotionRecord{1, 2, 0, 1, -15}, MotionRecord{0, 1, 1, 0, 4}});   // negative poison
    card(3, 30, {MotionRecord{3, 0, 0, 0, 0, 2}, MotionRecord{0, 1, 1, 1, 40}});  // sleep across 3 rounds
    card(1, 0, {MotionRecord{1, 3, 0, 1, 35}, MotionRecord{0, 0, 0, 0, 6}});    // cure past the cap, user only
    card(2, 50, {MotionRecord{1, 2, 0, 0, 3}, MotionRecord{5, 0, 0, 0, -4, 5}, MotionRecord{3, 0, 0, 0, 0, 9}});
    // A cure that reaches the cap and stays there: the nearest value at the cap is the closest.
    card(2, 10, {MotionRecord{1, 3, 0, 1, 5}});
    card(4, 10, {MotionRecord{1, 3, 0, 1, 5}});
    // No target: the estimate reads the bonuses and the silence flag alone.
    card(0, 3, {MotionRecord{0, 1, 1, 1, 40}, MotionRecord{3, 0, 0, 0, 0, 2}, MotionRecord{5, 0, 0, 0, -4, 5}});
    int differing = 0;
    for (const SkillCard& each : cards) {
        const LevelEstimate estimate = estimateLevel(each);
        const std::vector<Advice> bisected = adviseOn(each, estimate, AdviceWalk::bisecting);
        const std::vector<Advice> stepped = adviseOn(each, estimate, AdviceWalk::stepping);
        std::string a, b;
        for (const Advice& piece : bisected) a += piece.text + "\n";
        for (const Advice& piece : stepped) b += piece.text + "\n";
        EXPECT_EQ(a, b) << each.name;
        differing += a != b;
        const std::vector<Advice> first = adviseOn(each, estimate, AdviceWalk::bisecting, AdviceExtent::first);
        ASSERT_EQ(first.size(), std::min<std::size_t>(bisected.size(), 1)) << each.name;
        if (first.empty()) continue;
        EXPECT_EQ(first.front().text, bisected.front().text);
        ASSERT_EQ(first.front().changes.size(), bisected.front().changes.size());
        for (std::size_t i = 0; i < first.front().changes.size(); ++i) {
            EXPECT_EQ(first.front().changes[i].pointer(), bisected.front().changes[i].pointer());
            EXPECT_EQ(first.front().changes[i].to, bisected.front().changes[i].to);
        }
    }
    EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace Vantorn
