#pragma once

// The text that the window's commands show, built without any window so
// that it can be tested on every platform.  The engine's run loop makes it:
// the report sink writes each block, a summary sink the card list and the
// table the window saves, all in one pass.
//
// Two forms: the byte form, where paths and texts are CP932 bytes (what
// the benchmarks, the fuzzer and the byte-exact tests read), and the wide
// form, where paths are UTF-16 as Windows names files and the result is
// kept both as the CP932 bytes that "save" writes and as the UTF-16 text
// the result box shows.

#include <atomic>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "summary/Summary.hpp"

namespace Mornstave {

// --- byte form: paths are CP932 bytes, opened as they are ---------------------

// One card: the bracketed path line, the description and the level
// estimate, with no empty line after it.  A card that cannot be read
// throws a std::runtime_error with the core's message.
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

// The table of the cards of a result, made in the same pass as its text:
// the rows and failures for the card list, and the saved table as
// `mornstave --summary` writes it for the same paths (held as UTF-8, as
// the console program takes them on Windows).
class Table {
public:
    bool empty() const { return summary_.rows().empty() && summary_.failures().empty(); }

    // The rows and failures in entry order, for the window's card list.
    const Vantorn::Summary& summary() const { return summary_; }
    // Where each entry's block starts in the shown text (LF line ends);
    // empty for a card composed alone.
    const std::vector<std::size_t>& starts() const { return starts_; }

    // As `mornstave --summary --format=csv` (UTF-8 with a byte-order mark).
    void writeCsv(std::ostream& out) const { out << csv_; }
    // As `mornstave --summary --format=html`.
    void writeHtml(std::ostream& out) const { out << html_; }

private:
    friend struct Composition;
    Vantorn::Summary summary_;
    std::vector<std::size_t> starts_;
    std::string csv_;
    std::string html_;
};

// What a command shows: the text and the table of its cards.
struct Composition {
    Composed text;
    Table table;
    std::size_t cards = 0;  // entries, failures included; 0: the paths held no card at all

    // How the paths are taken.
    enum class Paths {
        walked,  // each folder stands for its entries named skill*.vnt, as a file
                 // search lists them (a folder that cannot be listed, for none)
        cards,   // each path is a card: names a file search found
    };

    // Each entry's block ends with an empty line, a failure's holds its
    // message.  Alone (one path, one card): no empty line after the block and
    // no starts, as the open command shows it.  Stopped (stop set meanwhile):
    // nothing.  Advised: each block has the 提案 lines `mornstave --advise`
    // writes, and the table the advice column of `--summary --advise`.
    static std::optional<Composition> of(const std::vector<std::u16string>& paths, Paths taken = Paths::walked,
                                         bool alone = false, const std::atomic<bool>* stop = nullptr,
                                         bool advised = false);
    // The failure of a card composed alone, if it failed.
    const Vantorn::SummaryFailure* failure() const;
};

// One card, as the byte form's composeCard; throws a std::runtime_error
// with the core's message when it cannot be read.
Composed composeCard(const std::u16string& path);

// One block of a list of cards: the card's block or, when reading fails,
// the header and the error message; then an empty line.
void composeEntry(Composed& out, const std::u16string& path);

// The folder path with exactly one trailing backslash.
std::u16string folderPrefix(const std::u16string& folder);

// composeEntry over dir + name for each name, in the order given.
Composed composeFolder(const std::u16string& dir, const std::vector<std::u16string>& names);

// publish for the shown text; a Composed publishes both forms.
std::u16string publish(std::u16string_view text);
Composed publish(const Composed& composed);

}  // namespace Mornstave
