#pragma once

// The text report: writers over a decoded card and its estimate. All text is CP932;
// every line ends with a line feed.

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

namespace Vantorn {

class Content;
class EventPart;
class Motion;
class SkillCard;
class TextOut;
struct LevelEstimate;
struct LevelWorking;

// The header line of a card's block: "[path]".
void writeHeader(std::ostream& out, const std::string& path);

// The description: eleven parameter lines, one line per motion, then the event trees.
constexpr std::size_t descriptionParameterLines = 11;
void writeDescription(std::ostream& out, const SkillCard& card);
void writeDescription(TextOut& out, const SkillCard& card);
// The same lines handed to `call` one by one without their line ends (a line may hold
// line feeds of a message's own text), none kept.
void forEachDescriptionLine(const SkillCard& card, const std::function<void(std::string_view line)>& call);

// One of the eleven parameter lines or the motions' lines, by its place among the
// description's lines.
std::string descriptionLine(const SkillCard& card, std::size_t place);
void writeDescriptionLine(TextOut& out, const SkillCard& card, std::size_t place);

// The target as the description names it: "敵方単体", "味方全体", "対象無し", ….
std::string targetText(const SkillCard& card);

// A motion's one-line text, without the line end.
void writeMotion(std::ostream& out, const Motion& motion);
void writeMotion(TextOut& out, const Motion& motion);
std::string motionText(const Motion& motion);

// Every content tree of every event, each line indented by its depth in TABs.
void writeEvents(std::ostream& out, const EventPart& part);
// One content and its subtree, starting at the given depth.
void writeContentTree(std::ostream& out, const Content& root, std::size_t depth = 0);
// A content's own line without indentation or line end: "name: " when it has a name,
// then the line of its kind.
std::string contentLine(const Content& content);

// The working of one estimator: its totals line and its line of trial levels, each
// real with four significant digits.
void writeWorking(std::ostream& out, const LevelWorking& working);
// The estimate's workings and its "level: " line. The caller's format state is left
// as it was.
void writeEstimate(std::ostream& out, const LevelEstimate& estimate);
void writeEstimate(TextOut& out, const LevelEstimate& estimate);

// The block of one card as both programs show it: header, description, estimate.
void writeCardBlock(std::ostream& out, const std::string& path, const SkillCard& card,
                    const LevelEstimate& estimate);

}  // namespace Vantorn
