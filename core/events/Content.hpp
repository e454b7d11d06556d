#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "events/ContentArena.hpp"
#include "events/ContentHeader.hpp"
#include "format/Limits.hpp"  // maxContentDepth
#include "format/VTObject.hpp"

namespace Vantorn {

class FieldVisitor;

class Content;
using ContentPtr = std::shared_ptr<Content>;
// A content's children, which its tree's arena owns.
using ContentList = std::vector<Content*, ArenaAllocator<Content*>>;

// One step of an event script; the steps that follow it hang below it as children.
class Content : public VTObject {
public:
    Content() = default;
    // A copy would share children that it does not own.
    Content(const Content&) = delete;
    Content& operator=(const Content&) = delete;

    // The kind's own fields, in file order; none here.
    virtual void visitFields(FieldVisitor& visitor);
    // The same for a visitor that only looks at them.
    void lookAtFields(FieldVisitor& visitor) const {
        const_cast<Content*>(this)->visitFields(visitor);
    }

    std::int32_t type = 0;
    std::string name;
    ContentList children;
};

class Content_Normal : public Content {};
class Content_Branch : public Content {};
class Content_Terminal : public Content {};

class CardReader;

// Reads the next content record with its whole subtree, which lives as long as any
// pointer to its root.
ContentPtr readContent(CardReader& in);

}  // namespace Vantorn
