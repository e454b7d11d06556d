#include "Compose.hpp"

#include <sstream>
#include <stdexcept>

#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"

namespace Mornstave {

namespace {

void writeCard(std::ostream& out, const Vantorn::SkillCard& card) {
    card.describe(out);
    Vantorn::estimateLevel(card, out);
}

bool isCp932LeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

}  // namespace

std::string composeCard(const std::string& path) {
    Vantorn::SkillCard card;
    card.load(path);
    std::ostringstream out;
    out << '[' << path << ']' << '\n' << std::flush;
    writeCard(out, card);
    return out.str();
}

std::string folderPrefix(const std::string& folder) {
    // Walk characters, not bytes: only a single-byte 0x5C is a separator.
    bool endsWithSeparator = false;
    for (std::string::size_type i = 0; i < folder.size(); ++i) {
        const auto c = static_cast<unsigned char>(folder[i]);
        endsWithSeparator = c == '\\';
        if (isCp932LeadByte(c) && i + 1 < folder.size()) {
            ++i;
        }
    }
    return endsWithSeparator ? folder : folder + '\\';
}

void composeFolderEntry(std::ostream& out, const std::string& dir, const std::string& name) {
    out << '[' << dir << name << ']' << '\n' << std::flush;
    try {
        // A fresh card per file, so that nothing of an earlier file remains.
        Vantorn::SkillCard card;
        card.load(dir + name);
        writeCard(out, card);
    } catch (const std::runtime_error& e) {
        // Whatever the failed steps already wrote stays in the text.
        out << e.what() << '\n' << std::flush;
    }
    out << '\n' << std::flush;
}

std::string composeFolder(const std::string& dir, const std::vector<std::string>& names) {
    std::ostringstream out;
    for (const auto& name : names) {
        composeFolderEntry(out, dir, name);
    }
    return out.str();
}

std::string publish(const std::string& text) {
    std::string::size_type lineFeeds = 0;
    for (char c : text) {
        lineFeeds += c == '\n';
    }
    std::string result;
    result.reserve(text.size() + lineFeeds);
    for (char c : text) {
        if (c == '\n') {
            result += '\r';
        }
        result += c;
    }
    return result;
}

}  // namespace Mornstave
