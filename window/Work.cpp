#include "Work.hpp"

#include <optional>

namespace Mornstave {

void Work::start(HWND window, std::vector<std::u16string> paths, bool advised) {
    stop();
    cancelled_ = false;
    thread_ = std::thread([this, window, paths = std::move(paths), advised] {
        std::optional<Composition> composed =
            Composition::of(paths, Composition::Paths::walked, false, &cancelled_, advised);
        if (!composed) return;
        auto result = std::make_unique<Composition>(std::move(*composed));
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
