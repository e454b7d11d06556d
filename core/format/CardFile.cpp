#include "format/CardFile.hpp"

#include <algorithm>
#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "format/Errors.hpp"

namespace Vantorn {
namespace {

#ifdef _WIN32
using FileStatus = struct _stat64;
int statusOf(int fd, FileStatus& status) { return _fstat64(fd, &status); }
int readSome(int fd, char* into, std::size_t size) {
    return _read(fd, into, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
}
void closeFile(int fd) { _close(fd); }
constexpr int openFlags = _O_RDONLY | _O_BINARY;
#else
using FileStatus = struct stat;
int statusOf(int fd, FileStatus& status) { return fstat(fd, &status); }
long readSome(int fd, char* into, std::size_t size) {
    long got;
    do {
        got = static_cast<long>(::read(fd, into, size));
    } while (got < 0 && errno == EINTR);
    return got;
}
void closeFile(int fd) { ::close(fd); }
constexpr int openFlags = O_RDONLY | O_CLOEXEC;
#endif

int openFile(const std::filesystem::path& path) {
#ifdef _WIN32
    return _wopen(path.c_str(), openFlags);
#else
    return ::open(path.c_str(), openFlags);
#endif
}

// Opened by its bytes as given.
int openFile(const std::string& path) {
#ifdef _WIN32
    return _open(path.c_str(), openFlags);
#else
    return ::open(path.c_str(), openFlags);
#endif
}

// An open file, closed when it goes.
class OpenFile {
public:
    explicit OpenFile(int fd) : fd_(fd) {
        if (fd_ < 0) throw OpenFailedException();
    }
    ~OpenFile() { closeFile(fd_); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

[[noreturn]] void failTooLarge(std::uint64_t size, bool exact) {
    FileCorruptException error;
    error.locate({0, "fileSize", (exact ? "" : "more than ") + std::to_string(size) + " bytes",
                  "at most " + std::to_string(maxCardFileSize) + " bytes"});
    throw error;
}

// Reads into bytes from `had` on until the end, a read error, or `limit` bytes in all.
void readUntil(int fd, std::string& bytes, std::size_t had, std::size_t limit) {
    while (had < limit) {
        const auto got = readSome(fd, bytes.data() + had, limit - had);
        if (got <= 0) break;
        had += static_cast<std::size_t>(got);
    }
    bytes.resize(had);
}

// The rest of an open file, or nothing for a folder. The size of a regular file, asked
// of the open file itself, is checked before anything is allocated, and the file is
// read in as few calls as the platform allows; a file of no known size (a pipe, a
// device) is read in blocks up to the bound.
std::optional<std::string> readUnlessFolder(int fd) {
    std::string bytes;
    FileStatus status{};
    const bool known = statusOf(fd, status) == 0;
    if (known && (status.st_mode & S_IFMT) == S_IFDIR) return std::nullopt;
    if (known && (status.st_mode & S_IFMT) == S_IFREG) {
        const auto size = static_cast<std::uint64_t>(status.st_size);
        checkCardFileSize(size);
        bytes.resize(static_cast<std::size_t>(size));
        readUntil(fd, bytes, 0, bytes.size());
        return bytes;
    }
    constexpr std::size_t block = 64 * 1024;
    for (;;) {
        if (bytes.size() > maxCardFileSize) failTooLarge(maxCardFileSize, false);
        const std::size_t had = bytes.size();
        bytes.resize(had + block);
        readUntil(fd, bytes, had, had + block);
        if (bytes.size() < had + block) return bytes;
    }
}

// A folder read as a card is as short as what can be read of it, nothing: the reader
// then says where it ran out.
std::string readOpenFile(int fd) {
    std::optional<std::string> bytes = readUnlessFolder(fd);
    return bytes ? std::move(*bytes) : std::string();
}

}  // namespace

void checkCardFileSize(std::uint64_t size) {
    if (size > maxCardFileSize) failTooLarge(size, true);
}

std::string readCardFile(const std::filesystem::path& path) {
    const OpenFile file(openFile(path));
    return readOpenFile(file.fd());
}

std::optional<std::string> readCardFileUnlessFolder(const std::filesystem::path& path) {
    const int fd = openFile(path);
    if (fd < 0) {
        // Some systems open no folder as a file: only then is the path looked at.
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) return std::nullopt;
    }
    const OpenFile file(fd);
    return readUnlessFolder(file.fd());
}

std::string readCardFile(const std::string& path) {
    const OpenFile file(openFile(path));
    return readOpenFile(file.fd());
}

}  // namespace Vantorn
