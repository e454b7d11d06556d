#pragma once

#include <stdexcept>

#include "events/ContentTypes.hpp"

namespace Vantorn {

// Calls `function` with the content as its own class, chosen by its type code.
template <class Function>
decltype(auto) visitContent(const Content& content, Function&& function) {
    switch (content.type) {
#define CONTENT_KIND(code, Name, readable, label) \
    case code: return function(static_cast<const Content_##Name&>(content));
#include "events/ContentKinds.def"
    default: break;
    }
    throw std::logic_error("visitContent(): content of no known kind");
}

}  // namespace Vantorn
