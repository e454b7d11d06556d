#pragma once

#include <algorithm>
#include <cstring>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

namespace Vantorn {

// Text a sink made ahead, off the output's thread: a JSON entry in one piece, or a
// report block in pieces of a fixed size, which neither double nor get copied as they
// grow (a report of deeply nested events can be many times its file).
struct TextPieces {
    std::vector<std::string> pieces;

    bool empty() const { return pieces.empty(); }
    void writeTo(std::ostream& out) const {
        for (const std::string& piece : pieces) out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
    }
    std::string joined() const {
        std::string text;
        for (const std::string& piece : pieces) text += piece;
        return text;
    }
};

// A stream buffer that appends to text in pieces; the last piece is cut to its length
// when the buffer goes.
class PiecesBuffer : public std::streambuf {
public:
    explicit PiecesBuffer(TextPieces& text) : text_(text) {}
    ~PiecesBuffer() override {
        if (!text_.pieces.empty() && pbase() == text_.pieces.back().data()) {
            text_.pieces.back().resize(static_cast<std::size_t>(pptr() - pbase()));
        }
    }
    PiecesBuffer(const PiecesBuffer&) = delete;
    PiecesBuffer& operator=(const PiecesBuffer&) = delete;

protected:
    int_type overflow(int_type c) override {
        text_.pieces.emplace_back(pieceSize, '\0');
        std::string& piece = text_.pieces.back();
        setp(piece.data(), piece.data() + piece.size());
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

private:
    static constexpr std::size_t pieceSize = 64 * 1024;
    TextPieces& text_;
};

}  // namespace Vantorn
