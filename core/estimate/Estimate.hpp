#pragma once

#include <iosfwd>

namespace Vantorn {

class SkillCard;

// Writes the working of the level estimate and the "level: " line for a loaded card.
void estimateLevel(const SkillCard& card, std::ostream& out);

}  // namespace Vantorn
