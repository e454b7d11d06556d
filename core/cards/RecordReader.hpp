#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "cards/Layouts.hpp"
#include "format/CardReader.hpp"
#include "format/Errors.hpp"

namespace Vantorn {

// Reads the plain fields a layout lists (into integers or enums), and keeps the bounds they must hold, to be
// checked in file order once the record is read.
class RecordReader {
public:
    explicit RecordReader(CardReader& in) : in(in) {}

    template <class T>
    void int32(const char* name, T& value, Range range = unbounded) {
        const std::uint64_t at = in.offset();
        value = static_cast<T>(in.int32(name));
        if (range.checked()) bound(name, at, static_cast<std::int32_t>(value), range);
    }
    template <class T>
    void byte(const char* name, T& value, Range range = unbounded) {
        const std::uint64_t at = in.offset();
        value = static_cast<T>(in.byte(name));
        if (range.checked()) bound(name, at, static_cast<std::int32_t>(value), range);
    }
    void boolean(const char* name, bool& value) { value = in.boolean(name); }
    void string(const char* name, std::string& value) { value = in.string(name); }

    // The first field read outside its bounds makes the file corrupt, located at the
    // field; `before` runs first.
    template <class Before>
    void checkBounds(Before before) const {
        for (std::size_t i = 0; i < count_; ++i) {
            const Bound& b = bounds_[i];
            if (!b.range.holds(b.value)) {
                before();
                in.fail(FileCorruptException(), b.offset, b.name, std::to_string(b.value), b.range.text());
            }
        }
    }

    CardReader& in;

private:
    struct Bound {
        const char* name;
        std::uint64_t offset;
        std::int32_t value;
        Range range;
    };
    void bound(const char* name, std::uint64_t offset, std::int32_t value, Range range) {
        if (count_ < bounds_.size()) bounds_[count_++] = {name, offset, value, range};
    }

    std::array<Bound, 8> bounds_{};  // as many as a record has
    std::size_t count_ = 0;
};

}  // namespace Vantorn
