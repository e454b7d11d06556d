#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "engine/CardWalk.hpp"

namespace Vantorn {

// True when the output file is one of the cards the arguments stand for (named, or
// found in a folder as `walk` walks them), by the file's identity, so that another
// path or a link to a card is caught too. Walks the folders once more before anything
// is read or written; keeps nothing of them.
bool outputIsACard(const std::filesystem::path& output, const std::vector<std::string>& arguments, CardWalk walk);

}  // namespace Vantorn
