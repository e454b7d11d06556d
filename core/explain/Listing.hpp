#pragma once

#include <iosfwd>
#include <string_view>

namespace Vantorn {

// Writes the field-by-field listing of the card file `bytes`, in file order, as the
// card's readers read it: offset, size, record path and field, value, and its meaning
// where the report has one. Text is CP932. A card that cannot be read ends with one
// line that says where and why, and its error is then thrown on.
void writeListing(std::ostream& out, std::string_view bytes);

}  // namespace Vantorn
