#pragma once

// What changed between two versions of a card: the fields that differ, named by the
// listing's record paths, the records added or removed, and the stated level and the
// estimate before and after. Values only; a writer per format writes them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "explain/Listing.hpp"

namespace Vantorn {

enum class DiffStatus { added, removed, changed, unchanged, unreadable };

// "added", "removed", ... as the JSON says it; the report's word for it (CP932).
const char* diffStatusName(DiffStatus status);
const char* diffStatusWord(DiffStatus status);

// One difference: a field whose value differs, or a record (a motion, an event, a
// content with its subtree) on one side only, which has no value on the other.
struct FieldChange {
    std::string field;                    // the record path as the listing writes it (CP932)
    std::optional<std::string> oldValue;  // the value as the listing writes it, or a record's
    std::optional<std::string> newValue;  // summary; none for a record added or removed
    std::string oldMeaning;               // what the report makes of the value, or empty
    std::string newMeaning;
};

// One version of a card as the comparison saw it.
struct DiffSide {
    bool present = false;
    std::optional<std::int32_t> level;  // the level the card states (技能Lv)
    std::optional<double> estimate;     // none where the card is not estimated
    std::optional<ListingStop> failure; // the card could not be read
};

struct CardDiff {
    std::string path;  // relative to OLD and NEW, as the walk found it
    DiffStatus status = DiffStatus::unchanged;
    DiffSide oldSide, newSide;
    std::vector<FieldChange> changes;

    // The estimate's move, new minus old, where both sides have one.
    std::optional<double> move() const;
    bool differs() const { return status != DiffStatus::unchanged; }
};

// A version of a card: its file's bytes, or why there are none.
struct CardVersion {
    std::optional<std::string> bytes;
    std::optional<ListingStop> failure;  // the file could not be read (opened, too large)
};

// Compares the two versions of the card at `path`; a side missing is null. Identical
// bytes are unchanged without being read further. Lists of motions, events and
// contents are paired by their longest common subsequence of equal records, so that
// a record inserted or removed is named once rather than shifting every later one.
CardDiff compareCards(std::string path, const CardVersion* oldVersion, const CardVersion* newVersion);

// The longest common subsequence of two lists of keys: the pairs (i, j) of equal keys
// matched, in order. Lists beyond `maxCells` products are matched by their common
// ends alone, so that no card makes the comparison quadratic without bound.
std::vector<std::pair<std::size_t, std::size_t>> commonSubsequence(const std::vector<std::uint64_t>& a,
                                                                   const std::vector<std::uint64_t>& b,
                                                                   std::size_t maxCells = std::size_t{1} << 22);

}  // namespace Vantorn
