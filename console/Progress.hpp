#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>

#include "summary/TextForm.hpp"

namespace Vantorn {

// A one-line count of folders walked and cards done on standard error, for a terminal:
// shown only once the run has lasted a second, redrawn at most ten times a second,
// and wiped before any other line and at the end, so that nothing of it stays.
class Progress {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // Shows nothing unless enabled (standard error is a terminal). The labels are
    // text in the stream's encoding.
    Progress(std::ostream& err, bool enabled, TextEncoding encoding, std::string foldersLabel,
             std::string cardsLabel, Clock clock = std::chrono::steady_clock::now);
    ~Progress() { clear(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void folderListed() { ++folders_; update(); }
    void cardDone() { ++cards_; update(); }
    // Wipes the line, if shown.
    void clear();

private:
    void update();

    std::ostream& err_;
    bool enabled_;
    TextEncoding encoding_;
    std::string foldersLabel_;
    std::string cardsLabel_;
    Clock clock_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point shownAt_;
    std::size_t folders_ = 0;
    std::size_t cards_ = 0;
    std::size_t shownWidth_ = 0;  // columns on the line; 0: nothing shown
};

}  // namespace Vantorn
