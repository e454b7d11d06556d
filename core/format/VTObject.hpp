#pragma once

namespace Vantorn {

// Root of the card data model. The model only holds values; every output (text,
// JSON, listings) is a writer over it.
class VTObject {
public:
    virtual ~VTObject() = default;
};

}  // namespace Vantorn
