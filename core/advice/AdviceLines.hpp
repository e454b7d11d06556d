#pragma once

#include <iosfwd>
#include <vector>

#include "advice/Advice.hpp"

namespace Vantorn {

// The report shows this many pieces of advice; the structured outputs show them all.
constexpr std::size_t reportedAdvice = 3;

// Up to `most` lines "提案: " and the advice's sentence, in CP932, after the level line.
void writeAdviceLines(std::ostream& out, const std::vector<Advice>& advice, std::size_t most = reportedAdvice);

}  // namespace Vantorn
