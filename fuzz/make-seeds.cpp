// Writes the seed corpus of the fuzzing target: cards made with the project's own
// writer that reach every part of the reader, so that the fuzzer starts from files
// that load and mutates them into files that almost do.
//   make-seeds DIR

#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "events/Content.hpp"
#include "hostile/HostileCards.hpp"

namespace {

using namespace Vantorn::testing;
using Vantorn::ContentKind;

struct Seed {
    std::string name;
    std::string bytes;
};

SkillCardRecord aimedAt(std::uint8_t targetType, bool targetsAll = false) {
    SkillCardRecord card;
    card.name = "種";
    card.targetType = targetType;
    card.targetsAll = targetsAll;
    return card;
}

std::vector<Seed> seeds() {
    std::vector<Seed> out;
    const auto add = [&out](std::string name, const std::string& bytes) {
        out.push_back({std::move(name), bytes});
    };

    add("rich", richCard().bytes().data);
    for (std::uint8_t target = 0; target <= 4; ++target) {
        for (bool all : {false, true}) {
            SkillCardRecord card = aimedAt(target, all);
            card.unusableWhenSilenced = all;
            card.successModifier = all ? -10 : 10;
            card.bonuses[0] = card.bonuses[1] = card.bonuses[2] = all ? 10 : -9;
            add("target-" + std::to_string(target) + (all ? "-all" : ""), card.bytes().data);
        }
    }

    // Every motion, each alone on a card of every target type in turn, and all at once.
    std::uint8_t target = 0;
    for (const MotionRecord& motion : everyMotion()) {
        SkillCardRecord card = aimedAt(target);
        target = static_cast<std::uint8_t>((target + 1) % 5);
        card.motions = {motion};
        add("motion-" + std::to_string(motion.category) + "-" + std::to_string(motion.subType) + "-" +
                std::to_string(motion.valueType),
            card.bytes().data);
    }
    for (std::uint8_t category : {8, 9, 255}) {
        SkillCardRecord card = aimedAt(3);
        card.motions = {MotionRecord(category)};
        add("motion-refused-" + std::to_string(category), card.bytes().data);
    }
    {
        SkillCardRecord card = aimedAt(3);
        card.motions.assign(2000, MotionRecord(5, 1, 0, 0, -10, 3));
        add("motions-2000", card.bytes().data);
    }

    // Every content kind, the unreadable three included, below a named start.
    for (int code = 0; code <= Vantorn::maxContentType; ++code) {
        SkillCardRecord card = aimedAt(2);
        ContentRecord start = sampleContent(ContentKind::Start, {sampleContent(code)});
        start.name = "使用時";
        card.events = {{start}};
        add("content-" + std::to_string(code), card.bytes().data);
    }

    // Deep and wide trees, and many events.
    const std::size_t depth = Vantorn::maxContentDepth;
    add("deepest", cardAround(Bytes().int32(0), oneTree(chainOf(depth))));
    add("too-deep", cardAround(Bytes().int32(0), oneTree(chainOf(depth + 1))));
    std::vector<ContentRecord> leaves;
    for (int i = 0; i < 1000; ++i) {
        leaves.push_back(sampleContent(i % 2 ? ContentKind::GetMoney : ContentKind::IncRound));
    }
    ContentRecord flagBranch = sampleContent(ContentKind::Branch_Flag, std::move(leaves));
    flagBranch.name = "枝";
    const Bytes fan = flagBranch.bytes();
    add("wide", cardAround(Bytes().int32(0), oneTree(fan)));
    add("deep-then-wide", cardAround(Bytes().int32(0), oneTree(chainOf(depth / 2, fan))));
    Bytes events = Bytes().int32(1000);
    for (int i = 0; i < 1000; ++i) events.int32(i % 3 == 0 ? 1 : 0).raw(i % 3 == 0 ? sampleContent(ContentKind::RedrawScreen).bytes().data : "");
    add("events-1000", cardAround(Bytes().int32(0), events));

    // Pictures: a real one, a foreign one, and sizes pointing out of the file.
    SkillCardRecord pictured = aimedAt(3);
    pictured.picture = sampleBitmap();
    add("picture", pictured.bytes().data);
    pictured.picture = "GIF89a";
    add("picture-foreign", pictured.bytes().data);
    const std::string rest = aimedAt(3).bytes().data.substr(5);
    add("picture-past-end", Bytes().byte(5).int32(0x7FFFFFFF).raw("BM").raw(rest).data);
    add("picture-before-start", Bytes().byte(5).int32(-16).raw("BM").raw(rest).data);

    // Long texts.
    SkillCardRecord wordy = aimedAt(1);
    wordy.name = std::string(20000, 'x');
    wordy.keyCodes[3] = "鍵";
    add("long-name", wordy.bytes().data);
    return out;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::cerr << "usage: make-seeds DIR\n";
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    for (const Seed& seed : seeds()) {
        if (!(std::ofstream(folder + seed.name + ".vnt", std::ios::binary) << seed.bytes)) {
            std::cerr << folder << seed.name << ".vnt: cannot write\n";
            return 1;
        }
    }
    return 0;
}
