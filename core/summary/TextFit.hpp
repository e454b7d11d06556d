#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "summary/TextForm.hpp"

namespace Vantorn {

// The text as it is when it takes at most `columns` display columns (see displayWidth);
// otherwise its longest start, cut at a character boundary, that leaves room for "…"
// (in the encoding's own bytes), followed by it. A table of texts fitted so grows with
// its rows only, whatever one text holds.
std::string fitWidth(std::string_view text, std::size_t columns, TextEncoding encoding);

}  // namespace Vantorn
