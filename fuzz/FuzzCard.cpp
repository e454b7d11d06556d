// libFuzzer target: arbitrary bytes as a skill card file, through everything a front
// end does with one: reading, description and level estimate. Reading errors of the
// std::runtime_error family are the defined outcome of a bad file; anything else that
// escapes, and every sanitizer report, crash, leak, timeout or memory blow-up, is a
// finding.

#include <cstddef>
#include <cstdint>
#include <istream>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>

#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"

namespace {

// The text is not kept: only how the card gets written matters here, and holding the
// text of a deep tree would slow every run down.
class DiscardBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size), std::ios::binary);
    Vantorn::SkillCard card;
    try {
        card.read(in);
    } catch (const std::runtime_error&) {
        return 0;
    }
    DiscardBuffer discard;
    std::ostream out(&discard);
    card.describe(out);
    Vantorn::estimateLevel(card, out);
    return 0;
}
