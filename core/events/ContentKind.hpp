#pragma once

#include <cstdint>

namespace Vantorn {

// Every content kind by its class name; the value is the type code in the file.
enum class ContentKind : std::uint8_t {
#define CONTENT_KIND(code, Name, readable, label) Name = code,
#include "events/ContentKinds.def"
};

constexpr int contentKindCount = 0
#define CONTENT_KIND(code, Name, readable, label) + 1
#include "events/ContentKinds.def"
    ;
constexpr int maxContentType = contentKindCount - 1;

// Contents that carry on to their children, that branch, that end the chain, and the
// start of an event script, which has a class of its own.
enum class ContentFamily : std::uint8_t { plain, branch, terminal, start };

struct ContentKindInfo {
    ContentKind kind;
    const char* name;   // the class name without "Content_"
    ContentFamily family;
    bool readable;      // false: layout unknown, a card holding it cannot be read
    const char* label;  // what the report calls it (CP932)
};

// The row of a type code, 0..maxContentType.
const ContentKindInfo& contentKindInfo(int code);
inline const ContentKindInfo& contentKindInfo(ContentKind kind) {
    return contentKindInfo(static_cast<int>(kind));
}

const char* familyName(ContentFamily family);

}  // namespace Vantorn
