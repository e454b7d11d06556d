#pragma once

#include <ostream>

namespace Vantorn {

// Writes the segments of one report line, one right after another, then ends the line.
template <class... Segments>
void writeLine(std::ostream& out, const Segments&... segments) {
    (out << ... << segments) << '\n';
}

}  // namespace Vantorn
