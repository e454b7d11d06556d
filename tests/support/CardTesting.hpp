#pragma once

// Small helpers that let a test read bytes as a card and look at the text it writes.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "cards/SkillCard.hpp"
#include "format/CardReader.hpp"
#include "report/Report.hpp"
#include "cardwriter/CardWriter.hpp"

namespace Vantorn::testing {

// The bytes of a small readable card with that name.
inline std::string goodCard(const std::string& name) {
    SkillCardRecord record;
    record.name = name;
    record.targetType = 3;
    record.motions = {MotionRecord{0, 1, 1, 0, 10}};
    return record.bytes().data;
}

inline void readCard(SkillCard& card, const std::string& bytes) {
    CardReader in(bytes);
    card.read(in);
}

// What a report writer writes for the object.
template <class Object, class Write>
std::string textOf(const Object& object, Write write) {
    std::ostringstream out;
    write(out, object);
    return out.str();
}

// The report's text of a card, a motion, a content tree or an event part.
inline std::string describe(const SkillCard& card) {
    return textOf(card, [](std::ostream& out, const SkillCard& c) { writeDescription(out, c); });
}
inline std::string describe(const Motion& motion) {
    return textOf(motion, [](std::ostream& out, const Motion& m) { writeMotion(out, m); });
}
inline std::string describe(const EventPart& part) { return textOf(part, writeEvents); }
inline std::string describe(const Content& root) {
    return textOf(root, [](std::ostream& out, const Content& content) { writeContentTree(out, content); });
}

// The what() of the exception of type Error that action throws, or a failure.
template <class Error, class Action>
std::string messageOf(Action action) {
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    } catch (const std::exception& other) {
        ADD_FAILURE() << "unexpected exception type with message: " << other.what();
        return {};
    }
    ADD_FAILURE() << "no exception";
    return {};
}

}  // namespace Vantorn::testing
