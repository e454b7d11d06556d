#pragma once

// Composing many cards off the window's thread: the window stays
// responsive and shows that it is busy meanwhile.  The result arrives as
// a message to the window.

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Compose.hpp"

namespace Mornstave {

// The message a finished composition sends; its LPARAM is a Composition*
// that the window takes over (takeResult).
constexpr UINT kComposedMessage = WM_APP + 1;

class Work {
public:
    Work() = default;
    ~Work() { stop(); }
    Work(const Work&) = delete;
    Work& operator=(const Work&) = delete;

    // Composes the paths as Composition::of does (with advice where
    // advised) and posts the result to window.
    void start(HWND window, std::vector<std::u16string> paths, bool advised);
    bool running() const { return thread_.joinable(); }
    // Ends the work at its next card and waits for the thread.
    void stop();
    // Takes the result of a kComposedMessage and ends the thread.
    std::unique_ptr<Composition> takeResult(LPARAM lParam);

private:
    std::thread thread_;
    std::atomic<bool> cancelled_{false};
};

}  // namespace Mornstave
