#pragma once

#include <memory>
#include <vector>

#include "events/Content.hpp"
#include "format/VTObject.hpp"

namespace Vantorn {

class CardReader;

// One event of a card: the roots of its content trees, in file order.
class Event : public VTObject {
public:
    void read(CardReader& in);

    std::vector<ContentPtr> contents;
};

// All events of a card.
class EventPart : public VTObject {
public:
    EventPart() = default;
    EventPart(const EventPart&) = delete;
    EventPart& operator=(const EventPart&) = delete;
    EventPart(EventPart&&) = default;
    EventPart& operator=(EventPart&&) = default;

    // Appends the events it reads; it does not empty the list first.
    void read(CardReader& in);

    std::vector<std::shared_ptr<Event>> events;
};

}  // namespace Vantorn
