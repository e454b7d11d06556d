#include "json/CardJson.hpp"

#include <optional>

#include <ostream>
#include <string>
#include <vector>

#include "advice/Advice.hpp"
#include "cards/CodedFields.hpp"
#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"
#include "events/ContentKind.hpp"
#include "events/Fields.hpp"
#include "format/Errors.hpp"
#include "json/JsonWriter.hpp"
#include "report/ContentLines.hpp"
#include "report/Report.hpp"
#include "report/TextOut.hpp"

namespace Vantorn {
namespace {

void text(JsonWriter& json, std::string_view name, std::string_view cp932) {
    json.key(name);
    json.cp932(cp932);
}

template <class Texts>
void textArray(JsonWriter& json, std::string_view name, const Texts& texts) {
    json.key(name);
    json.beginArray();
    for (const std::string& item : texts) json.cp932(item);
    json.endArray();
}

// A coded field: its code and the name the report gives it.
void codedMember(JsonWriter& json, std::string_view name, std::int32_t code, const char* cp932Name) {
    json.key(name);
    json.beginObject();
    json.member("code", code);
    text(json, "name", cp932Name ? cp932Name : "");
    json.endObject();
}

class FieldJson final : public FieldVisitor {
public:
    explicit FieldJson(JsonWriter& json) : json_(json) {}
    void int32(const char* name, std::int32_t& value) override { json_.member(name, value); }
    void byte(const char* name, std::int32_t& value) override { json_.member(name, value); }
    void boolean(const char* name, bool& value) override { json_.member(name, value); }
    void string(const char* name, std::string& value) override { text(json_, name, value); }

private:
    JsonWriter& json_;
};

// Writes a card and its estimate. Each motion's and content's text comes from the
// report's own writer of that line.
class CardJsonWriter {
public:
    CardJsonWriter(JsonWriter& json, const SkillCard& card, const LevelEstimate& estimate)
        : json_(json), card_(card), estimate_(estimate) {}

    void write(std::string_view path, const std::vector<Advice>* adviceList) {
        JsonWriter& json = json_;
        json.beginObject();
        json.member("path", path);
        text(json, "name", card_.name);
        json.member("level", card_.cardLevel);
        json.key("target");
        json.beginObject();
        json.member("code", card_.targetType);
        text(json, "name", coded::targetType.name(card_.targetType));
        json.member("all", card_.targetsAll);
        json.endObject();
        codedMember(json, "effectAttribute", card_.effectAttribute, coded::effectAttribute.name(card_.effectAttribute));
        json.member("unusableWhenSilenced", card_.unusableWhenSilenced);
        json.member("usesResist", card_.usesResist);
        json.member("successModifier", card_.successModifier);
        json.key("bonuses");
        json.beginObject();
        json.member("avoidance", card_.bonuses[0]);
        json.member("resistance", card_.bonuses[1]);
        json.member("defence", card_.bonuses[2]);
        json.endObject();
        codedMember(json, "physicalElement", card_.physicalElement, coded::physicalElement.name(card_.physicalElement));
        codedMember(json, "mentalElement", card_.mentalElement, coded::mentalElement.name(card_.mentalElement));
        textArray(json, "keyCodes", card_.keyCodes);
        json.member("codeAfterKeys", card_.codeAfterKeys);
        json.member("extraByte", card_.extraByte);
        text(json, "text2", card_.text2);
        text(json, "text3", card_.text3);
        text(json, "text4", card_.text4);
        textArray(json, "extraTexts", card_.extraTexts);
        // A card read again at each walk would have all its texts held.
        keeping_ = !card_.eventPart.readEachWalk();
        if (keeping_) keptText_.reserve(4096);  // most cards' lines, without growing
        motions();
        events();
        keeping_ = false;
        description();
        estimate();
        if (adviceList) advice(*adviceList);
        json.endObject();
    }

private:
    // What `write` writes, in buffers used over again: a line that fits the writer's
    // own buffer is read from there.
    template <class Write>
    std::string_view line(Write write) {
        lineOut_.discard();
        lineText_.text.clear();
        write(lineOut_);
        if (lineText_.text.empty()) return lineOut_.held();
        lineOut_.flush();
        return lineText_.text;
    }

    void motions() {
        json_.key("motions");
        json_.beginArray();
        for (const Motion& motion : card_.motions) writeMotionJson(motion);
        json_.endArray();
    }

    // The description repeats each motion's and content's text, which the entry has
    // just written: kept as written, with the content's depth, it is neither made nor
    // converted again.
    void keep(std::size_t depth) {
        if (!keeping_) return;
        keptText_ += json_.lastString();
        kept_.push_back({keptText_.size(), depth});
    }

    void description() {
        json_.key("description");
        json_.beginArray();
        if (!card_.eventPart.readEachWalk()) {
            for (std::size_t place = 0; place < descriptionParameterLines; ++place) {
                json_.cp932(line([&](TextOut& out) { writeDescriptionLine(out, card_, place); }));
            }
            std::size_t start = 0;
            for (const KeptLine& line : kept_) {
                json_.indentedString(line.depth, std::string_view(keptText_).substr(start, line.end - start));
                start = line.end;
            }
        } else {
            forEachDescriptionLine(card_, [this](std::string_view line) { json_.cp932(line); });
        }
        json_.endArray();
    }

    void writeMotionJson(const Motion& motion) {
        json_.beginObject();
        json_.member("category", motion.category);
        json_.member("subType", motion.subType);
        json_.member("element", motion.attr);
        json_.member("valueType", static_cast<std::int32_t>(motion.valueType));
        json_.member("value", motion.value);
        json_.member("rounds", motion.rounds);
        text(json_, "text", line([&](TextOut& out) { writeMotion(out, motion); }));
        keep(0);
        json_.endObject();
    }

