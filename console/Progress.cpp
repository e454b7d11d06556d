#include "Progress.hpp"

#include <ostream>

namespace Vantorn {
namespace {

constexpr std::chrono::milliseconds quietStart{1000};
constexpr std::chrono::milliseconds redrawEvery{100};

}  // namespace

Progress::Progress(std::ostream& err, bool enabled, TextEncoding encoding, std::string foldersLabel,
                   std::string cardsLabel, Clock clock)
    : err_(err),
      enabled_(enabled),
      encoding_(encoding),
      foldersLabel_(std::move(foldersLabel)),
      cardsLabel_(std::move(cardsLabel)),
      clock_(std::move(clock)),
      start_(enabled ? clock_() : std::chrono::steady_clock::time_point{}) {}

void Progress::update() {
    if (!enabled_) return;
    const auto now = clock_();
    if (now - start_ < quietStart || (shownWidth_ > 0 && now - shownAt_ < redrawEvery)) return;
    shownAt_ = now;
    const std::string line = foldersLabel_ + " " + std::to_string(folders_) + "  " + cardsLabel_ + " " +
                             std::to_string(cards_);
    // Counts only grow, so the new line covers the old one.
    err_ << '\r' << line << std::flush;
    shownWidth_ = displayWidth(line, encoding_);
}

void Progress::clear() {
    if (shownWidth_ == 0) return;
    err_ << '\r' << std::string(shownWidth_, ' ') << '\r' << std::flush;
    shownWidth_ = 0;
}

}  // namespace Vantorn
