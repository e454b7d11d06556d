#include "engine/OrderedWork.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <stdexcept>
#include <vector>

namespace Vantorn {
namespace {

// Every count around the one-thread bound, groups of one and many, more threads than
// processors: each result reaches take once, in order, and no more are alive at once
// than the window allows, the group being taken and those being made included.
TEST(OrderedWork, HandsEveryResultOverInOrderAndHoldsNoMoreThanItsWindow) {
    for (unsigned workers : {2u, 3u, 8u}) {
        for (std::size_t group : {std::size_t{1}, std::size_t{16}}) {
            for (std::size_t count : {std::size_t{0}, 4 * group, 4 * group + 1, std::size_t{1000}}) {
                const std::size_t window = 2 * std::size_t{workers};
                std::atomic<std::size_t> alive{0};
                std::atomic<std::size_t> mostAlive{0};
                std::vector<std::size_t> seen;
                inOrder<std::size_t>(
                    count, workers, window, group,
                    [&](std::size_t i) {
                        const std::size_t now = ++alive;
                        for (std::size_t most = mostAlive; now > most && !mostAlive.compare_exchange_weak(most, now);) {
                        }
                        return i;
                    },
                    [&](std::size_t i, std::size_t&& result) {
                        --alive;
                        EXPECT_EQ(result, i);
                        seen.push_back(i);
                    });
                ASSERT_EQ(seen.size(), count) << workers << " workers, groups of " << group;
                for (std::size_t i = 0; i < count; ++i) ASSERT_EQ(seen[i], i);
                EXPECT_LE(mostAlive.load(), (window + 1) * group) << workers << " workers, " << count << " items";
            }
        }
    }
}

// A take that throws ends the run: the error reaches the caller and every thread has
// left, whatever the others were making.
TEST(OrderedWork, AThrowingTakeStopsTheWorkersAndReachesTheCaller) {
    for (std::size_t stopAt : {std::size_t{0}, std::size_t{100}, std::size_t{999}}) {
        std::atomic<std::size_t> made{0};
        std::size_t taken = 0;
        EXPECT_THROW(inOrder<std::size_t>(
                         1000, 3, 6, 16, [&](std::size_t i) { return ++made, i; },
                         [&](std::size_t i, std::size_t&&) {
                             if (i == stopAt) throw std::runtime_error("stop");
                             ++taken;
                         }),
                     std::runtime_error);
        EXPECT_EQ(taken, stopAt);
        EXPECT_LE(made.load(), stopAt + 7 * 16);  // no more than the window ahead
    }
}

}  // namespace
}  // namespace Vantorn
