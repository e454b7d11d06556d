#pragma once

#include <exception>
#include <string_view>
#include <vector>

namespace Vantorn {

struct Advice;
class JsonWriter;
struct ReadLocation;
class SkillCard;
struct LevelEstimate;

// The JSON object of a decoded card and its estimate: every parameter, the motions,
// the event trees, the description's lines and the estimate. `path` is UTF-8 (it is written as given
// where it is; other bytes become U+FFFD). Card texts are converted from CP932.
// With `advice`, the entry ends with the member "advice": the advice on balance, in order.
void writeCardJson(JsonWriter& json, std::string_view path, const SkillCard& card, const LevelEstimate& estimate,
                   const std::vector<Advice>* advice = nullptr);

// The entry of a card that could not be read: its path, the error's message and,
// for a reading error, its "location": "offset", the record "path", "found" and
// "allowed".
void writeCardErrorJson(JsonWriter& json, std::string_view path, const std::exception& error);
// The same from a message (CP932) and the location, if any, kept from the error.
void writeCardErrorJson(JsonWriter& json, std::string_view path, std::string_view message,
                        const ReadLocation* location = nullptr);

// The member "location" of an error: "offset", the record "path", "found", "allowed".
void writeLocationJson(JsonWriter& json, const ReadLocation& location);

// The schema's version, written into every document as "version".
constexpr int cardJsonVersion = 1;

}  // namespace Vantorn
