#pragma once

#include <filesystem>
#include <optional>

namespace Vantorn {

// What makes a file itself, whatever path or link reaches it: the device and the file's
// number there (on Windows, the volume's serial number and the file index).
struct FileIdentity {
    unsigned long long device = 0;
    unsigned long long number = 0;
    bool operator==(const FileIdentity& other) const { return device == other.device && number == other.number; }
};

// The identity of the file a path names, links followed; none when there is no such file.
std::optional<FileIdentity> fileIdentity(const std::filesystem::path& path);

}  // namespace Vantorn
