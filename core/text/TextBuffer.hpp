#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

#include "text/TextPieces.hpp"

namespace Vantorn {

// Bytes appended at the end of one growing block, each append a bounds check and a
// copy: the writers' buffers, where most appends are a few bytes.
class TextBuffer {
public:
    void append(const char* data, std::size_t size) {
        if (size == 0) return;  // an empty view may have no data at all
        std::memcpy(room(size), data, size);
        size_ += size;
    }
    TextBuffer& operator+=(std::string_view text) {
        append(text.data(), text.size());
        return *this;
    }
    TextBuffer& operator+=(char c) {
        *room(1) = c;
        ++size_;
        return *this;
    }
    // Room for `size` more bytes at the end; what is written there counts once
    // commit is given where it ends.
    char* room(std::size_t size) {
        if (size > capacity_ - size_) grow(size);
        return data_.get() + size_;
    }
    void commit(const char* end) { size_ = static_cast<std::size_t>(end - data_.get()); }

    const char* data() const { return data_.get(); }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    // Keeps the first `size` bytes.
    void truncate(std::size_t size) { size_ = std::min(size, size_); }
    // Empties the buffer, and lets go of its block where it grew past `kept` bytes.
    void clear(std::size_t kept) {
        size_ = 0;
        if (capacity_ <= kept) return;
        data_.reset();
        capacity_ = 0;
    }
    // Hands over the block with what it holds, and empties the buffer; its next block
    // holds `next` bytes at least.
    TextPieces::Piece release(std::size_t next) {
        TextPieces::Piece piece{std::move(data_), size_, capacity_};
        nextCapacity_ = next;
        size_ = 0;
        capacity_ = 0;
        return piece;
    }

private:
    void grow(std::size_t more) {
        const std::size_t capacity = std::max({2 * capacity_, size_ + more, nextCapacity_, std::size_t{256}});
        std::unique_ptr<char[]> data(new char[capacity]);
        if (size_ > 0) std::memcpy(data.get(), data_.get(), size_);
        data_ = std::move(data);
        capacity_ = capacity;
    }

    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    std::size_t nextCapacity_ = 0;
};

}  // namespace Vantorn
