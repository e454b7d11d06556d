// Writes the bundled example skill cards, or checks that the bundled ones are current.
//   make-examples DIR          writes skill1.vnt ... into DIR
//   make-examples --check DIR  fails when a card in DIR differs from what it would write
//   make-examples --next DIR   writes a next version of them, as a scenario's next
//                              release might change them (for comparisons)

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "cardwriter/CardWriter.hpp"
#include "events/ContentTypes.hpp"

namespace {

using namespace Vantorn;
using Vantorn::testing::Bytes;
using Vantorn::testing::ContentRecord;
using Vantorn::testing::MotionRecord;
using Vantorn::testing::SkillCardRecord;

struct Example {
    std::string fileName;
    SkillCardRecord card;
};

// A tiny 2x2 bitmap file, so that one example carries a picture to skip.
std::string bitmap() {
    Bytes file;
    file.raw("BM").int32(70).int32(0).int32(54);
    file.int32(40).int32(2).int32(2).int16(1).int16(24).int32(0).int32(16).int32(2835).int32(2835);
    file.int32(0).int32(0);
    file.raw(std::string("\x00\x00\xFF\xFF\xFF\xFF\x00\x00", 8)).raw(std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00", 8));
    return file.data;
}

std::vector<Example> examples() {
    std::vector<Example> cards;

    SkillCardRecord arrow;
    arrow.name = "炎の矢";
    arrow.physicalElement = 1;
    arrow.mentalElement = 1;
    arrow.targetType = 3;
    arrow.effectAttribute = 1;
    arrow.successModifier = 1;
    arrow.motions = {MotionRecord(0, 1, 5, 0, 8)};
    arrow.keyCodes[0] = "攻撃";
    arrow.keyCodes[1] = "炎";
    arrow.cardLevel = 3;
    const ContentRecord hit = ContentRecord::make<Content_Branch_Flag>([](auto& c) { c.flagName = "命中"; }, {
        ContentRecord::make<Content_GetMoney>([](auto& c) { c.amount = 10; }),
        ContentRecord::make<Content_LoseMoney>([](auto& c) { c.amount = 5; })});
    arrow.events = {{ContentRecord::make<Content_Start>([](auto& c) { c.name = "使用時"; }, {
        ContentRecord::make<Content_Message>([](auto& c) {
            c.imagePath = "fire.bmp";
            c.text = "炎の矢が飛ぶ！\n敵は身構えた。";
        }, {hit})})}};
    cards.push_back({"skill1.vnt", arrow});

    SkillCardRecord wind;
    wind.name = "癒しの風";
    wind.physicalElement = 5;
    wind.mentalElement = -1;
    wind.targetType = 2;
    wind.targetsAll = true;
    wind.usesResist = true;
    wind.successModifier = 5;
    wind.motions = {MotionRecord(0, 0, 2, 0, 10), MotionRecord(1, 3, 0, 1, 20), MotionRecord(1, 1, 0, 2)};
    wind.keyCodes[0] = "回復";
    wind.cardLevel = 4;
    wind.events = {{ContentRecord::of(Content_Start(), {
        ContentRecord::make<Content_SetStep>([](auto& c) { c.stepName = "癒し"; c.value = 2; }, {
            ContentRecord::make<Content_Wait>([](auto& c) { c.duration = 5; }, {
                ContentRecord::make<Content_GetCoupon>([](auto& c) {
                    c.couponName = "＿癒し手";
                    c.value = 1;
                    c.scope = 0;
                })})})})}};
    cards.push_back({"skill2.vnt", wind});

    SkillCardRecord mist;
    mist.name = "眠りの霧";
    mist.picture = bitmap();
    mist.physicalElement = 1;
    mist.mentalElement = 4;
    mist.unusableWhenSilenced = true;
    mist.targetType = 3;
    mist.targetsAll = true;
    mist.effectAttribute = 1;
    mist.usesResist = true;
    mist.successModifier = -2;
    mist.motions = {MotionRecord(3, 0, 2, 0, 0, 5), MotionRecord(4, 2, 2, 0, 0, 3),
                    MotionRecord(4, 0, 2, 0, 0, 2), MotionRecord(5, 0, 2, 0, -2, 3)};
    mist.bonuses[1] = 3;
    mist.keyCodes[0] = "睡眠";
    mist.cardLevel = 6;
    cards.push_back({"skill3.vnt", mist});

    SkillCardRecord rally;
    rally.name = "鼓舞";
    rally.physicalElement = 3;
    rally.mentalElement = 3;
    rally.targetType = 1;
    rally.successModifier = 10;
    rally.motions = {MotionRecord(5, 1, 0, 0, 10, 3), MotionRecord(5, 3, 0, 0, 4, 2),
                     MotionRecord(3, 3, 2, 0, 0, 4), MotionRecord(7, 1), MotionRecord(7, 5)};
    rally.bonuses[0] = 10;
    rally.bonuses[2] = 2;
    rally.cardLevel = 2;
    rally.events = {{ContentRecord::make<Content_Branch_MemberChoice>([](auto& c) {
        c.wholeParty = false;
        c.random = true;
    }, {
        ContentRecord::make<Content_Branch_Level>([](auto& c) { c.average = true; c.level = 5; }, {
            ContentRecord::make<Content_GetSkill>([](auto& c) { c.cardId = 3; c.count = 1; c.scope = 2; }),
            ContentRecord::make<Content_AddGossip>([](auto& c) { c.gossip = "勇者の噂"; })})})}};
    cards.push_back({"skill4.vnt", rally});

    SkillCardRecord feint;
    feint.name = "撹乱の一手";
    feint.physicalElement = 2;
    feint.mentalElement = 5;
    feint.targetType = 4;
    feint.effectAttribute = 3;
    feint.motions = {MotionRecord(1, 2, 1, 2), MotionRecord(1, 2, 1, 1, 5), MotionRecord(3, 1, 2, 0, 0, 2),
                     MotionRecord(6, 1), MotionRecord(2, 0), MotionRecord(0, 0, 0, 0, 6)};
    feint.keyCodes[2] = "毒";
    feint.cardLevel = 5;
    feint.events = {
        {ContentRecord::make<Content_Branch_Random>([](auto& c) { c.percent = 50; }, {
            ContentRecord::make<Content_BiBranch_Step>([](auto& c) { c.stepName = "段階"; c.boundary = 2; }, {
                ContentRecord::make<Content_IncStep>([](auto& c) { c.stepName = "段階"; }),
                ContentRecord::make<Content_DecStep>([](auto& c) { c.stepName = "段階"; })}),
            ContentRecord::make<Content_Branch_Posession_Coupon>([](auto& c) {
                c.couponName = "策士";
                c.unknownValue = 0;
                c.scope = 1;
            }, {ContentRecord::make<Content_ScenarioClear>([](auto& c) { c.markCompleted = true; })})})},
        {ContentRecord::make<Content_Branch_Status>([](auto& c) { c.status = 2; c.targetMember = 1; }, {
            ContentRecord::of(Content_RedrawScreen()), ContentRecord::of(Content_BreakEffect())})}};
    cards.push_back({"skill5.vnt", feint});

    SkillCardRecord meditate;
    meditate.name = "瞑想";
    meditate.physicalElement = 5;
    meditate.mentalElement = -4;
    meditate.unusableWhenSilenced = true;
    meditate.bonuses[0] = 10;
    meditate.bonuses[1] = 10;
    meditate.bonuses[2] = 10;
    meditate.cardLevel = 1;
    cards.push_back({"skill6.vnt", meditate});

    SkillCardRecord storm;
    storm.name = "嵐の舞";
    storm.physicalElement = 2;
    storm.mentalElement = 2;
    storm.targetType = 4;
    storm.targetsAll = true;
    storm.effectAttribute = 2;
    storm.motions = {MotionRecord(0, 1, 6, 1, 15), MotionRecord(5, 2, 0, 0, -10, 2)};
    storm.cardLevel = 9;
    cards.push_back({"skill7.vnt", storm});

    return cards;
}

// The examples changed: a motion's value and a flag's name deep in a tree (skill1), a
// motion put in front (skill3), one card gone (skill6) and one new (skill8).
std::vector<Example> nextExamples() {
    std::vector<Example> cards;
    for (Example example : examples()) {
        if (example.fileName == "skill1.vnt") {
            example.card.motions[0].value = 10;
            Vantorn::testing::ContentRecord& hit = example.card.events[0][0].children[0].children[0];
            hit = ContentRecord::make<Content_Branch_Flag>([](auto& c) { c.flagName = "命中判定"; }, hit.children);
        } else if (example.fileName == "skill3.vnt") {
            example.card.motions.insert(example.card.motions.begin(), MotionRecord(0, 1, 5, 0, 4));
        } else if (example.fileName == "skill6.vnt") {
            continue;
        } else if (example.fileName == "skill7.vnt") {
            cards.push_back(example);
            example.fileName = "skill8.vnt";
            example.card.name = "嵐の舞・改";
            example.card.cardLevel = 10;
        }
        cards.push_back(example);
    }
    return cards;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const bool check = !args.empty() && args[0] == "--check";
    const bool next = !args.empty() && args[0] == "--next";
    if (args.size() != (check || next ? 2u : 1u)) {
        std::cerr << "usage: make-examples [--check | --next] DIR\n";
        return 2;
    }
    const std::string folder = args.back() + "/";
    int stale = 0;
    for (const Example& example : next ? nextExamples() : examples()) {
        const std::string path = folder + example.fileName;
        const std::string bytes = example.card.bytes().data;
        if (check) {
            if (readFile(path) != bytes) {
                std::cerr << path << ": differs from what make-examples writes\n";
                ++stale;
            }
        } else if (!(std::ofstream(path, std::ios::binary) << bytes)) {
            std::cerr << path << ": cannot write\n";
            return 1;
        }
    }
    return stale == 0 ? 0 : 1;
}
