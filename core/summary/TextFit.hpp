#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "summary/TextForm.hpp"

namespace Vantorn {

// The text as a cell of the summary's table shows it, in a file as on a terminal: every
// control character in caret notation (see visibleControls: "^[" for ESC, "^I" for TAB),
// so that the cell is one line whose width is known. When that takes at most `columns`
// display columns (see displayWidth; 0: any number), all of it; otherwise its longest
// start, cut between characters as shown, that leaves room for "…" (in the encoding's
// own bytes), followed by it. A table of texts fitted so grows with its rows only,
// whatever one text holds.
std::string fitWidth(std::string_view text, std::size_t columns, TextEncoding encoding);

}  // namespace Vantorn
