#include "format/CardFile.hpp"

#include <fstream>
#include <system_error>

#include "format/Errors.hpp"

namespace Vantorn {
namespace {

[[noreturn]] void failTooLarge(std::uint64_t size, bool exact) {
    FileCorruptException error;
    error.locate({0, "fileSize", (exact ? "" : "more than ") + std::to_string(size) + " bytes",
                  "at most " + std::to_string(maxCardFileSize) + " bytes"});
    throw error;
}

// The rest of an open file. Its size, when known, is checked before anything is
// allocated and read in one call; a file of no known size (a pipe, a device) is read
// in blocks up to the bound.
std::string readOpenFile(std::ifstream& in, std::error_code sizeError, std::uintmax_t size) {
    std::string bytes;
    if (!sizeError) {
        if (size > maxCardFileSize) failTooLarge(size, true);
        bytes.resize(static_cast<std::size_t>(size));
        in.read(bytes.data(), static_cast<std::streamsize>(size));
        bytes.resize(static_cast<std::size_t>(in.gcount()));
    } else {
        constexpr std::size_t block = 64 * 1024;
        while (in) {
            if (bytes.size() > maxCardFileSize) failTooLarge(maxCardFileSize, false);
            const std::size_t had = bytes.size();
            bytes.resize(had + block);
            in.read(bytes.data() + had, block);
            bytes.resize(had + static_cast<std::size_t>(in.gcount()));
        }
    }
    // A file that cannot be read (a folder) is as short as what was read of it: the
    // reader then says where it ran out.
    return bytes;
}

}  // namespace

std::string readCardFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw OpenFailedException();
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    return readOpenFile(in, error, size);
}

std::string readCardFile(const std::string& path) {
    // Opened by its bytes as given; the size is asked by the same name where the
    // platform takes it so, else the file is read in blocks.
    std::ifstream in(path, std::ios::binary);
    if (!in) throw OpenFailedException();
    std::error_code error;
    std::uintmax_t size = 0;
#ifndef _WIN32
    size = std::filesystem::file_size(path, error);
#else
    error = std::make_error_code(std::errc::not_supported);
#endif
    return readOpenFile(in, error, size);
}

}  // namespace Vantorn
