#pragma once

// Card files for the benchmarks, made with the project's card writer. Everything is
// deterministic: the same index or size gives the same bytes on every machine, so
// figures taken on different days compare the same work.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Vantorn::bench {

// The index-th card of the corpus. Like a scenario collection: most cards are a few
// hundred bytes (parameters, a few motions, a short use event), about one in five has
// a longer event, about one in ten an event script of several kilobytes, and a few
// carry a small picture.
std::string corpusCard(std::uint32_t index);

// "skill00001.vnt" for index 1: the names a folder search would return.
std::string corpusName(std::uint32_t index);

// Writes cards 1..count into dir (which must exist) and returns their file names.
std::vector<std::string> writeCorpus(const std::string& dir, std::uint32_t count);

// A scenario's folder of count corpus cards in a three-level tree: of every 110 cards,
// one directly in dir, nine in its folders area1..area9 and a hundred in the folders
// areaN/setM below them, one each. With oddities, a few files more that a folder walk and a summary must
// take as they come: a card named with a comma, a quote and a line break, a card named
// in capitals (SKILL….VNT), a truncated card, and two files the walk must pass over
// (notes.txt, item1.vnt). Returns the paths of the files a walk should find, in no order.
std::vector<std::string> writeCardTree(const std::string& dir, std::uint32_t count, bool oddities);

// Cards whose names try markup, script, formulas and terminal controls, and two far
// outside the rest (a stated level of 2^31 - 1, an effect of 2^31 - 1 many times):
// what the summary page must show as text and plot without losing the others.
// Returns their paths.
std::vector<std::string> writeHostileCards(const std::string& dir);

// Sixty cards whose totals, trial powers and estimates are integers beyond 2^53 and
// other extreme doubles, where a number's shortest digits and its exact ones differ.
// Returns their paths.
std::vector<std::string> writeExtremeNumberCards(const std::string& dir);

// The name the odd card carries (CP932).
extern const char* const oddCardName;

// A typical card of a few hundred bytes, and one with an event script of several
// kilobytes: the two cards of the per-card micro-benchmarks.
std::string smallCard();
std::string largeCard();

// A card of about targetBytes, nearly all of it content records: repeated events
// that each hold a wide tree (hundreds of branches under one start), medium chains
// and one chain as deep as a card may nest. Motions grow with the size too, so that
// the estimate has work proportional to the card. The mix is the same at every size:
// only the number of repetitions changes.
std::string bigCard(std::size_t targetBytes);

// A card of about targetBytes made only of the barest records (a start with no name
// and no fields, 9 bytes) in chains as deep as a card may nest: the card whose report
// is longest for its size, each line carrying its depth in TABs.
std::string deepestCard(std::size_t targetBytes);

// Reads a whole file; empty when it cannot be read.
std::string readFile(const std::string& path);
// Writes bytes to path; false when that fails.
bool writeFile(const std::string& path, const std::string& bytes);

}  // namespace Vantorn::bench
