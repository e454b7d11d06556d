#pragma once

#include "events/Content.hpp"

namespace Vantorn {

// An empty content of the class that the type code names, owned by `arena`; codes
// above maxContentType are corrupt.
Content* makeContent(int typeCode, ContentArena& arena);
// The same on its own, for a look at the kind's fields.
ContentPtr makeContent(int typeCode);

}  // namespace Vantorn