    // The value at a change's pointer: a number, a flag, or a whole motion removed.
    void changeValue(const AdviceChange& change, std::optional<std::int32_t> value) {
        if (change.field == AdviceField::motion) {
            if (value) {
                writeMotionJson(card_.motions[static_cast<std::size_t>(change.motion)]);
            } else {
                json_.null();
            }
        } else if (change.flag()) {
            json_.value(value.value_or(0) != 0);
        } else {
            json_.value(value.value_or(0));
        }
    }

    void advice(const std::vector<Advice>& list) {
        json_.key("advice");
        json_.beginArray();
        for (const Advice& advice : list) {
            json_.beginObject();
            json_.key("changes");
            json_.beginArray();
            for (const AdviceChange& change : advice.changes) {
                json_.beginObject();
                json_.member("field", change.pointer());
                json_.key("from");
                changeValue(change, change.from);
                json_.key("to");
                changeValue(change, change.to);
                json_.endObject();
            }
            json_.endArray();
            json_.member("estimate", advice.estimate);
            json_.member("balanced", advice.balanced);
            text(json_, "text", advice.text);
            json_.endObject();
        }
        json_.endArray();
    }

    void events() {
        struct Events final : EventVisitor {
            explicit Events(CardJsonWriter& entry) : entry(entry) {}
            void beginEvent(std::size_t) override {
                entry.json_.beginObject();
                entry.json_.key("contents");
                entry.json_.beginArray();
            }
            void content(const Content& root) override { entry.contentTree(root); }
            void endEvent() override {
                entry.json_.endArray();
                entry.json_.endObject();
            }
            CardJsonWriter& entry;
        } events(*this);
        json_.key("events");
        json_.beginArray();
        card_.eventPart.visit(events);
        json_.endArray();
    }

    // Opens a content's node up to its children's array; the caller closes it.
    void openNode(const Content& content, std::size_t depth) {
        const ContentKindInfo& kind = contentKindInfo(content.type);
        json_.beginObject();
        json_.member("kind", content.type);
        json_.key("type");
        json_.name(kind.name);
        json_.key("family");
        json_.name(familyName(kind.family));
        text(json_, "name", content.name);
        text(json_, "text", line([&](TextOut& out) { writeContentLine(out, content); }));
        keep(depth);
        json_.key("fields");
        json_.beginObject();
        FieldJson fields(json_);
        content.lookAtFields(fields);
        json_.endObject();
        json_.key("children");
        json_.beginArray();
    }

    // Trees as deep as the reader allows are written without recursion.
    void contentTree(const Content& root) {
        std::vector<std::pair<const Content*, std::size_t>> path;  // node, next child
        openNode(root, 0);
        path.emplace_back(&root, 0);
        while (!path.empty()) {
            auto& [node, next] = path.back();
            if (next == node->children.size()) {
                json_.endArray();
                json_.endObject();
                path.pop_back();
                continue;
            }
            const Content& child = *node->children[next++];
            openNode(child, path.size());
            path.emplace_back(&child, 0);
        }
    }

    void estimate() {
        const LevelEstimate& value = estimate_;
        json_.key("estimate");
        json_.beginObject();
        json_.member("kind", estimateKindName(value.kind));
        json_.key("workings");
        json_.beginArray();
        for (const LevelWorking& working : value.workings) {
            json_.beginObject();
            json_.key("totals");
            json_.beginObject();
            json_.member("L", working.totals.L);
            json_.member("D", working.totals.D);
            json_.member("Lp", working.totals.Lp);
            json_.member("Dp", working.totals.Dp);
            json_.member("M", working.totals.M);
            json_.endObject();
            json_.key("trials");
            json_.beginArray();
            for (const TrialLevel& trial : working.trials) {
                json_.beginObject();
                json_.member("level", trial.level);
                json_.member("power", trial.power);
                json_.endObject();
            }
            json_.endArray();
            json_.member("level", working.level);
            json_.endObject();
        }
        json_.endArray();
        json_.key("level");
        if (value.level) {
            json_.value(*value.level);
        } else {
            json_.null();
        }
        json_.endObject();
    }

    JsonWriter& json_;
    const SkillCard& card_;
    const LevelEstimate& estimate_;
    struct KeptLine {
        std::size_t end;    // of its text in keptText_
        std::size_t depth;  // a content's; 0 for a motion
    };
    bool keeping_ = false;
    std::string keptText_;
    std::vector<KeptLine> kept_;
    StringBuffer lineText_;
    TextOut lineOut_{lineText_};
};

}  // namespace

void writeCardJson(JsonWriter& json, std::string_view path, const SkillCard& card, const LevelEstimate& estimate,
                   const std::vector<Advice>* advice) {
    CardJsonWriter(json, card, estimate).write(path, advice);
}

void writeCardErrorJson(JsonWriter& json, std::string_view path, const std::exception& error) {
    writeCardErrorJson(json, path, error.what(), locationOf(error));
}

void writeCardErrorJson(JsonWriter& json, std::string_view path, std::string_view message,
                        const ReadLocation* location) {
    json.beginObject();
    json.member("path", path);
    text(json, "error", message);
    if (location) writeLocationJson(json, *location);
    json.endObject();
}

void writeLocationJson(JsonWriter& json, const ReadLocation& location) {
    json.key("location");
    json.beginObject();
    json.member("offset", static_cast<std::int64_t>(location.offset));
    text(json, "path", location.path);
    text(json, "found", location.found);
    text(json, "allowed", location.allowed);
    json.endObject();
}

}  // namespace Vantorn
