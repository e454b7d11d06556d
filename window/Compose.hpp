#pragma once

// The text that the window's commands show, built without any window so
// that it can be tested on every platform.
//
// Two forms: the byte form, where paths and texts are CP932 bytes (what
// the benchmarks, the fuzzer and the byte-exact tests read), and the wide
// form, where paths are UTF-16 as Windows names files and the result is
// kept both as the CP932 bytes that "save" writes and as the UTF-16 text
// the result box shows.

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "summary/Summary.hpp"

namespace Vantorn {
class SkillCard;
struct LevelEstimate;
}  // namespace Vantorn

namespace Mornstave {

// --- byte form: paths are CP932 bytes, opened as they are ---------------------

// One card: the bracketed path line, the description and the level
// estimate, with no empty line after it.  Reading errors propagate as the
// core throws them (the std::runtime_error family).
std::string composeCard(const std::string& path);

// The folder path with exactly one trailing backslash.  A CP932 character
// whose second byte is 0x5C (for example 表 or ソ) is not a backslash.
std::string folderPrefix(const std::string& folder);

// One block of a folder walk: "[" + dir + name + "]", then the card's text
// or, when reading it fails, the error message; then an empty line.
// `dir` is a folderPrefix result.
void composeFolderEntry(std::ostream& out, const std::string& dir, const std::string& name);

// The folder walk over names in the order given (the order a file search
// returned them).
std::string composeFolder(const std::string& dir, const std::vector<std::string>& names);

// The text as the result box shows and the save command writes it: a CR is
// put before every LF, also before one that already follows a CR.
std::string publish(const std::string& text);

// --- wide form: paths are UTF-16 and files are opened by their wide names ----

// A result in both of its forms.  They differ only in the header lines of
// paths that hold a character CP932 lacks: '?' in the bytes, the character
// itself on screen.  Everything else is the core's CP932 text, decoded.
struct Composed {
    std::string bytes;     // CP932, LF line ends
    std::u16string shown;  // UTF-16, LF line ends

    void append(const Composed& more);
};

// The table of the cards composed: a row per card read, a failure per
// path that could not be read, and each card's block for the HTML page.
// Paths are kept as UTF-8, as the console program takes them on Windows,
// so that the table equals its --summary output for the same paths.
class Table {
public:
    bool empty() const { return blocks_.empty(); }
    // A card read from path, and its block (no empty line after it).
    void addCard(const std::u16string& path, const Vantorn::SkillCard& card,
                 const Vantorn::LevelEstimate& estimate, const Composed& block);
    void addFailure(const std::u16string& path, const std::string& message);
    // The next entry's block starts at this offset of the shown text.
    void startEntry(std::size_t shownOffset) { starts_.push_back(shownOffset); }

    // The rows and failures in entry order, for the window's card list.
    const Vantorn::Summary& summary() const { return summary_; }
    // Where each entry's block starts in the shown text (LF line ends);
    // empty for a card composed alone.
    const std::vector<std::size_t>& starts() const { return starts_; }

    // As `mornstave --summary --format=csv` (UTF-8 with a byte-order mark).
    void writeCsv(std::ostream& out) const;
    // As `mornstave --summary --format=html`.
    void writeHtml(std::ostream& out) const;

private:
    Vantorn::Summary finished() const;

    Vantorn::Summary summary_;
    std::vector<std::optional<std::string>> blocks_;  // UTF-8; none for a failure
    std::vector<std::size_t> starts_;
};

// One card, as the byte form's composeCard; throws the core's errors.
// With a table, the card's row joins it.
Composed composeCard(const std::u16string& path, Table* table = nullptr);

// One block of a list of cards: the card as composeCard gives it or, when
// reading fails, the header and the error message; then an empty line.
// With a table, the entry's row or failure joins it.
void composeEntry(Composed& out, const std::u16string& path, Table* table = nullptr);

// The folder path with exactly one trailing backslash.
std::u16string folderPrefix(const std::u16string& folder);

// composeEntry over dir + name for each name, in the order given.
Composed composeFolder(const std::u16string& dir, const std::vector<std::u16string>& names);

// publish for the shown text; a Composed publishes both forms.
std::u16string publish(std::u16string_view text);
Composed publish(const Composed& composed);

}  // namespace Mornstave
