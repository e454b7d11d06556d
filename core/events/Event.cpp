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

// An event's contents in file order, each content tree handed on as it is read.
template <class Take>
void readContents(CardReader& in, std::int32_t count, const Take& take) {
    for (std::int32_t i = 0; i < count; ++i) {
        RecordScope record(in, "content", i + 1);
        take(readContent(in));
    }
}

// The events in file order: each one's start with its count of contents, its content
// trees, its end.
template <class Begin, class Take, class End>
void readEvents(CardReader& in, const Begin& begin, const Take& take, const End& end) {
    const std::int32_t count = readListCount(in, "eventCount");
    for (std::int32_t i = 0; i < count; ++i) {
        RecordScope event(in, "event", i + 1);
        const std::int32_t contents = readListCount(in, "contentCount");
        begin(contents);
        readContents(in, contents, take);
        end();
    }
}

}  // namespace

void Event::read(CardReader& in) {
    readContents(in, readListCount(in, "contentCount"), [this](ContentPtr root) { contents.push_back(std::move(root)); });
}

void EventPart::read(CardReader& in) {
    readEvents(
        in, [this](std::int32_t) { events.push_back(std::make_shared<Event>()); },
        [this](ContentPtr root) { events.back()->contents.push_back(std::move(root)); }, [] {});
}

void EventPart::readLater(CardReader& in, std::shared_ptr<const std::string> file) {
    offset_ = in.offset();
    readEvents(
        in, [](std::int32_t) {}, [](const ContentPtr&) {}, [] {});  // each tree goes as soon as read
    file_ = std::move(file);
}

void EventPart::visit(EventVisitor& visitor) const {
    for (const auto& event : events) {
        visitor.beginEvent(event->contents.size());
        for (const ContentPtr& root : event->contents) visitor.content(*root);
        visitor.endEvent();
    }
    if (!file_) return;
    CardReader in(*file_);
    in.skip(static_cast<std::int64_t>(offset_), "events");
    readEvents(
        in, [&](std::int32_t contents) { visitor.beginEvent(static_cast<std::size_t>(contents)); },
        [&](const ContentPtr& root) { visitor.content(*root); }, [&] { visitor.endEvent(); });
}

void EventPart::share(const EventPart& other) {
    events = other.events;
    file_ = other.file_;
    offset_ = other.offset_;
}

}  // namespace Vantorn
