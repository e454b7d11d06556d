#pragma once

#include <ostream>

namespace Vantorn {

// Writes the segments of one report line, to a stream or a TextOut, one right after
// another, then ends the line.
template <class Out, class... Segments>
void writeLine(Out& out, const Segments&... segments) {
    (out << ... << segments) << '\n';
}

}  // namespace Vantorn
