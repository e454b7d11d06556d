#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "events/ContentHeader.hpp"
#include "format/VTObject.hpp"

namespace Vantorn {

class FieldVisitor;

// Contents nested deeper than this make a card corrupt. An event script is a chain of
// children, so long scripts nest deep; reading, describing and destroying trees never
// recurse, so the bound guards the report's size, not the stack: every level indents
// each line below it by one more TAB, so a 9-byte record at depth d costs d bytes of
// text, and a report stays within about maxContentDepth / 8 bytes per byte of file.
constexpr std::size_t maxContentDepth = 2000;

class Content;
using ContentPtr = std::shared_ptr<Content>;

// One step of an event script; the steps that follow it hang below it as children.
class Content : public VTObject {
public:
    ~Content() override;

    // The kind's own fields, in file order; none here.
    virtual void visitFields(FieldVisitor& visitor);
    // The same for a visitor that only looks at them.
    void lookAtFields(FieldVisitor& visitor) const {
        const_cast<Content*>(this)->visitFields(visitor);
    }

    std::int32_t type = 0;
    std::string name;
    std::vector<ContentPtr> children;
};

class Content_Normal : public Content {};
class Content_Branch : public Content {};
class Content_Terminal : public Content {};

class CardReader;

// Reads the next content record with its whole subtree.
ContentPtr readContent(CardReader& in);

}  // namespace Vantorn
