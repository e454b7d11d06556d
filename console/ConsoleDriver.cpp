#include "ConsoleDriver.hpp"

#include <ostream>
#include <sstream>
#include <stdexcept>

#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"

namespace Vantorn {
namespace {

// The whole block of one card, composed before anything reaches the output, so that a
// card that fails half-way leaves no partial block behind.
std::string composeBlock(const std::string& path) {
    SkillCard card;
    card.load(path);
    std::ostringstream block;
    block << '[' << path << "]\n";
    card.describe(block);
    estimateLevel(card, block);
    block << '\n';
    return std::move(block).str();
}

}  // namespace

int runConsole(const std::vector<std::string>& paths, std::ostream& out, std::ostream& err) {
    if (paths.empty()) {
        err << "Mornstave version 0.20\n\nUsage: mornstave.exe skill*.vnt (skill*.vnt)\n" << std::flush;
        return 1;
    }
    for (const std::string& path : paths) {
        std::string block;
        try {
            block = composeBlock(path);
        } catch (const std::runtime_error& error) {
            out << std::flush;
            err << path << ": " << error.what() << '\n' << std::flush;
            continue;
        }
        out << block << std::flush;
    }
    return 0;
}

}  // namespace Vantorn
