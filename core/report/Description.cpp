// The readable description of a whole skill card.

#include <ostream>
#include <sstream>
#include <utility>
#include <vector>

#include "cards/CodedFields.hpp"
#include "cards/SkillCard.hpp"
#include "report/ContentLines.hpp"
#include "report/Report.hpp"
#include "report/TextOut.hpp"

namespace Vantorn {
namespace {

// Where the lines of a description go: a text stream, or a list of strings.
class StreamLines {
public:
    explicit StreamLines(TextOut& out) : out_(out) {}
    TextOut& line() { return out_; }
    void end() { out_ << '\n'; }

private:
    TextOut& out_;
};

// What `write` writes, as a string.
template <class Write>
std::string lineText(const Write& write) {
    StringBuffer text;
    {
        TextOut out(text);
        write(out);
    }
    return std::move(text.text);
}

// Each line handed on as it ends, so that no list of them grows with the card; one
// string holds each line in turn.
class CalledLines {
public:
    explicit CalledLines(const std::function<void(std::string_view)>& call) : call_(call) {}
    TextOut& line() { return out_; }
    void end() {
        out_.flush();
        call_(text_.text);
        text_.text.clear();
    }

private:
    const std::function<void(std::string_view)>& call_;
    StringBuffer text_;
    TextOut out_{text_};
};

// One TAB per level, written a block at a time: trees nest thousands of levels deep.
void indent(TextOut& out, std::size_t level) {
    static const std::string tabs(256, '\t');
    for (; level > tabs.size(); level -= tabs.size()) out.write(tabs.data(), tabs.size());
    out.write(tabs.data(), level);
}

template <class Lines>
void contentTree(Lines& lines, const Content& root, std::size_t depth) {
    std::vector<std::pair<const Content*, std::size_t>> pending{{&root, depth}};
    while (!pending.empty()) {
        const auto [content, level] = pending.back();
        pending.pop_back();
        TextOut& out = lines.line();
        indent(out, level);
        writeContentLine(out, *content);
        lines.end();
        for (auto child = content->children.rbegin(); child != content->children.rend(); ++child) {
            pending.emplace_back(*child, level + 1);
        }
    }
}

template <class Lines>
void events(Lines& lines, const EventPart& part) {
    struct Trees final : EventVisitor {
        explicit Trees(Lines& lines) : lines(lines) {}
        void content(const Content& root) override { contentTree(lines, root, 0); }
        Lines& lines;
    } trees(lines);
    part.visit(trees);
}

void motionLine(TextOut& out, const Motion& motion);

// Names are looked up unchecked: load has range-checked every coded field.
void parameterLine(TextOut& out, const SkillCard& card, std::size_t place) {
    const auto& keys = card.keyCodes;
    switch (place) {
    case 0: out << "名称: " << card.name; break;
    case 1: out << "技能Lv: " << card.cardLevel; break;
    case 2: out << "目標: " << targetText(card); break;
    case 3: out << "効果属性: " << coded::effectAttribute.name(card.effectAttribute); break;
    case 4: out << "沈黙時使用: " << (card.unusableWhenSilenced ? "不可" : "可"); break;
    case 5: out << "抵抗属性: " << (card.usesResist ? "抵抗" : "回避"); break;
    case 6: out << "成功率修正値: " << card.successModifier; break;
    case 7:
        out << "使用時ボーナス(回避, 抵抗, 防御): " << card.bonuses[0] << ", " << card.bonuses[1] << ", "
            << card.bonuses[2];
        break;
    case 8: out << "身体的要素: " << coded::physicalElement.name(card.physicalElement); break;
    case 9: out << "精神的要素: " << coded::mentalElement.name(card.mentalElement); break;
    default:
        out << "キーコード: " << keys[0] << ", " << keys[1] << ", " << keys[2] << ", " << keys[3] << ", " << keys[4];
        break;
    }
}

template <class Lines>
void description(Lines& lines, const SkillCard& card) {
    for (std::size_t place = 0; place < descriptionParameterLines; ++place) {
        parameterLine(lines.line(), card, place);
        lines.end();
    }
    for (const Motion& motion : card.motions) {
        motionLine(lines.line(), motion);
        lines.end();
    }
    events(lines, card.eventPart);
}

// "Lv比8", "直接8", "最大値": a maximum has no number.
void writeStrength(TextOut& out, ValueType valueType, std::int32_t value) {
    const char* name = coded::valueType.name(static_cast<std::int32_t>(valueType));
    if (!name) return;
    out << ": " << name;
    if (valueType != ValueType::maximum) out << value;
}

void motionLine(TextOut& out, const Motion& motion) {
    const EffectType& type = effectType(motion.category, motion.subType);
    if (type.name) {
        out << type.name;
    } else {
        out << "不明な効果[" << motion.category << "," << motion.subType << "]";
    }
    if (const char* attr = coded::element.name(motion.attr)) {
        out << "(" << attr << ")";
    } else {
        out << "(不明な属性" << motion.attr << ")";
    }
    switch (type.form) {
    case ValueForm::none: break;
    case ValueForm::strength: writeStrength(out, motion.valueType, motion.value); break;
    case ValueForm::duration: out << ": " << motion.rounds << "ラウンド"; break;
    case ValueForm::strengthAndDuration: out << ": " << motion.value << ", " << motion.rounds << "ラウンド"; break;
    }
}

}  // namespace

std::string targetText(const SkillCard& card) {
    const char* range = card.targetType == 0 ? "" : card.targetsAll ? "全体" : "単体";
    return std::string(coded::targetType.name(card.targetType)) + range;
}

void writeHeader(std::ostream& out, const std::string& path) {
    out << '[' << path << "]\n";
}

void writeDescription(std::ostream& out, const SkillCard& card) {
    TextOut text(out);
    writeDescription(text, card);
}

void writeDescription(TextOut& out, const SkillCard& card) {
    StreamLines lines(out);
    description(lines, card);
}

void forEachDescriptionLine(const SkillCard& card, const std::function<void(std::string_view line)>& call) {
    CalledLines lines(call);
    description(lines, card);
}

std::string descriptionLine(const SkillCard& card, std::size_t place) {
    return lineText([&](TextOut& out) { writeDescriptionLine(out, card, place); });
}

void writeDescriptionLine(TextOut& out, const SkillCard& card, std::size_t place) {
    if (place >= descriptionParameterLines) {
        motionLine(out, card.motions.at(place - descriptionParameterLines));
    } else {
        parameterLine(out, card, place);
    }
}

std::string motionText(const Motion& motion) {
    return lineText([&](TextOut& out) { motionLine(out, motion); });
}

void writeMotion(std::ostream& out, const Motion& motion) {
    TextOut text(out);
    motionLine(text, motion);
}

void writeMotion(TextOut& out, const Motion& motion) { motionLine(out, motion); }

void writeEvents(std::ostream& out, const EventPart& part) {
    TextOut text(out);
    StreamLines lines(text);
    events(lines, part);
}

void writeContentTree(std::ostream& out, const Content& root, std::size_t depth) {
    TextOut text(out);
    StreamLines lines(text);
    contentTree(lines, root, depth);
}

std::string contentLine(const Content& content) {
    std::ostringstream out;
    writeContentLine(out, content);
    return out.str();
}

}  // namespace Vantorn
