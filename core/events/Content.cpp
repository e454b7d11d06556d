#include "events/Content.hpp"

#include <algorithm>
#include <string>
#include <utility>

#include "events/ContentFactory.hpp"
#include "events/ContentKind.hpp"
#include "events/Fields.hpp"
#include "format/CardReader.hpp"

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

// Fills the own fields of a content from the file, in the order the kind lists them.
class FieldReader final : public FieldVisitor {
public:
    explicit FieldReader(CardReader& in) : in_(in) {}
    void int32(const char* name, std::int32_t& value) override { value = in_.int32(name); }
    void byte(const char* name, std::int32_t& value) override { value = in_.byte(name); }
    void boolean(const char* name, bool& value) override { value = in_.boolean(name); }
    void string(const char* name, std::string& value) override { value = in_.string(name); }

private:
    CardReader& in_;
};

// Reads a content record's header: the child count without its bias.
struct HeaderReader {
    CardReader& in;
    void byte(const char* name, std::int32_t& value) { value = in.byte(name); }
    void string(const char* name, std::string& value) { value = in.string(name); }
    void childCount(const char* name, std::int32_t& count) {
        const std::uint64_t at = in.offset();
        const auto stored = in.int32(name);
        count = static_cast<std::int32_t>(static_cast<std::uint32_t>(stored) - static_cast<std::uint32_t>(childCountBias));
        if (count > maxChildCount) {
            in.fail(FileCorruptException(), at, name, std::to_string(stored),
                    "at most " + std::to_string(childCountBias + maxChildCount) + " (" + std::to_string(childCountBias) +
                        " + children)");
        }
    }
};

// Looks at the type code without consuming it, starts the content it names and reads
// the common part of its record: type code, name and child count. A kind whose layout
// is unknown fails before anything of it is read.
ContentPtr readContentHeader(CardReader& in, std::int32_t& childCount) {
    const std::uint64_t at = in.offset();
    const int code = in.peek();
    if (code < 0) {
        in.fail(IOException(), at, "type", "0 bytes left", "1 byte");
    }
    if (code > maxContentType) {
        in.fail(FileCorruptException(), at, "type", std::to_string(code), "0.." + std::to_string(maxContentType));
    }
    const ContentKindInfo& kind = contentKindInfo(code);
    if (!kind.readable) {
        in.fail(UnreadableContentException(kind.name), at, "type", std::to_string(code) + " (" + kind.name + ")",
                "a kind of known layout");
    }
    ContentPtr content = makeContent(code);
    HeaderReader header{in};
    visitContentHeader(content->type, content->name, childCount, header);
    return content;
}

// Room for the children a header counts, as far as the bytes left could hold them: a
// count no file can fill allocates nothing. A bare record takes nine bytes.
void reserveChildren(Content& content, std::int32_t count, const CardReader& in) {
    constexpr std::uint64_t leastRecordBytes = 9;
    if (count > 0) {
        content.children.reserve(
            static_cast<std::size_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(count), in.remaining() / leastRecordBytes)));
    }
}

}  // namespace

ContentPtr readContent(CardReader& in) {
    // Records nest children before their parent's own fields; a path of open records
    // replaces recursion so that deep scripts cannot exhaust the stack.
    struct OpenRecord {
        Content* content;
        std::int32_t childrenLeft;
        std::int32_t childrenRead;
    };
    FieldReader fields(in);
    std::int32_t childCount = 0;
    ContentPtr root = readContentHeader(in, childCount);
    reserveChildren(*root, childCount, in);
    std::vector<OpenRecord> path{{root.get(), childCount, 0}};
    while (!path.empty()) {
        OpenRecord& open = path.back();
        if (open.childrenLeft <= 0) {
            open.content->visitFields(fields);
            path.pop_back();
            if (!path.empty()) in.leave();
            continue;
        }
        --open.childrenLeft;
        in.enter("child", ++open.childrenRead);
        if (path.size() >= maxContentDepth) {
            in.fail(FileCorruptException(), in.offset(), "", "depth " + std::to_string(path.size() + 1),
                    "depth 1.." + std::to_string(maxContentDepth));
        }
        ContentPtr child = readContentHeader(in, childCount);
        reserveChildren(*child, childCount, in);
        Content* const read = child.get();
        open.content->children.push_back(std::move(child));
        path.push_back({read, childCount, 0});
    }
    return root;
}

}  // namespace Vantorn
