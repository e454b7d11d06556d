#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace Vantorn {

// The largest card file read, in bytes. A scenario's cards are a few kilobytes; the
// format itself allows far more, and reading a card takes several times its size in
// memory, so a larger file is refused as corrupt before anything is allocated for it.
constexpr std::uint64_t maxCardFileSize = std::uint64_t{64} << 20;  // 64 MiB

// The whole file at path, read at once. Throws OpenFailedException when it cannot be
// opened, FileCorruptException located at "fileSize" when it holds more than
// maxCardFileSize bytes, IOException when reading fails.
std::string readCardFile(const std::filesystem::path& path);
// The same for a byte-string path, passed to the platform unchanged.
std::string readCardFile(const std::string& path);

}  // namespace Vantorn
