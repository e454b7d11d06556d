#include "engine/Formats.hpp"


namespace Vantorn {
namespace {

const std::vector<FormatInfo> formats = {
#define FORMAT(id, name, extensions, summary, encoding, lineEnds, explain, diff)                       \
    FormatInfo{OutputFormat::id, name, extensions, summary, FormatEncoding::encoding, FormatLineEnds::lineEnds, \
               explain, diff},
#include "engine/Formats.def"
};

std::string lowerCase(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

bool listed(std::string_view list, std::string_view word) {
    while (!list.empty()) {
        const std::size_t end = list.find(' ');
        if (list.substr(0, end) == word) return true;
        if (end == std::string_view::npos) break;
        list.remove_prefix(end + 1);
    }
    return false;
}

}  // namespace

const std::vector<FormatInfo>& outputFormats() { return formats; }

const FormatInfo& formatInfo(OutputFormat format) { return formats[static_cast<std::size_t>(format)]; }

std::optional<OutputFormat> formatNamed(std::string_view name) {
    for (const FormatInfo& info : formats) {
        if (name == info.name) return info.format;
    }
    return std::nullopt;
}

OutputFormat formatOfFile(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    const std::size_t separator = path.find_last_of("/\\");
    if (dot == std::string::npos || (separator != std::string::npos && dot < separator)) return OutputFormat::text;
    const std::string extension = lowerCase(path.substr(dot + 1));
    if (extension.empty()) return OutputFormat::text;
    for (const FormatInfo& info : formats) {
        if (listed(info.extensions, extension)) return info.format;
    }
    return OutputFormat::text;
}

TextEncoding formatEncoding(OutputFormat format, std::optional<TextEncoding> asked, bool localeIsUtf8) {
    switch (formatInfo(format).encoding) {
    case FormatEncoding::locale:
        return asked.value_or(localeIsUtf8 ? TextEncoding::utf8 : TextEncoding::cp932);
    case FormatEncoding::utf8: return asked.value_or(TextEncoding::utf8);
    case FormatEncoding::utf8Only: break;
    }
    return TextEncoding::utf8;
}

}  // namespace Vantorn
