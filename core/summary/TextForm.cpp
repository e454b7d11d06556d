#include "summary/TextForm.hpp"

#include <algorithm>
#include <array>
#include <utility>

#include "text/Cp932.hpp"

namespace Vantorn {
namespace {

// East Asian Wide (W) and Fullwidth (F) ranges of Unicode that fonts and terminals
// show two columns wide: Hangul Jamo, CJK radicals to CJK compatibility, CJK
// ideographs, Yi, Hangul syllables, compatibility ideographs, vertical and small
// forms, fullwidth forms, the common emoji blocks and the supplementary ideographs.
constexpr std::array<std::pair<char32_t, char32_t>, 18> wideRanges = {{
    {0x1100, 0x115F}, {0x2329, 0x232A}, {0x2E80, 0x303E}, {0x3041, 0x33FF},
    {0x3400, 0x4DBF}, {0x4E00, 0x9FFF}, {0xA000, 0xA4CF}, {0xAC00, 0xD7A3},
    {0xF900, 0xFAFF}, {0xFE10, 0xFE19}, {0xFE30, 0xFE6F}, {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6}, {0x1F300, 0x1F64F}, {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD},
    {0x30000, 0x3FFFD}, {0x1F680, 0x1F6FF},
}};

bool isWide(char32_t c) {
    return std::any_of(wideRanges.begin(), wideRanges.end(),
                       [c](const auto& range) { return c >= range.first && c <= range.second; });
}

}  // namespace

std::string TextForm::text(std::string_view cp932) const {
    return encoding == TextEncoding::utf8 ? cp932ToUtf8(cp932) : std::string(cp932);
}

std::string TextForm::path(const std::string& given) const {
    if (encoding == TextEncoding::utf8 || !pathsAreUtf8) return given;
    bool exact = false;
    std::string converted = utf8ToCp932(given, &exact);
    return exact || replaceUnmappable ? converted : given;
}

TextCharacter characterAt(std::string_view text, std::size_t at, TextEncoding encoding) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (encoding == TextEncoding::cp932) {
        return isCp932LeadByte(lead) && at + 1 < text.size() ? TextCharacter{2, 2} : TextCharacter{1, 1};
    }
    const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    std::size_t taken = 1;
    while (taken < length && at + taken < text.size() && (text[at + taken] & 0xC0) == 0x80) {
        c = (c << 6) | (text[at + taken] & 0x3F);
        ++taken;
    }
    // A broken sequence counts one column, as terminals show U+FFFD.
    return {taken, taken == length && isWide(c) ? std::size_t{2} : std::size_t{1}};
}

std::size_t displayWidth(std::string_view text, TextEncoding encoding) {
    std::size_t columns = 0;
    for (std::size_t i = 0; i < text.size();) {
        const TextCharacter character = characterAt(text, i, encoding);
        columns += character.width;
        i += character.length;
    }
    return columns;
}

}  // namespace Vantorn
