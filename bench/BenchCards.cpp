#include "BenchCards.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <utility>

#include "cardwriter/CardWriter.hpp"
#include "cards/CodedFields.hpp"
#include "cards/Motion.hpp"
#include "events/Content.hpp"
#include "events/ContentFactory.hpp"
#include "events/ContentKind.hpp"
#include "events/Fields.hpp"
#include "format/Limits.hpp"

namespace Vantorn::bench {
namespace {

using testing::Bytes;
using testing::contentHeader;
using testing::ContentRecord;
using testing::EventRecord;
using testing::MotionRecord;
using testing::SkillCardRecord;

// splitmix64: small, fast and the same everywhere (the standard distributions are not).
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n-1
    std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(next() % n); }
    std::int32_t between(std::int32_t low, std::int32_t high) {
        return low + static_cast<std::int32_t>(below(static_cast<std::uint32_t>(high - low + 1)));
    }
    bool percent(std::uint32_t p) { return below(100) < p; }
    template <class T, std::size_t N>
    const T& pick(const std::array<T, N>& items) { return items[below(N)]; }

private:
    std::uint64_t state_;
};

constexpr std::array<const char*, 16> cardNames = {
    "炎の矢", "癒しの風", "眠りの霧", "鼓舞", "撹乱の一手", "瞑想", "嵐の舞", "氷の刃",
    "聖なる光", "影縫い", "毒霧", "守りの盾", "風読み", "雷撃", "祝福", "魔法の鎧",
};

constexpr std::array<const char*, 12> sentences = {
    "炎の矢を放ち、敵一体に傷を負わせる。",
    "熟練した者が使えば、その威力は倍にもなるという。",
    "古い神殿に伝わる祈りの言葉。",
    "傷ついた仲間を柔らかな光が包み込む。",
    "相手の動きを見切り、攻撃をかわす構えを取る。",
    "冷たい霧が辺りに立ち込め、敵の目を眩ませる。",
    "口の中で短く呪文を唱えると、掌に小さな炎が灯った。",
    "「まだ終わりではない。立て、皆！」",
    "遠くで雷鳴が響き、空気が震えた。",
    "盗賊ギルドで密かに教えられている技。",
    "この技を使うには、強い意志と集中が必要だ。",
    "一行は静かに頷き、武器を構え直した。",
};

constexpr std::array<const char*, 10> keyCodes = {
    "攻撃", "炎", "冷気", "回復", "睡眠", "毒", "防御", "魔法", "祈り", "移動",
};

constexpr std::array<const char*, 8> flagNames = {
    "扉を開けた", "宝箱", "村長と話した", "魔法陣", "夜", "契約済み", "鍵", "警戒",
};

constexpr std::array<const char*, 4> imagePaths = {"", "", "mage.bmp", "fire.bmp"};

// The named sub-types of a motion category, which come first in it; category 8
// (summoning) is refused by the reader, so it never appears.
int namedSubTypes(int category) {
    int count = 0;
    while (count < effectSubTypeCount && effectType(category, count).name) ++count;
    return count;
}

std::string text(Random& random, int sentenceCount) {
    std::string out;
    for (int i = 0; i < sentenceCount; ++i) {
        if (i > 0) out += random.percent(40) ? "\n" : "";
        out += random.pick(sentences);
    }
    return out;
}

MotionRecord motion(Random& random) {
    const auto category = static_cast<std::uint8_t>(random.below(8));
    MotionRecord m(category, static_cast<std::uint8_t>(random.below(namedSubTypes(category))),
                   static_cast<std::uint8_t>(random.below(coded::element.count)));
    m.valueType = static_cast<std::uint8_t>(random.below(coded::valueType.count));
    m.value = random.between(category == 5 ? -10 : 1, 10);
    m.rounds = random.between(1, 10);
    return m;
}

// A small bitmap file with w x h 24-bit pixels, as cards embed their pictures.
std::string bitmap(std::int32_t w, std::int32_t h) {
    const std::int32_t rowBytes = (w * 3 + 3) / 4 * 4;
    const std::int32_t pixels = rowBytes * h;
    Bytes file;
    file.raw("BM").int32(54 + pixels).int32(0).int32(54);
    file.int32(40).int32(w).int32(h).int16(1).int16(24).int32(0).int32(pixels).int32(2835).int32(2835);
    file.int32(0).int32(0);
    file.raw(std::string(static_cast<std::size_t>(pixels), '\x7F'));
    return file.data;
}

