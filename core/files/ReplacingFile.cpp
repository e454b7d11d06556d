#include "files/ReplacingFile.hpp"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace Vantorn {
namespace {

namespace fs = std::filesystem;

#ifndef _WIN32
// A signal handler can reach only static storage: the one temporary file to remove on
// an interrupt, as bytes, armed while it exists.
char interruptedTemporary[4096];
volatile std::sig_atomic_t temporaryArmed = 0;

extern "C" void removeTemporaryAndStop(int signalNumber) {
    if (temporaryArmed) unlink(interruptedTemporary);
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

constexpr int stopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Sets the handler of the stop signals, but leaves ignored those the program was
// started with ignored (as a shell does for a background job).
void handleStopSignals(void (*handler)(int)) {
    for (int signalNumber : stopSignals) {
        if (std::signal(signalNumber, handler) == SIG_IGN) std::signal(signalNumber, SIG_IGN);
    }
}
#endif

// A name beside the target that no other run picks (the process and the time) and no
// card walk takes for a card (it starts with a dot and ends in .tmp).
fs::path temporaryBeside(const fs::path& target) {
#ifdef _WIN32
    const unsigned long process = GetCurrentProcessId();
#else
    const unsigned long process = static_cast<unsigned long>(getpid());
#endif
    const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
    fs::path name = ".";
    name += target.filename();
    name += "." + std::to_string(process) + "-" + std::to_string(tick) + ".tmp";
    return target.parent_path() / name;
}

bool replace(const fs::path& from, const fs::path& to) {
#ifdef _WIN32
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    std::error_code error;
    fs::rename(from, to, error);
    return !error;
#endif
}

}  // namespace

ReplacingFile::ReplacingFile(const fs::path& target) : target_(target) {
    std::error_code error;
    if (fs::is_symlink(target_, error)) {
        const fs::path resolved = fs::weakly_canonical(target_, error);
        if (!error) target_ = resolved;
    }
    const fs::file_status old = fs::status(target_, error);
    if (fs::is_directory(old)) return;  // left closed: there is no file to write
    if (fs::exists(old) && !fs::is_regular_file(old)) {
        // A device or a pipe (/dev/null, /dev/stdout) is written as it is: nothing to replace.
        file_.open(target_, std::ios::binary);
        return;
    }
    if (fs::exists(old)) {
        // A file this user may not write (read-only, held by another program) stays so:
        // it is refused, not replaced behind its back.
        std::ofstream probe(target_, std::ios::binary | std::ios::app);
        if (!probe) return;
    }
    temporary_ = temporaryBeside(target_);
    if (fs::exists(temporary_, error)) {  // left closed: never write over another file
        temporary_.clear();
        return;
    }
    file_.open(temporary_, std::ios::binary | std::ios::trunc);
    if (!file_) return;
    // The new file keeps the permissions of the one it replaces.
    if (fs::is_regular_file(old)) fs::permissions(temporary_, old.permissions(), error);
}

ReplacingFile::~ReplacingFile() { discard(); }

void ReplacingFile::removeOnInterrupt() {
#ifndef _WIN32
    const std::string bytes = temporary_.string();
    if (!file_.is_open() || temporary_.empty() || bytes.size() >= sizeof interruptedTemporary) return;
    std::memcpy(interruptedTemporary, bytes.c_str(), bytes.size() + 1);
    temporaryArmed = 1;
    interruptible_ = true;
    handleStopSignals(removeTemporaryAndStop);
    // A file size limit then fails the write, like a full disk, instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

bool ReplacingFile::commit() {
    if (!file_.is_open()) return false;
    file_.flush();
    file_.close();
    const bool written = !file_.fail() && (temporary_.empty() || replace(temporary_, target_));
    discard();
    return written;
}

void ReplacingFile::discard() {
#ifndef _WIN32
    if (interruptible_) {
        temporaryArmed = 0;
        handleStopSignals(SIG_DFL);
        interruptible_ = false;
    }
#endif
    if (file_.is_open()) file_.close();
    if (!temporary_.empty()) {
        std::error_code error;
        fs::remove(temporary_, error);  // gone already after a successful rename
        temporary_.clear();
    }
}

}  // namespace Vantorn
