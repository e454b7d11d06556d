#include "events/Event.hpp"

#include "format/CardReader.hpp"
#include "format/Limits.hpp"

namespace Vantorn {
namespace {

std::int32_t readListCount(CardReader& in, const char* name) {
    const std::uint64_t at = in.offset();
    const std::int32_t count = in.int32(name);
    if (count > maxListCount) {
        in.fail(FileCorruptException(), at, name, std::to_string(count), "at most " + std::to_string(maxListCount));
    }
    return count;
}

}  // namespace

void Event::read(CardReader& in) {
    const std::int32_t count = readListCount(in, "contentCount");
    for (std::int32_t i = 0; i < count; ++i) {
        RecordScope record(in, "content", i + 1);
        contents.push_back(readContent(in));
    }
}

void EventPart::read(CardReader& in) {
    const std::int32_t count = readListCount(in, "eventCount");
    for (std::int32_t i = 0; i < count; ++i) {
        RecordScope record(in, "event", i + 1);
        auto event = std::make_shared<Event>();
        event->read(in);
        events.push_back(std::move(event));
    }
}

}  // namespace Vantorn
