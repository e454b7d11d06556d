#pragma once

#include <cstdint>

namespace Vantorn {

// The names of a skill card's coded fields, as the report writes them (CP932), or
// nullptr for a code outside the names. A loaded card holds codes inside them all.
const char* targetTypeName(std::int32_t targetType);
const char* effectAttributeName(std::int32_t effectAttribute);
const char* abilityName(std::int32_t physicalElement);
const char* personalityName(std::int32_t mentalElement);  // -5..5

}  // namespace Vantorn
