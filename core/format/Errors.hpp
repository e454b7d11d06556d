#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace Vantorn {

// Where in a card file a reading error happened: the offset of the first byte of the
// field at fault, the record path down to it, and what the file held against what was
// allowed. All texts are CP932 (mostly ASCII).
struct ReadLocation {
    std::uint64_t offset = 0;
    std::string path;     // e.g. "event 2 > content 5 > child 1 > name"
    std::string found;    // e.g. "88", "70000", "2 bytes left"
    std::string allowed;  // e.g. "0..65", "0..65536", "4 bytes"
};

// What every located reading error has besides its message.
class LocatedError {
public:
    // Empty until the reader that failed has said where.
    const std::optional<ReadLocation>& location() const { return location_; }
    void locate(ReadLocation location) { location_ = std::move(location); }

protected:
    LocatedError() = default;
    ~LocatedError() = default;

private:
    std::optional<ReadLocation> location_;
};

// Every reading failure travels as one of these; front ends catch std::runtime_error
// and show what().
class IOException : public std::runtime_error, public LocatedError {
public:
    explicit IOException(const std::string& message = "I/O例外") : std::runtime_error(message) {}
};

class FileCorruptException : public IOException {
public:
    explicit FileCorruptException(const std::string& message = "ファイルが壊れています")
        : IOException(message) {}
};

class OpenFailedException : public IOException {
public:
    explicit OpenFailedException(const std::string& message = "開けません") : IOException(message) {}
};

// A content kind whose layout is unknown ("Serifu: 未実装。"): the card cannot be read past it.
class UnreadableContentException : public IOException {
public:
    explicit UnreadableContentException(const std::string& kindName) : IOException(kindName + ": 未実装。") {}
};

// A summoning motion: a well-formed card that the estimate does not handle. Not a
// reading error of the file, so not an IOException.
class SummoningNotSupportedException : public std::runtime_error, public LocatedError {
public:
    SummoningNotSupportedException() : std::runtime_error("召喚には対応していません。") {}
};

// The location of an error of the reading family, or nullptr.
inline const ReadLocation* locationOf(const std::exception& error) {
    const auto* located = dynamic_cast<const LocatedError*>(&error);
    return located && located->location() ? &*located->location() : nullptr;
}

}  // namespace Vantorn
