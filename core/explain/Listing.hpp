#pragma once

#include <iosfwd>

namespace Vantorn {

// Writes the field-by-field listing of the card file in `in`, in file order, as the
// card's readers read it: offset, size, record path and field, value, and its meaning
// where the report has one. A card that cannot be read ends with one line that says
// where and why. Text is CP932. Returns whether the card was read whole.
bool writeListing(std::ostream& out, std::istream& in);

}  // namespace Vantorn
