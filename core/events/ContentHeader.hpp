#pragma once

#include <cstdint>

#include "format/Limits.hpp"

namespace Vantorn {

// The common part of every content record, listed once in file order: the type code,
// the name and the child count (stored plus childCountBias). The children follow, then
// the kind's own fields (visitFields). The reader and the card writer both follow it.
template <class Type, class Name, class Count, class Visitor>
void visitContentHeader(Type& type, Name& name, Count& childCount, Visitor& v) {
    v.byte("type", type);
    v.string("name", name);
    v.childCount("childCount", childCount);
}

}  // namespace Vantorn
