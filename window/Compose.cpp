#include "Compose.hpp"

#include <sstream>
#include <stdexcept>

#include "cards/SkillCard.hpp"
#include "report/Report.hpp"

namespace Mornstave {

namespace {

bool isCp932LeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

}  // namespace

std::string composeCard(const std::string& path) {
    Vantorn::SkillCard card;
    card.load(path);
    std::ostringstream out;
    Vantorn::writeCardBlock(out, path, card);
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
    const std::string path = dir + name;
    try {
        // A fresh card per file, so that nothing of an earlier file remains.
        Vantorn::SkillCard card;
        card.load(path);
        Vantorn::writeCardBlock(out, path, card);
    } catch (const std::runtime_error& e) {
        Vantorn::writeHeader(out, path);
        out << e.what() << '\n';
    }
    out << '\n';
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
