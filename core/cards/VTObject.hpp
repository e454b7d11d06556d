#pragma once

#include <iosfwd>

namespace Vantorn {

// Root of the card data model: everything read from a card can write itself as text.
class VTObject {
public:
    virtual ~VTObject() = default;
    virtual void describe(std::ostream& out) const = 0;
};

}  // namespace Vantorn
