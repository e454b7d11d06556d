#include "ConsoleDriver.hpp"

#include <algorithm>
#include <array>
#include <ostream>
#include <stdexcept>
#include <streambuf>

#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"

namespace Vantorn {
namespace {

// Passes a card's text on to the output in large pieces. The report flushes after
// every line; passed on, each flush would cost a write of its own, so flushes stop
// here and the text goes on when the buffer fills and when the card is done. Memory
// stays at one buffer however long the report: nested event trees write many times
// more text than their file holds, and keeping a whole block made the console's peak
// memory follow the report instead of the card.
class BlockBuffer : public std::streambuf {
public:
    explicit BlockBuffer(std::streambuf* target) : target_(target) { reset(); }

    // Hands on what is held; false when the output did not take all of it.
    bool drain() {
        const std::streamsize held = pptr() - pbase();
        reset();
        return target_->sputn(area_.data(), held) == held;
    }

protected:
    int_type overflow(int_type c) override {
        if (!drain()) return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

    std::streamsize xsputn(const char* s, std::streamsize n) override {
        if (n > epptr() - pptr()) {
            if (!drain()) return 0;
            if (n >= static_cast<std::streamsize>(area_.size())) return target_->sputn(s, n);
        }
        std::copy_n(s, n, pptr());
        pbump(static_cast<int>(n));
        return n;
    }

    int sync() override { return 0; }

private:
    void reset() { setp(area_.data(), area_.data() + area_.size()); }

    std::streambuf* target_;
    std::array<char, 64 * 1024> area_;
};

// Nothing is written before the card has loaded, so a file that cannot be read
// leaves no partial block behind.
void writeBlock(const std::string& path, std::ostream& out) {
    SkillCard card;
    card.load(path);
    if (out.rdbuf() == nullptr) {
        out.setstate(std::ios::badbit);
        return;
    }
    BlockBuffer buffer(out.rdbuf());
    std::ostream block(&buffer);
    block << '[' << path << "]\n";
    card.describe(block);
    estimateLevel(card, block);
    block << '\n';
    if (!buffer.drain() || !block) {
        out.setstate(std::ios::badbit);
    }
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
