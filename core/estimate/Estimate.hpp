#pragma once

#include <iosfwd>

namespace Vantorn {

class SkillCard;

// Writes the working of the level estimate and the "level: " line for a loaded card.
// The caller's own format state is left as it was.
void estimateLevel(const SkillCard& card, std::ostream& out);

// Level of a card aimed at enemies: writes its totals line and its line of trial levels.
double estimateOffensive(const SkillCard& card, std::ostream& out);

// Level of a card aimed at the user's side: writes its totals line and its trial levels.
double estimateSupportive(const SkillCard& card, std::ostream& out);

// Level of a card without a target, judged by its bonuses alone; writes nothing.
double estimateNoTarget(const SkillCard& card, std::ostream& out);

}  // namespace Vantorn
