#pragma once

#include "events/Content.hpp"

namespace Vantorn {

// An empty content of the class that the type code names; codes above
// maxContentType are corrupt.
ContentPtr makeContent(int typeCode);

}  // namespace Vantorn
