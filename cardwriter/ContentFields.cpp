#include <utility>

#include "cardwriter/CardWriter.hpp"
#include "events/Content.hpp"
#include "events/Fields.hpp"

namespace Vantorn::testing {
namespace {

// Writes each own field as the reader reads it: a bool as 0 or 1, a byte as its low 8 bits.
class FieldWriter final : public FieldVisitor {
public:
    explicit FieldWriter(Bytes& out) : out_(out) {}
    void int32(const char*, std::int32_t& value) override { out_.int32(value); }
    void byte(const char*, std::int32_t& value) override { out_.byte(static_cast<std::uint8_t>(value)); }
    void boolean(const char*, bool& value) override { out_.boolean(value); }
    void string(const char*, std::string& value) override { out_.string(value); }

private:
    Bytes& out_;
};

}  // namespace

Bytes ownFieldsOf(const Content& content) {
    Bytes out;
    FieldWriter writer(out);
    content.lookAtFields(writer);
    return out;
}

ContentRecord ContentRecord::of(const Content& content, std::vector<ContentRecord> children) {
    ContentRecord record(static_cast<std::uint8_t>(content.type), ownFieldsOf(content), std::move(children));
    record.name = content.name;
    return record;
}

}  // namespace Vantorn::testing
