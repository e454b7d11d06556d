#include "ConsoleDriver.hpp"

#include <filesystem>
#include <ostream>
#include <sstream>
#include <stdexcept>

#include "BlockText.hpp"
#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"
#include "format/Version.hpp"
#include "json/CardJson.hpp"
#include "json/JsonWriter.hpp"
#include "report/Report.hpp"
#include "text/Cp932.hpp"
#include "text/Utf8Buffer.hpp"

namespace Vantorn {
namespace {

// A path as the output shows it.
std::string shownPath(const std::string& path, const ConsoleSettings& settings) {
    if (settings.encoding == OutputEncoding::utf8 || !settings.pathsAreUtf8) {
        return path;
    }
    bool exact = false;
    std::string converted = utf8ToCp932(path, &exact);
    return exact || settings.replaceUnmappable ? converted : path;
}

// Core text (CP932) as the output encoding has it.
std::string shownText(const std::string& cp932, const ConsoleSettings& settings) {
    return settings.encoding == OutputEncoding::utf8 ? cp932ToUtf8(cp932) : cp932;
}

std::filesystem::path filePath(const std::string& path, const ConsoleSettings& settings) {
    return settings.pathsAreUtf8 ? std::filesystem::u8path(path) : std::filesystem::path(path);
}

// The whole block of one card is composed before anything reaches the output, so
// that a card failing anywhere, in reading, description or estimate, leaves no partial
// block behind and is reported like any unreadable file.
void writeBlock(const std::string& path, std::ostream& out, const ConsoleSettings& settings) {
    const SkillCard card = loadSkillCard(filePath(path, settings));
    BlockText text;
    std::ostream block(&text);
    if (settings.encoding == OutputEncoding::cp932) {
        writeCardBlock(block, shownPath(path, settings), card);
    } else {
        block << '[' << path << "]\n" << std::flush;
        Utf8FromCp932Buffer utf8(text);
        std::ostream body(&utf8);
        writeDescription(body, card);
        writeEstimate(body, estimateLevel(card));
        body << std::flush;
    }
    block << '\n';
    text.writeTo(out);
    out << std::flush;
}

void reportError(const std::string& path, const std::runtime_error& error, std::ostream& err,
                 const ConsoleSettings& settings) {
    err << shownPath(path, settings) << ": " << shownText(error.what(), settings) << '\n' << std::flush;
}

void writeJson(const std::vector<std::string>& paths, std::ostream& out, std::ostream& err,
               const ConsoleSettings& settings) {
    JsonWriter json(out);
    json.beginObject();
    json.member("version", cardJsonVersion);
    json.key("cards");
    json.beginArray();
    json.breakLines();
    for (const std::string& path : paths) {
        // A card is read whole before anything of it is written.
        try {
            writeCardJson(json, path, loadSkillCard(filePath(path, settings)));
        } catch (const std::runtime_error& error) {
            writeCardErrorJson(json, path, error);
            reportError(path, error, err, settings);
        }
        json.flush();
        out << std::flush;
    }
    json.endArray();
    json.endObject();
    json.flush();
    out << '\n' << std::flush;
}

}  // namespace

std::string usageBanner() {
    return MORNSTAVE_PRODUCT " version " MORNSTAVE_VERSION "\n\nUsage: mornstave.exe skill*.vnt (skill*.vnt)\n";
}

int runConsole(const std::vector<std::string>& paths, std::ostream& out, std::ostream& err,
               const ConsoleSettings& settings) {
    if (paths.empty()) {
        err << usageBanner() << std::flush;
        return 1;
    }
    if (settings.format == OutputFormat::json) {
        writeJson(paths, out, err, settings);
        return 0;
    }
    for (const std::string& path : paths) {
        try {
            writeBlock(path, out, settings);
        } catch (const std::runtime_error& error) {
            out << std::flush;
            reportError(path, error, err, settings);
        }
    }
    return 0;
}

}  // namespace Vantorn
