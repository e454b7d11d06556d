#pragma once

#include <filesystem>
#include <fstream>
#include <ostream>

namespace Vantorn {

// A file written whole or not at all. The text goes to a temporary file in the
// target's folder, which takes the target's place only on commit, in one rename: a run
// that fails, throws or is stopped leaves the older file as it was and no temporary.
// A target that is a symbolic link is written where the link points.
class ReplacingFile {
public:
    explicit ReplacingFile(const std::filesystem::path& target);
    // Removes the temporary file unless committed.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // False when the temporary file could not be made, or the target is a folder or a
    // file that cannot be written.
    bool isOpen() const { return file_.is_open(); }
    std::ostream& stream() { return file_; }

    // Until commit, an interrupt (Ctrl-C) or a termination request removes the
    // temporary file before the program ends (POSIX; one file at a time).
    void removeOnInterrupt();

    // Writes out what is left and puts the file in the target's place; false (the
    // temporary removed, the target untouched) when any write or the rename failed.
    bool commit();

private:
    void discard();

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::ofstream file_;
    bool interruptible_ = false;
};

}  // namespace Vantorn
