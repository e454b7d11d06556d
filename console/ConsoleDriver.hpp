#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace Vantorn {

// Describes and estimates every card path in order; returns the exit status.
int runConsole(const std::vector<std::string>& paths, std::ostream& out, std::ostream& err);

}  // namespace Vantorn