// Content kinds the generated scripts use. Kinds that branch get several children;
// the others carry on to at most one.
using K = ContentKind;
constexpr std::array<ContentKind, 12> branchKinds = {
    K::Branch_MemberChoice, K::Branch_AbilityCheck, K::Branch_Random, K::Branch_Flag,
    K::MultiBranch_Step, K::Branch_Posession_Skill, K::Branch_Money, K::Branch_Posession_Coupon,
    K::Branch_Level, K::Branch_Status, K::Branch_Gossip, K::Branch_Random,
};
constexpr std::array<ContentKind, 14> stepKinds = {
    K::Message, K::Message, K::Message, K::Message, K::ChangeBGM, K::PlaySE, K::Wait, K::SetFlag,
    K::SetStep, K::GetSkill, K::GetMoney, K::GetCoupon, K::IncRound, K::Message,
};
constexpr std::array<ContentKind, 3> endKinds = {K::LinkToStart, K::StartBattle, K::CallStart};

// Fills a content's own fields by their type and name, as a scenario editor's user
// might: sentences for messages, a few known flags and pictures, small numbers.
class RandomFields final : public FieldVisitor {
public:
    explicit RandomFields(Random& random) : random_(random) {}

    void int32(const char*, std::int32_t& value) override { value = random_.between(1, 10); }
    void byte(const char*, std::int32_t& value) override { value = static_cast<std::int32_t>(random_.below(4)); }
    void boolean(const char*, bool& value) override { value = random_.percent(50); }
    void string(const char* name, std::string& value) override {
        const std::string_view field = name;
        if (field == "text") {
            value = text(random_, random_.between(1, 3));
        } else if (field == "flagName") {
            value = random_.pick(flagNames);
        } else if (field == "imagePath") {
            value = random_.pick(imagePaths);
        } else {
            value = fixedWord(field);
        }
    }

private:
    // Starts are named after when they run; the other names are one word each.
    static const char* fixedWord(std::string_view field) {
        static constexpr std::pair<std::string_view, const char*> words[] = {
            {"startName", "使用時"}, {"stepName", "進行度"}, {"couponName", "＿勇者"},
            {"gossip", "竜の噂"}, {"musicPath", "battle.mid"}, {"soundPath", "fire.wav"},
        };
        for (const auto& [known, word] : words) {
            if (known == field) return word;
        }
        return "名前";
    }

    Random& random_;
};

Bytes ownFields(ContentKind kind, Random& random) {
    const ContentPtr content = makeContent(static_cast<int>(kind));
    RandomFields fields(random);
    content->visitFields(fields);
    return testing::ownFieldsOf(*content);
}

// A random script tree of at most maxDepth levels that stops growing near budget bytes.
ContentRecord scriptTree(Random& random, int depth, int maxDepth, long& budget) {
    const bool canGrow = depth < maxDepth && budget > 0;
    ContentKind kind;
    if (!canGrow) {
        kind = random.percent(70) ? random.pick(stepKinds) : random.pick(endKinds);
    } else {
        kind = random.percent(30) ? random.pick(branchKinds) : random.pick(stepKinds);
    }
    ContentRecord record(kind, ownFields(kind, random));
    budget -= static_cast<long>(record.ownFields.data.size()) + 9;
    if (canGrow) {
        const bool branches = std::find(branchKinds.begin(), branchKinds.end(), kind) != branchKinds.end();
        const int children = branches ? random.between(2, 3) : 1;
        for (int i = 0; i < children && budget > 0; ++i) {
            record.children.push_back(scriptTree(random, depth + 1, maxDepth, budget));
        }
    }
    return record;
}

// An event as scenario editors make them: a start named after when it runs, and the
// script below it.
EventRecord event(Random& random, const char* startName, long budget, int maxDepth) {
    ContentRecord start(ContentKind::Start);
    start.name = startName;
    while (budget > 0) {
        start.children.push_back(scriptTree(random, 1, maxDepth, budget));
    }
    return {start};
}

