#include "events/Content.hpp"

#include <algorithm>
#include <string>
#include <utility>

#include "events/ContentFactory.hpp"
#include "events/ContentKind.hpp"
#include "events/Fields.hpp"
#include "format/CardReader.hpp"

namespace Vantorn {

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
Content* readContentHeader(CardReader& in, std::int32_t& childCount, ContentArena& arena) {
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
    Content* const content = makeContent(code, arena);
    HeaderReader header{in};
    visitContentHeader(content->type, content->name, childCount, header);
    return content;
}

// Room in the arena for the children a header counts, as far as the bytes left could
// hold them: a count no file can fill allocates nothing. A bare record takes nine bytes.
void reserveChildren(Content& content, std::int32_t count, const CardReader& in, ContentArena& arena) {
    constexpr std::uint64_t leastRecordBytes = 9;
    if (count > 0) {
        content.children = ContentList(ArenaAllocator<Content*>(&arena));
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
    const auto arena = std::make_shared<ContentArena>();
    std::int32_t childCount = 0;
    Content* const root = readContentHeader(in, childCount, *arena);
    reserveChildren(*root, childCount, in, *arena);
    std::vector<OpenRecord> path;
    path.reserve(16);  // most scripts nest no deeper; deeper ones grow it
    path.push_back({root, childCount, 0});
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
        Content* const child = readContentHeader(in, childCount, *arena);
        reserveChildren(*child, childCount, in, *arena);
        open.content->children.push_back(child);
        path.push_back({child, childCount, 0});
    }
    return ContentPtr(arena, root);
}

}  // namespace Vantorn
