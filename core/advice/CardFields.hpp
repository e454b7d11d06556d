#pragma once

namespace Vantorn {

class SkillCard;

// The fields of a card that advice may change and the estimate reads, in a card of
// their own: target, flags, attribute, level, success modifier and bonuses; no texts,
// motions or events.
SkillCard changeableFields(const SkillCard& card);

}  // namespace Vantorn
