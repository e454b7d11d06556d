#include "json/CardJson.hpp"

#include <sstream>
#include <string>
#include <vector>

#include "cards/CardNames.hpp"
#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"
#include "events/ContentKind.hpp"
#include "events/Fields.hpp"
#include "json/JsonWriter.hpp"
#include "report/Report.hpp"
#include "text/Cp932.hpp"

namespace Vantorn {
namespace {

// Every card text leaves the core as CP932 and enters JSON as UTF-8.
void text(JsonWriter& json, std::string_view name, std::string_view cp932) {
    json.member(name, std::string_view(cp932ToUtf8(cp932)));
}

void textArray(JsonWriter& json, std::string_view name, const std::string* begin, const std::string* end) {
    json.key(name);
    json.beginArray();
    for (const std::string* item = begin; item != end; ++item) json.value(std::string_view(cp932ToUtf8(*item)));
    json.endArray();
}

// A coded field: its code and the name the report gives it.
void coded(JsonWriter& json, std::string_view name, std::int32_t code, const char* cp932Name) {
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

// Opens a content's node up to its children's array; the caller closes it.
void openNode(JsonWriter& json, const Content& content) {
    const ContentKindInfo& kind = contentKindInfo(content.type);
    json.beginObject();
    json.member("kind", content.type);
    json.member("type", kind.name);
    json.member("family", familyName(kind.family));
    text(json, "name", content.name);
    text(json, "text", contentLine(content));
    json.key("fields");
    json.beginObject();
    FieldJson fields(json);
    content.lookAtFields(fields);
    json.endObject();
    json.key("children");
    json.beginArray();
}

// Trees as deep as the reader allows are written without recursion.
void contentTree(JsonWriter& json, const Content& root) {
    std::vector<std::pair<const Content*, std::size_t>> path;  // node, next child
    openNode(json, root);
    path.emplace_back(&root, 0);
    while (!path.empty()) {
        auto& [node, next] = path.back();
        if (next == node->children.size()) {
            json.endArray();
            json.endObject();
            path.pop_back();
            continue;
        }
        const Content& child = *node->children[next++];
        openNode(json, child);
        path.emplace_back(&child, 0);
    }
}

void motions(JsonWriter& json, const SkillCard& card) {
    json.key("motions");
    json.beginArray();
    for (const Motion& motion : card.motions) {
        json.beginObject();
        json.member("category", motion.category);
        json.member("subType", motion.subType);
        json.member("element", motion.attr);
        json.member("valueType", motion.valueType);
        json.member("value", motion.value);
        json.member("rounds", motion.rounds);
        std::ostringstream line;
        writeMotion(line, motion);
        text(json, "text", line.str());
        json.endObject();
    }
    json.endArray();
}

void events(JsonWriter& json, const SkillCard& card) {
    json.key("events");
    json.beginArray();
    for (const auto& event : card.eventPart.events) {
        json.beginObject();
        json.key("contents");
        json.beginArray();
        for (const ContentPtr& root : event->contents) contentTree(json, *root);
        json.endArray();
        json.endObject();
    }
    json.endArray();
}

void estimate(JsonWriter& json, const SkillCard& card) {
    const LevelEstimate value = estimateLevel(card);
    json.key("estimate");
    json.beginObject();
    json.member("kind", estimateKindName(value.kind));
    json.key("workings");
    json.beginArray();
    for (const LevelWorking& working : value.workings) {
        json.beginObject();
        json.key("totals");
        json.beginObject();
        json.member("L", working.totals.L);
        json.member("D", working.totals.D);
        json.member("Lp", working.totals.Lp);
        json.member("Dp", working.totals.Dp);
        json.member("M", working.totals.M);
        json.endObject();
        json.key("trials");
        json.beginArray();
        for (const TrialLevel& trial : working.trials) {
            json.beginObject();
            json.member("level", trial.level);
            json.member("power", trial.power);
            json.endObject();
        }
        json.endArray();
        json.member("level", working.level);
        json.endObject();
    }
    json.endArray();
    json.key("level");
    if (value.level) {
        json.value(*value.level);
    } else {
        json.null();
    }
    json.endObject();
}

}  // namespace

void writeCardJson(JsonWriter& json, std::string_view path, const SkillCard& card) {
    json.beginObject();
    json.member("path", path);
    text(json, "name", card.name);
    json.member("level", card.cardLevel);
    json.key("target");
    json.beginObject();
    json.member("code", card.targetType);
    text(json, "name", targetTypeName(card.targetType));
    json.member("all", card.targetsAll);
    json.endObject();
    coded(json, "effectAttribute", card.effectAttribute, effectAttributeName(card.effectAttribute));
    json.member("unusableWhenSilenced", card.unusableWhenSilenced);
    json.member("usesResist", card.usesResist);
    json.member("successModifier", card.successModifier);
    json.key("bonuses");
    json.beginObject();
    json.member("avoidance", card.bonuses[0]);
    json.member("resistance", card.bonuses[1]);
    json.member("defence", card.bonuses[2]);
    json.endObject();
    coded(json, "physicalElement", card.physicalElement, abilityName(card.physicalElement));
    coded(json, "mentalElement", card.mentalElement, personalityName(card.mentalElement));
    textArray(json, "keyCodes", card.keyCodes.data(), card.keyCodes.data() + card.keyCodes.size());
    json.member("codeAfterKeys", card.codeAfterKeys);
    json.member("extraByte", card.extraByte);
    text(json, "text2", card.text2);
    text(json, "text3", card.text3);
    text(json, "text4", card.text4);
    textArray(json, "extraTexts", card.extraTexts.data(), card.extraTexts.data() + card.extraTexts.size());
    motions(json, card);
    events(json, card);
    const std::vector<std::string> lines = descriptionLines(card);
    textArray(json, "description", lines.data(), lines.data() + lines.size());
    estimate(json, card);
    json.endObject();
}

void writeCardErrorJson(JsonWriter& json, std::string_view path, std::string_view message) {
    json.beginObject();
    json.member("path", path);
    text(json, "error", message);
    json.endObject();
}

}  // namespace Vantorn
