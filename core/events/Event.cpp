#include "events/Event.hpp"

#include <istream>

#include "format/Errors.hpp"
#include "format/Stream.hpp"

namespace Vantorn {
namespace {

constexpr std::int32_t maxListCount = 65536;

std::int32_t readListCount(std::istream& in) {
    const std::int32_t count = readInt32(in);
    if (count > maxListCount) {
        throw FileCorruptException();
    }
    return count;
}

}  // namespace

void Event::read(std::istream& in) {
    const std::int32_t count = readListCount(in);
    for (std::int32_t i = 0; i < count; ++i) {
        contents.push_back(readContent(in));
    }
}

void EventPart::read(std::istream& in) {
    const std::int32_t count = readListCount(in);
    for (std::int32_t i = 0; i < count; ++i) {
        auto event = std::make_shared<Event>();
        event->read(in);
        events.push_back(std::move(event));
    }
}

}  // namespace Vantorn
