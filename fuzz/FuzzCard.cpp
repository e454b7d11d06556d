// libFuzzer target: arbitrary bytes as a skill card file, through everything a front
// end does with one: reading, description, level estimate and the card's JSON entry,
// which must parse back (nlohmann-json) as valid UTF-8. Reading errors of the
// std::runtime_error family are the defined outcome of a bad file; anything else that
// escapes, and every sanitizer report, crash, leak, timeout or memory blow-up, is a
// finding, as is a text out of proportion to the file.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <sstream>  // the JSON entry is written to memory
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "cards/SkillCard.hpp"
#include "json/CardJson.hpp"
#include "json/JsonWriter.hpp"
#include "text/Cp932.hpp"
#include "estimate/Estimate.hpp"
#include "explain/Listing.hpp"
#include "format/CardReader.hpp"
#include "format/Limits.hpp"
#include "report/Report.hpp"
#include "support/CountingStream.hpp"

namespace {

// The front ends hold a card's whole text, so it must stay proportional to the file:
// a few fixed lines, then at most this many bytes of text per byte read (a 9-byte
// content at the deepest level writes one TAB per level, then its line).
constexpr std::size_t maxTextPerByte = Vantorn::maxContentDepth / 8 + 32;
constexpr std::size_t fixedText = 64 * 1024;

// The field-by-field listing: a line per field, whose path is shortened past a few
// levels, so at most this many bytes per byte of file.
constexpr std::size_t maxListingPerByte = 160;

void checkListing(const std::string& bytes) {
    Vantorn::testing::CountingStream listing;
    try {
        Vantorn::writeListing(listing, bytes);
    } catch (const std::runtime_error&) {
        // a broken card's listing ends with its error, which is then thrown on
    }
    if (listing.count() > maxListingPerByte * bytes.size() + fixedText) {
        std::fprintf(stderr, "%zu bytes of listing for a file of %zu bytes\n", listing.count(), bytes.size());
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    checkListing(bytes);
    Vantorn::CardReader in(bytes);
    Vantorn::SkillCard card;
    try {
        card.read(in);
    } catch (const std::runtime_error&) {
        return 0;
    }
    // The text is counted, not kept: holding the text of a deep tree would slow every run.
    Vantorn::testing::CountingStream out;
    const Vantorn::LevelEstimate estimate = Vantorn::estimateLevel(card);
    Vantorn::writeDescription(out, card);
    Vantorn::writeEstimate(out, estimate);
    if (out.count() > maxTextPerByte * size + fixedText) {
        std::fprintf(stderr, "%zu bytes of text for a file of %zu bytes\n", out.count(), size);
        std::abort();
    }
    std::ostringstream text;
    {
        Vantorn::JsonWriter json(text);
        Vantorn::writeCardJson(json, "skill.vnt", card, estimate);
    }
    if (!Vantorn::isUtf8(text.str()) || text.str().size() > 8 * maxTextPerByte * size + fixedText) {
        std::fprintf(stderr, "JSON entry of %zu bytes, not UTF-8 or too long\n", text.str().size());
        std::abort();
    }
    (void)nlohmann::json::parse(text.str());  // throws, and so aborts, when not JSON
    return 0;
}
