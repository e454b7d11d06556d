#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "format/Errors.hpp"
#include "format/Limits.hpp"

namespace Vantorn {

class CardReader;

enum class FieldType { int32, int16, byte, boolean, string, skip };

// One field as it was read: where, how long, and what it held.
struct FieldRead {
    std::uint64_t offset;
    std::uint64_t size;  // bytes consumed
    const char* name;
    FieldType type;
    std::int64_t number;    // the value; for a string its declared length, for a skip its length
    std::string_view text;  // a string's text (CP932)
};

// Sees every field a reader reads, in file order (the --explain listing).
class ReadListener {
public:
    virtual void field(const CardReader& reader, const FieldRead& read) = 0;

protected:
    ~ReadListener() = default;
};

// The reading context of a card file held whole in memory: the primitive reads of the
// format, the offset they have reached and the record path down to the field being
// read. Errors it raises, and errors raised with fail(), carry that offset and path. A
// listener, when given, hears of every field; without one, reading costs no more than
// the bytes. The bytes must outlive the reader.
class CardReader {
public:
    explicit CardReader(std::string_view bytes, ReadListener* listener = nullptr)
        : bytes_(bytes), listener_(listener) {
        path_.reserve(16);
    }

    // Little-endian integers, bytes widened without sign, a byte that is not 0 as true.
    // Inline: they are most of the reading.
    std::int32_t int32(const char* name) {
        const std::uint64_t start = offset_;
        unsigned char b[4];
        readBytes(b, 4, start, name);
        const auto value = static_cast<std::int32_t>(std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 |
                                                     std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24);
        heard(start, name, FieldType::int32, value);
        return value;
    }
    std::uint16_t int16(const char* name) {
        const std::uint64_t start = offset_;
        unsigned char b[2];
        readBytes(b, 2, start, name);
        const auto value = static_cast<std::uint16_t>(b[0] | b[1] << 8);
        heard(start, name, FieldType::int16, value);
        return value;
    }
    std::uint8_t byte(const char* name) {
        const std::uint64_t start = offset_;
        unsigned char b;
        readBytes(&b, 1, start, name);
        heard(start, name, FieldType::byte, b);
        return b;
    }
    bool boolean(const char* name) {
        const std::uint64_t start = offset_;
        unsigned char b;
        readBytes(&b, 1, start, name);
        heard(start, name, FieldType::boolean, b);
        return b != 0;
    }
    // A 32-bit length (at most maxStringLength), then that many CP932 bytes; the text
    // ends at the first zero byte.
    std::string string(const char* name);
    // Moves the read position forward by `count` bytes, past the end if need be: the
    // next read then finds nothing left.
    void skip(std::int64_t count, const char* name);
    // The next byte without consuming it, or -1 at the end of the file.
    int peek() const { return remaining() > 0 ? static_cast<unsigned char>(bytes_[offset_]) : -1; }

    std::uint64_t offset() const { return offset_; }
    // The bytes after the read position.
    std::uint64_t remaining() const { return offset_ < bytes_.size() ? bytes_.size() - offset_ : 0; }

    // The record path: enter("event", 2) ... leave().
    void enter(const char* record, std::int64_t number) { path_.push_back({record, number}); }
    void leave() { path_.pop_back(); }
    std::size_t depth() const { return path_.size(); }
    // The path to `field` in the current record, e.g. "event 2 > content 5 > name".
    // Past a few levels the middle is left out, so that a path stays short however
    // deep the record lies.
    std::string path(std::string_view field = {}) const;

    // Raises `error` located at the field that began at `offset` in the current record.
    template <class Error>
    [[noreturn]] void fail(Error error, std::uint64_t offset, const char* field, std::string found,
                           std::string allowed) const {
        error.locate({offset, path(field), std::move(found), std::move(allowed)});
        throw error;
    }

private:
    struct Segment {
        const char* record;
        std::int64_t number;
    };

    // Reads `size` bytes or raises IOException located at `start`.
    void readBytes(void* into, std::size_t size, std::uint64_t start, const char* name) {
        if (remaining() < size) {
            failShortRead(size, start, name);
        }
        std::memcpy(into, bytes_.data() + offset_, size);
        offset_ += size;
    }
    [[noreturn]] void failShortRead(std::size_t size, std::uint64_t start, const char* name) const;
    void heard(std::uint64_t start, const char* name, FieldType type, std::int64_t number,
               std::string_view text = {}) {
        if (listener_) listener_->field(*this, {start, offset_ - start, name, type, number, text});
    }

    std::string_view bytes_;
    ReadListener* listener_;
    std::uint64_t offset_ = 0;
    std::vector<Segment> path_;
};

// Enters a record for the life of the object.
class RecordScope {
public:
    RecordScope(CardReader& reader, const char* record, std::int64_t number) : reader_(reader) {
        reader_.enter(record, number);
    }
    ~RecordScope() { reader_.leave(); }
    RecordScope(const RecordScope&) = delete;
    RecordScope& operator=(const RecordScope&) = delete;

private:
    CardReader& reader_;
};

}  // namespace Vantorn
