#include "files/FileIdentity.hpp"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace Vantorn {

std::optional<FileIdentity> fileIdentity(const std::filesystem::path& path) {
#ifdef _WIN32
    // Opened for no access at all: a file another program holds open still answers.
    HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = GetFileInformationByHandle(file, &information) != 0;
    CloseHandle(file);
    if (!known) return std::nullopt;
    return FileIdentity{information.dwVolumeSerialNumber,
                        (static_cast<unsigned long long>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
#else
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) return std::nullopt;
    return FileIdentity{static_cast<unsigned long long>(status.st_dev), static_cast<unsigned long long>(status.st_ino)};
#endif
}

}  // namespace Vantorn
