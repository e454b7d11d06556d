#include "events/Content.hpp"

#include <istream>
#include <string>
#include <utility>

#include "events/ContentFactory.hpp"
#include "events/ContentKind.hpp"
#include "events/Fields.hpp"
#include "format/Errors.hpp"
#include "format/Stream.hpp"

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

void Content::visitFields(FieldVisitor&) {}

namespace {

// Fills the own fields of a content from the stream, in the order the kind lists them.
class FieldReader final : public FieldVisitor {
public:
    explicit FieldReader(std::istream& in) : in_(in) {}
    void int32(const char*, std::int32_t& value) override { value = readInt32(in_); }
    void byte(const char*, std::int32_t& value) override { value = readByte(in_); }
    void boolean(const char*, bool& value) override { value = readBool(in_); }
    void string(const char*, std::string& value) override { value = readString(in_); }

private:
    std::istream& in_;
};

// Looks at the type code without consuming it, starts the content it names and reads
// the common part of its record: type code, name and child count. A kind whose layout
// is unknown fails before anything of it is read.
ContentPtr readContentHeader(std::istream& in, std::int32_t& childCount) {
    const auto next = in.peek();
    if (next == std::istream::traits_type::eof()) {
        throw IOException();
    }
    const int code = static_cast<unsigned char>(next);
    ContentPtr content = makeContent(code);
    const ContentKindInfo& kind = contentKindInfo(code);
    if (!kind.readable) {
        throw IOException(std::string(kind.name) + ": 未実装。");
    }
    content->type = readByte(in);
    content->name = readString(in);
    const auto stored = static_cast<std::uint32_t>(readInt32(in));
    childCount = static_cast<std::int32_t>(stored - static_cast<std::uint32_t>(childCountBias));
    if (childCount > maxChildCount) {
        throw FileCorruptException();
    }
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
    FieldReader fields(in);
    std::int32_t childCount = 0;
    ContentPtr root = readContentHeader(in, childCount);
    std::vector<OpenRecord> path{{root.get(), childCount}};
    while (!path.empty()) {
        OpenRecord& open = path.back();
        if (open.childrenLeft <= 0) {
            open.content->visitFields(fields);
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
