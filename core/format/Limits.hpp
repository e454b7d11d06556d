#pragma once

// The bounds a card must keep, each in one place: the reader refuses a card past one
// as corrupt, and the card writer, the benchmarks and the fuzzing seeds build cards at
// and past them from here.

#include <cstddef>
#include <cstdint>

namespace Vantorn {

// The largest card file read, in bytes. A scenario's cards are a few kilobytes; the
// format itself allows far more, and reading a card takes several times its size in
// memory, so a larger file is refused as corrupt before anything is allocated for it.
constexpr std::uint64_t maxCardFileSize = std::uint64_t{64} << 20;  // 64 MiB

// The largest string body a card may hold, in bytes.
constexpr std::uint32_t maxStringLength = 65536;

// The most events a card, and content trees an event, may hold.
constexpr std::int32_t maxListCount = 65536;

// A content record's stored child count is the number of children plus this.
constexpr std::int32_t childCountBias = 40000;
// The most children a content may hold.
constexpr std::int32_t maxChildCount = 65536;

// Contents nested deeper than this make a card corrupt. An event script is a chain of
// children, so long scripts nest deep; reading, describing and destroying trees never
// recurse, so the bound guards the report's size, not the stack: every level indents
// each line below it by one more TAB, so a 9-byte record at depth d costs d bytes of
// text, and a report stays within about maxContentDepth / 8 bytes per byte of file.
constexpr std::size_t maxContentDepth = 2000;

}  // namespace Vantorn
