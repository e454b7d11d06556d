#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "format/Limits.hpp"

namespace Vantorn {

// The whole file at path, read at once. Throws OpenFailedException when it cannot be
// opened, FileCorruptException located at "fileSize" when it holds more than
// maxCardFileSize bytes, IOException when reading fails.
std::string readCardFile(const std::filesystem::path& path);
// The same for a byte-string path, passed to the platform unchanged.
std::string readCardFile(const std::string& path);
// The same, or nothing when path is a folder: the open file says what it is, so a file
// costs no look at its path besides the open.
std::optional<std::string> readCardFileUnlessFolder(const std::filesystem::path& path);
// Throws as readCardFile does for a file of `size` bytes that is too large: for bytes
// that come from elsewhere than a file.
void checkCardFileSize(std::uint64_t size);

}  // namespace Vantorn
