#include "events/Content.hpp"

#include <istream>
#include <ostream>
#include <string>
#include <utility>

#include "cards/Errors.hpp"
#include "cards/Stream.hpp"
#include "events/ContentFactory.hpp"

namespace Vantorn {

Content::~Content() {
    // A long chain would otherwise be released by one nested destructor per level.
    std::vector<ContentPtr> pending = std::move(children);
    while (!pending.empty()) {
        ContentPtr node = std::move(pending.back());
        pending.pop_back();
        if (node.use_count() == 1) {
            for (ContentPtr& child : node->children) {
                pending.push_back(std::move(child));
            }
            node->children.clear();
        }
    }
}

void Content::describe(std::ostream& out) const {
    describeTree(out, 0);
}

void Content::describeTree(std::ostream& out, std::size_t depth) const {
    std::vector<std::pair<const Content*, std::size_t>> pending{{this, depth}};
    while (!pending.empty()) {
        const auto [content, level] = pending.back();
        pending.pop_back();
        out << std::string(level, '\t');
        if (!content->name.empty()) {
            out << content->name << ": ";
        }
        content->describeLine(out);
        for (auto child = content->children.rbegin(); child != content->children.rend(); ++child) {
            pending.emplace_back(child->get(), level + 1);
        }
    }
}

std::int32_t Content::readHeader(std::istream& in) {
    type = readByte(in);
    if (type > maxContentType) {
        throw FileCorruptException();
    }
    name = readString(in);
    const auto stored = static_cast<std::uint32_t>(readInt32(in));
    const auto count = static_cast<std::int32_t>(stored - static_cast<std::uint32_t>(childCountBias));
    if (count > maxChildCount) {
        throw FileCorruptException();
    }
    return count;
}

void Content::readOwnFields(std::istream&) {}

namespace {

// Looks at the type code without consuming it and starts the content it names.
ContentPtr readContentHeader(std::istream& in, std::int32_t& childCount) {
    const auto next = in.peek();
    if (next == std::istream::traits_type::eof()) {
        throw IOException();
    }
    ContentPtr content = makeContent(static_cast<unsigned char>(next));
    childCount = content->readHeader(in);
    return content;
}

}  // namespace

ContentPtr readContent(std::istream& in) {
    // Records nest children before their parent's own fields; a path of open records
    // replaces recursion so that deep scripts cannot exhaust the stack.
    struct OpenRecord {
        Content* content;
        std::int32_t childrenLeft;
    };
    std::int32_t childCount = 0;
    ContentPtr root = readContentHeader(in, childCount);
    std::vector<OpenRecord> path{{root.get(), childCount}};
    while (!path.empty()) {
        OpenRecord& open = path.back();
        if (open.childrenLeft <= 0) {
            open.content->readOwnFields(in);
            path.pop_back();
            continue;
        }
        --open.childrenLeft;
        if (path.size() >= maxContentDepth) {
            throw FileCorruptException();
        }
        ContentPtr child = readContentHeader(in, childCount);
        open.content->children.push_back(child);
        path.push_back({child.get(), childCount});
    }
    return root;
}

}  // namespace Vantorn
