#pragma once

#include <memory>
#include <ostream>
#include <streambuf>
#include <vector>

namespace Vantorn {

// Holds one card's whole block until it is complete, in fixed-size pieces: a report
// of deeply nested events can be many times its file, and pieces neither double nor
// get copied as they grow. Flushes stop here, so the output sees one write per block.
class BlockText : public std::streambuf {
public:
    // Hands the whole block on; a failed write shows in the output's state.
    void writeTo(std::ostream& out) const {
        for (std::size_t i = 0; i < pieces_.size(); ++i) {
            const bool last = i + 1 == pieces_.size();
            const std::size_t size = last ? static_cast<std::size_t>(pptr() - pbase()) : pieceSize;
            out.write(pieces_[i].get(), static_cast<std::streamsize>(size));
        }
    }

protected:
    // The put area is the free end of the last piece; a full piece starts another.
    int_type overflow(int_type c) override {
        pieces_.emplace_back(new char[pieceSize]);  // left uninitialised: it is written before it is read
        setp(pieces_.back().get(), pieces_.back().get() + pieceSize);
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

private:
    static constexpr std::size_t pieceSize = 64 * 1024;
    std::vector<std::unique_ptr<char[]>> pieces_;
};

}  // namespace Vantorn