SkillCardRecord cardFields(Random& random, std::uint32_t number) {
    SkillCardRecord card;
    card.name = random.pick(cardNames);
    card.number = static_cast<std::int32_t>(number);
    card.text2 = text(random, random.between(1, 3));
    card.physicalElement = random.between(0, 5);
    card.mentalElement = random.between(-5, 5);
    card.unusableWhenSilenced = random.percent(30);
    card.targetsAll = random.percent(30);
    card.targetType = static_cast<std::uint8_t>(random.below(5));
    card.effectAttribute = static_cast<std::uint8_t>(random.below(4));
    card.usesResist = random.percent(40);
    card.successModifier = random.between(-3, 5);
    const int motionCount = random.between(1, 4);
    for (int i = 0; i < motionCount; ++i) card.motions.push_back(motion(random));
    for (std::int32_t& bonus : card.bonuses) bonus = random.percent(25) ? random.between(1, 10) : 0;
    const int codes = random.between(1, 3);
    for (int i = 0; i < codes; ++i) card.keyCodes[i] = random.pick(keyCodes);
    card.codeAfterKeys = static_cast<std::uint8_t>(random.below(3));
    card.cardLevel = random.between(1, 10);
    return card;
}

SkillCardRecord corpusRecord(std::uint32_t index) {
    Random random(0x6D6F726E00000000ull + index);
    SkillCardRecord card = cardFields(random, index);
    const std::uint32_t kind = random.below(100);
    if (kind < 10) {
        // A scripted skill: several kilobytes of events.
        card.events.push_back(event(random, "使用時", random.between(2000, 7000), 8));
        if (random.percent(50)) card.events.push_back(event(random, "失敗時", random.between(300, 1500), 5));
    } else if (kind < 30) {
        card.events.push_back(event(random, "使用時", random.between(300, 900), 4));
    } else if (kind < 80) {
        card.events.push_back(event(random, "使用時", random.between(40, 150), 2));
    }
    if (random.percent(5)) card.picture = bitmap(24, 32);
    return card;
}

// A chain as deep as given, written front to back without building it in memory:
// every header on the way down, then the own fields on the way back up.
void chain(Bytes& out, Random& random, std::size_t depth) {
    std::vector<Bytes> fields;
    fields.reserve(depth);
    contentHeader(out, ContentKind::Start, "連鎖", depth > 1 ? 1 : 0);
    fields.emplace_back();
    for (std::size_t level = 1; level < depth; ++level) {
        const ContentKind kind = random.pick(stepKinds);
        contentHeader(out, kind, "", level + 1 < depth ? 1 : 0);
        fields.push_back(ownFields(kind, random));
    }
    for (auto it = fields.rbegin(); it != fields.rend(); ++it) out.append(*it);
}

// One event of the big card: a wide tree, a few medium chains and one of the deepest
// chains a card may hold.
Bytes bigEvent(Random& random) {
    Bytes out;
    constexpr std::size_t wideBranches = 600;
    constexpr std::size_t mediumChains = 6;
    out.int32(static_cast<std::int32_t>(2 + mediumChains));
    contentHeader(out, ContentKind::Start, "使用時", wideBranches);
    for (std::size_t i = 0; i < wideBranches; ++i) {
        const ContentKind branch = random.pick(branchKinds);
        contentHeader(out, branch, "", 2);
        for (int child = 0; child < 2; ++child) {
            const ContentKind kind = child == 0 ? ContentKind::Message : random.pick(stepKinds);
            contentHeader(out, kind, "", 0);
            out.append(ownFields(kind, random));
        }
        out.append(ownFields(branch, random));
    }
    for (std::size_t i = 0; i < mediumChains; ++i) chain(out, random, 40);
    chain(out, random, maxContentDepth);
    return out;
}

}  // namespace

std::string corpusCard(std::uint32_t index) {
    return corpusRecord(index).bytes().data;
}

std::string corpusName(std::uint32_t index) {
    char name[32];
    std::snprintf(name, sizeof name, "skill%05u.vnt", static_cast<unsigned>(index));
    return name;
}

std::vector<std::string> writeCorpus(const std::string& dir, std::uint32_t count) {
    std::vector<std::string> names;
    names.reserve(count);
    for (std::uint32_t i = 1; i <= count; ++i) {
        names.push_back(corpusName(i));
        if (!writeFile(dir + "/" + names.back(), corpusCard(i))) return {};
    }
    return names;
}

const char* const oddCardName = "コンマ, と\"引用符\"と\n改行";

