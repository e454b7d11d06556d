#pragma once

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

namespace Vantorn {

// Text made ahead, off the output's thread: a JSON entry, or a report block in pieces,
// which neither double nor get copied as they grow (a report of deeply nested events
// can be many times its file). Pieces start small, for the many small cards, and grow
// to a fixed size.
struct TextPieces {
    struct Piece {
        std::unique_ptr<char[]> data;  // left uninitialised: written before it is read
        std::size_t size = 0;          // bytes written
        std::size_t capacity = 0;
    };
    std::vector<Piece> pieces;

    bool empty() const { return pieces.empty(); }
    void writeTo(std::ostream& out) const {
        for (const Piece& piece : pieces) out.write(piece.data.get(), static_cast<std::streamsize>(piece.size));
    }
    std::string joined() const {
        std::string text;
        for (const Piece& piece : pieces) text.append(piece.data.get(), piece.size);
        return text;
    }
    void assign(std::string_view text) {
        pieces.clear();
        pieces.push_back({std::make_unique<char[]>(text.size()), text.size(), text.size()});
        std::memcpy(pieces.back().data.get(), text.data(), text.size());
    }
};

// A stream buffer that appends to text in pieces; the last piece's size is set when
// the buffer goes.
class PiecesBuffer : public std::streambuf {
public:
    explicit PiecesBuffer(TextPieces& text) : text_(text) {}
    ~PiecesBuffer() override { close(); }
    PiecesBuffer(const PiecesBuffer&) = delete;
    PiecesBuffer& operator=(const PiecesBuffer&) = delete;

protected:
    int_type overflow(int_type c) override {
        close();
        const std::size_t capacity =
            text_.pieces.empty() ? firstPiece : std::min(2 * text_.pieces.back().capacity, largestPiece);
        text_.pieces.push_back({std::unique_ptr<char[]>(new char[capacity]), 0, capacity});
        char* data = text_.pieces.back().data.get();
        setp(data, data + capacity);
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

private:
    static constexpr std::size_t firstPiece = 4 * 1024;
    static constexpr std::size_t largestPiece = 64 * 1024;

    // The piece being written holds what the put area has.
    void close() {
        if (pbase() != nullptr) text_.pieces.back().size = static_cast<std::size_t>(pptr() - pbase());
    }

    TextPieces& text_;
};

}  // namespace Vantorn
