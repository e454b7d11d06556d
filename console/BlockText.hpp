#pragma once

#include <algorithm>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

namespace Vantorn {

// Holds one card's whole block until it is complete, in fixed-size pieces: a report
// of deeply nested events can be many times its file, and pieces neither double nor
// get copied as they grow. Flushes stop here, so the output sees one write per block.
class BlockText : public std::streambuf {
public:
    // Hands the whole block on; a failed write shows in the output's state.
    void writeTo(std::ostream& out) const {
        for (const std::string& piece : pieces_) {
            out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        }
    }

protected:
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            const char byte = traits_type::to_char_type(c);
            xsputn(&byte, 1);
        }
        return traits_type::not_eof(c);
    }

    std::streamsize xsputn(const char* text, std::streamsize count) override {
        for (std::streamsize left = count; left > 0;) {
            if (pieces_.empty() || pieces_.back().size() == pieceSize) {
                pieces_.emplace_back().reserve(pieceSize);
            }
            std::string& piece = pieces_.back();
            const auto taken = std::min<std::streamsize>(left, pieceSize - piece.size());
            piece.append(text, static_cast<std::size_t>(taken));
            text += taken;
            left -= taken;
        }
        return count;
    }

private:
    static constexpr std::size_t pieceSize = 64 * 1024;
    std::vector<std::string> pieces_;
};

}  // namespace Vantorn