std::vector<std::string> writeCardTree(const std::string& dir, std::uint32_t count, bool oddities) {
    namespace fs = std::filesystem;
    std::vector<std::string> paths;
    paths.reserve(count + 3);
    // Ten places of the upper levels and a hundred leaves; card i goes to place i % 110.
    const auto folderOf = [&](std::uint32_t i) {
        const std::uint32_t place = i % 110;
        if (place < 10) return place == 0 ? fs::path(dir) : fs::path(dir) / ("area" + std::to_string(place));
        const std::uint32_t leaf = place - 10;
        return fs::path(dir) / ("area" + std::to_string(leaf / 10)) / ("set" + std::to_string(leaf % 10));
    };
    const auto write = [&](const fs::path& path, const std::string& bytes, bool found) {
        std::error_code ignored;
        fs::create_directories(path.parent_path(), ignored);
        if (!writeFile(path.string(), bytes)) return false;
        if (found) paths.push_back(path.string());
        return true;
    };
    for (std::uint32_t i = 1; i <= count; ++i) {
        if (!write(folderOf(i) / corpusName(i), corpusCard(i), true)) return {};
    }
    if (oddities) {
        SkillCardRecord odd = corpusRecord(1);
        odd.name = oddCardName;
        const std::string broken = corpusCard(2).substr(0, 40);
        const fs::path area = fs::path(dir) / "area0";
        if (!write(fs::path(dir) / "skill-odd.vnt", odd.bytes().data, true) ||
            !write(area / "SKILL-CAPITALS.VNT", corpusCard(3), true) ||
            !write(area / "skill-broken.vnt", broken, true) || !write(area / "notes.txt", "notes", false) ||
            !write(area / "item1.vnt", corpusCard(4), false)) {
            return {};
        }
    }
    return paths;
}

std::vector<std::string> writeHostileCards(const std::string& dir) {
    const std::vector<std::string> names = {
        "<script>window.hostile = 1</script>",
        "</script><img src=x onerror=\"window.hostile = 2\">",
        "<svg onload=\"window.hostile = 3\"><title>owned</title></svg>",
        "=HYPERLINK(\"http://example.invalid\",\"x\")",
        "\x1b]0;owned\x07\x1b[2J",
    };
    std::vector<std::string> paths;
    const auto write = [&](const std::string& name, const SkillCardRecord& card) {
        paths.push_back(dir + "/" + name);
        return writeFile(paths.back(), card.bytes().data);
    };
    for (std::size_t i = 0; i < names.size(); ++i) {
        SkillCardRecord card = corpusRecord(static_cast<std::uint32_t>(i + 1));
        card.name = names[i];
        if (!write("skill-hostile" + std::to_string(i) + ".vnt", card)) return {};
    }
    SkillCardRecord stated = corpusRecord(7);
    stated.cardLevel = 2147483647;
    SkillCardRecord estimated = corpusRecord(8);
    estimated.motions = {MotionRecord{0, 1, 1, 0, 2147483647}};
    estimated.motions.resize(64, estimated.motions.front());
    if (!write("skill-extreme-level.vnt", stated) || !write("skill-extreme-estimate.vnt", estimated)) return {};
    return paths;
}

std::string smallCard() {
    Random random(1);
    SkillCardRecord card = cardFields(random, 1);
    card.targetType = 3;
    card.events.push_back(event(random, "使用時", 120, 2));
    return card.bytes().data;
}

std::string largeCard() {
    Random random(2);
    SkillCardRecord card = cardFields(random, 2);
    card.targetType = 3;
    card.events.push_back(event(random, "使用時", 5000, 8));
    card.events.push_back(event(random, "失敗時", 1200, 5));
    return card.bytes().data;
}

std::string bigCard(std::size_t targetBytes) {
    Random random(3);
    std::vector<Bytes> events;
    std::size_t total = 0;
    while (total < targetBytes) {
        events.push_back(bigEvent(random));
        total += events.back().data.size();
    }
    SkillCardRecord card = cardFields(random, 3);
    card.targetType = 4;
    card.motions.clear();
    for (std::size_t i = 0; i < events.size() * 64; ++i) card.motions.push_back(motion(random));
    card.writtenEvents = std::move(events);
    return card.bytes().data;
}

std::string deepestCard(std::size_t targetBytes) {
    constexpr std::size_t bareRecordBytes = 9;
    const std::size_t chainBytes = bareRecordBytes * maxContentDepth;
    const std::size_t chains = std::min<std::size_t>(maxListCount, (targetBytes + chainBytes - 1) / chainBytes);
    Bytes event;
    event.int32(static_cast<std::int32_t>(chains));
    for (std::size_t i = 0; i < chains; ++i) {
        for (std::size_t level = 0; level < maxContentDepth; ++level) {
            contentHeader(event, ContentKind::Start, "", level + 1 < maxContentDepth ? 1 : 0);
        }
    }
    SkillCardRecord card;
    card.writtenEvents.push_back(std::move(event));
    return card.bytes().data;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

}  // namespace Vantorn::bench
