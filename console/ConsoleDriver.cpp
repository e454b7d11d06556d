#include "ConsoleDriver.hpp"

#include <ostream>
#include <stdexcept>

#include "BlockText.hpp"
#include "cards/SkillCard.hpp"
#include "report/Report.hpp"

namespace Vantorn {
namespace {

// The whole block of one card is composed before anything reaches the output, so
// that a card failing anywhere, in reading, description or estimate, leaves no partial
// block behind and is reported like any unreadable file.
void writeBlock(const std::string& path, std::ostream& out) {
    SkillCard card;
    card.load(path);
    BlockText text;
    std::ostream block(&text);
    writeCardBlock(block, path, card);
    block << '\n';
    text.writeTo(out);
    out << std::flush;
}

}  // namespace

int runConsole(const std::vector<std::string>& paths, std::ostream& out, std::ostream& err) {
    if (paths.empty()) {
        err << "Mornstave version 0.20\n\nUsage: mornstave.exe skill*.vnt (skill*.vnt)\n" << std::flush;
        return 1;
    }
    for (const std::string& path : paths) {
        try {
            writeBlock(path, out);
        } catch (const std::runtime_error& error) {
            out << std::flush;
            err << path << ": " << error.what() << '\n' << std::flush;
        }
    }
    return 0;
}

}  // namespace Vantorn
