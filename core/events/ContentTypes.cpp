#include "events/ContentTypes.hpp"

#include <array>
#include <type_traits>

#include "events/ContentFactory.hpp"
#include "format/Errors.hpp"

namespace Vantorn {
namespace {

// A kind's family is the base its class derives from; the start derives from Content
// itself. Each class has exactly one of these bases.
template <class Kind>
constexpr ContentFamily familyOf() {
    constexpr int bases = std::is_base_of_v<Content_Normal, Kind> + std::is_base_of_v<Content_Branch, Kind> +
                          std::is_base_of_v<Content_Terminal, Kind>;
    static_assert(bases <= 1, "a content class derives from one family's base at most");
    if (std::is_base_of_v<Content_Normal, Kind>) return ContentFamily::plain;
    if (std::is_base_of_v<Content_Branch, Kind>) return ContentFamily::branch;
    if (std::is_base_of_v<Content_Terminal, Kind>) return ContentFamily::terminal;
    return ContentFamily::start;
}

constexpr std::array<ContentKindInfo, contentKindCount> kindTable = {{
#define CONTENT_KIND(code, Name, readable, label) \
    {ContentKind::Name, #Name, familyOf<Content_##Name>(), readable, label},
#include "events/ContentKinds.def"
}};

template <class Kind>
Content* make(ContentArena* arena) {
    if (!arena) return new Kind;
    return arena->make<Kind>();
}

constexpr std::array<Content* (*)(ContentArena*), contentKindCount> factories = {
#define CONTENT_KIND(code, Name, readable, label) &make<Content_##Name>,
#include "events/ContentKinds.def"
};

// The table is in code order: each row's kind is its index.
constexpr bool inCodeOrder() {
    for (std::size_t i = 0; i < kindTable.size(); ++i) {
        if (static_cast<std::size_t>(kindTable[i].kind) != i) return false;
    }
    return true;
}
static_assert(inCodeOrder(), "ContentKinds.def must list the codes 0, 1, 2, ... in order");

}  // namespace

const ContentKindInfo& contentKindInfo(int code) {
    if (code < 0 || code > maxContentType) {
        throw std::out_of_range("contentKindInfo(): argument out of range");
    }
    return kindTable[static_cast<std::size_t>(code)];
}

const char* familyName(ContentFamily family) {
    switch (family) {
    case ContentFamily::branch: return "branch";
    case ContentFamily::terminal: return "terminal";
    case ContentFamily::start: return "start";
    case ContentFamily::plain: break;
    }
    return "plain";
}

Content* makeContent(int typeCode, ContentArena& arena) {
    if (typeCode < 0 || typeCode > maxContentType) {
        throw FileCorruptException();
    }
    return factories[static_cast<std::size_t>(typeCode)](&arena);
}

ContentPtr makeContent(int typeCode) {
    if (typeCode < 0 || typeCode > maxContentType) {
        throw FileCorruptException();
    }
    return ContentPtr(factories[static_cast<std::size_t>(typeCode)](nullptr));
}

}  // namespace Vantorn
