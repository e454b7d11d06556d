#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

#include "cards/Range.hpp"

namespace Vantorn {

// A coded field of the card or of a motion (cards/CodedFields.def): its codes and
// their names.
struct CodedField {
    const char* field;
    bool checked;
    std::int32_t lowest;
    const char* const* names;
    std::size_t count;

    constexpr std::int32_t highest() const { return lowest + static_cast<std::int32_t>(count) - 1; }
    constexpr Range range() const { return {lowest, highest()}; }
    // What the reader checks: the codes, or nothing for an unchecked field.
    constexpr Range bounds() const { return checked ? range() : unbounded; }
    // The code's name as the report writes it (CP932), or nullptr for another code.
    constexpr const char* name(std::int32_t code) const {
        return code >= lowest && code <= highest() ? names[code - lowest] : nullptr;
    }
};

namespace codeNames {
#define CODED_FIELD(field, checked, lowest, ...) inline constexpr const char* field[] = {__VA_ARGS__};
#include "cards/CodedFields.def"
}  // namespace codeNames

// Each coded field by its name: coded::targetType.name(card.targetType).
namespace coded {
#define CODED_FIELD(field, checked, lowest, ...) \
    inline constexpr CodedField field{#field, checked, lowest, codeNames::field, std::size(codeNames::field)};
#include "cards/CodedFields.def"
}  // namespace coded

// Every coded field, in the table's order.
inline constexpr const CodedField* codedFields[] = {
#define CODED_FIELD(field, checked, lowest, ...) &coded::field,
#include "cards/CodedFields.def"
};

// The coded field of that name, or nullptr.
inline const CodedField* codedFieldNamed(std::string_view field) {
    for (const CodedField* coded : codedFields) {
        if (field == coded->field) return coded;
    }
    return nullptr;
}

}  // namespace Vantorn
