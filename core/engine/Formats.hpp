#pragma once

// The output formats, from their one table in Formats.def.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "summary/TextForm.hpp"

namespace Vantorn {

enum class OutputFormat {
#define FORMAT(id, name, extensions, summary, encoding, lineEnds, explain, diff) id,
#include "engine/Formats.def"
};

// Where a format's encoding comes from.
enum class FormatEncoding { locale, utf8, utf8Only };

// Whose line ends a format's output has: the system's text mode, or the writer's own.
enum class FormatLineEnds { system, own };

struct FormatInfo {
    OutputFormat format;
    const char* name;
    const char* extensions;  // space-separated, lower case
    bool impliesSummary;
    FormatEncoding encoding;
    FormatLineEnds lineEnds;
    bool listing;     // --explain writes its listing in it
    bool comparison;  // --diff writes its comparison in it
};

// Every format, in the table's order.
const std::vector<FormatInfo>& outputFormats();
const FormatInfo& formatInfo(OutputFormat format);
// The format of that name, if any.
std::optional<OutputFormat> formatNamed(std::string_view name);
// The format an output file's extension names (letter case aside); text for any other.
OutputFormat formatOfFile(const std::string& path);
// The encoding of the format's output: `asked` is --encoding where given, `localeIsUtf8`
// the locale's character set.
TextEncoding formatEncoding(OutputFormat format, std::optional<TextEncoding> asked, bool localeIsUtf8);

}  // namespace Vantorn
