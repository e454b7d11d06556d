#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "cards/VTObject.hpp"

namespace Vantorn {

constexpr int maxContentType = 65;
constexpr std::int32_t childCountBias = 40000;
constexpr std::int32_t maxChildCount = 65536;
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

    // Writes this content and its subtree, each line indented by its depth in TABs.
    void describe(std::ostream& out) const override;
    void describeTree(std::ostream& out, std::size_t depth) const;

    // The content's own line, ended by a line feed.
    virtual void describeLine(std::ostream& out) const = 0;

    // The common part of every record: type code, name and child count. Returns how
    // many child records follow.
    virtual std::int32_t readHeader(std::istream& in);

    // The type's own fields, stored after the last descendant.
    virtual void readOwnFields(std::istream& in);

    std::int32_t type = 0;
    std::string name;
    std::vector<ContentPtr> children;
};

// Contents that carry on to their children, that branch, and that end the chain.
class Content_Normal : public Content {};
class Content_Branch : public Content {};
class Content_Terminal : public Content {};

// Reads the next content record with its whole subtree.
ContentPtr readContent(std::istream& in);

}  // namespace Vantorn
