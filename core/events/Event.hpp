#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "events/Content.hpp"
#include "format/VTObject.hpp"

namespace Vantorn {

class CardReader;

class Event : public VTObject {
public:
    void read(CardReader& in);

    std::vector<ContentPtr> contents;
};

// What walks a card's events, in file order: each event's start with how many
// contents it has, each of its content trees, its end.
class EventVisitor {
public:
    virtual void beginEvent(std::size_t /*contents*/) {}
    virtual void content(const Content& root) = 0;
    virtual void endEvent() {}

protected:
    ~EventVisitor() = default;
};

class EventPart : public VTObject {
public:
    EventPart() = default;
    EventPart(const EventPart&) = delete;
    EventPart& operator=(const EventPart&) = delete;
    EventPart(EventPart&&) = default;
    EventPart& operator=(EventPart&&) = default;

    // Appends the events it reads; it does not empty the list first.
    void read(CardReader& in);
    // Reads and checks the events as read does but keeps none of them: a walk reads
    // them again from `file`, the bytes `in` reads, one content tree at a time. For a
    // card too large to hold decoded, whose events can take many times its file.
    void readLater(CardReader& in, std::shared_ptr<const std::string> file);

    // The events kept, or those read again: a content tree read again lives only for
    // the visitor's call.
    void visit(EventVisitor& visitor) const;
    // The same events as `other`'s, shared.
    void share(const EventPart& other);
    // Whether the events are read again at each walk rather than kept.
    bool readEachWalk() const { return file_ != nullptr; }

    std::vector<std::shared_ptr<Event>> events;

private:
    std::shared_ptr<const std::string> file_;  // where the events are read again from
    std::uint64_t offset_ = 0;                 // of their count in it
};

}  // namespace Vantorn
