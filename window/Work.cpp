#include "Work.hpp"

#include "WideText.hpp"

namespace Mornstave {

namespace {

bool isFolder(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(wide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::vector<std::u16string> folderCards(const std::u16string& folder) {
    const std::u16string dir = folderPrefix(folder);
    std::vector<std::u16string> paths;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(wide(dir + u"skill*.vnt"), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return paths;
    }
    do {
        paths.push_back(dir + reinterpret_cast<const char16_t*>(entry.cFileName));
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return paths;
}

void Work::start(HWND window, std::vector<std::u16string> paths) {
    stop();
    cancelled_ = false;
    thread_ = std::thread([this, window, paths = std::move(paths)] {
        auto result = std::make_unique<Composition>();
        auto compose = [&](const std::u16string& card) {
            composeEntry(result->text, card, &result->table);
            ++result->cards;
        };
        for (const auto& path : paths) {
            if (!isFolder(path)) {
                compose(path);
                continue;
            }
            for (const auto& card : folderCards(path)) {
                if (cancelled_) return;
                compose(card);
            }
        }
        // Owned by the message from here; lost with it only if the window
        // is gone, and then the program is ending.
        if (PostMessageW(window, kComposedMessage, 0, reinterpret_cast<LPARAM>(result.get()))) {
            result.release();
        }
    });
}

void Work::stop() {
    if (thread_.joinable()) {
        cancelled_ = true;
        thread_.join();
    }
}

std::unique_ptr<Composition> Work::takeResult(LPARAM lParam) {
    if (thread_.joinable()) thread_.join();
    return std::unique_ptr<Composition>(reinterpret_cast<Composition*>(lParam));
}

}  // namespace Mornstave
