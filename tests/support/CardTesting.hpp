#pragma once

// Small helpers that let a test read bytes as a card and look at the text it writes.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "cards/SkillCard.hpp"
#include "support/CardWriter.hpp"

namespace Vantorn::testing {

inline void readCard(SkillCard& card, const std::string& bytes) {
    std::istringstream in(bytes, std::ios::binary);
    card.read(in);
}

inline std::string describe(const VTObject& object) {
    std::ostringstream out;
    object.describe(out);
    return out.str();
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
