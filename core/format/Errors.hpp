#pragma once

#include <stdexcept>
#include <string>

namespace Vantorn {

// Every reading failure travels as one of these; front ends catch std::runtime_error
// and show what().
class IOException : public std::runtime_error {
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

}  // namespace Vantorn
