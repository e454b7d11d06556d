#pragma once

// The read-only box that shows the result.  A long result is shown piece
// by piece from timer ticks, so that the window answers meanwhile: an
// edit control takes time in proportion to the text it lays out, and
// under Wine 5,000 cards' text takes it close to a minute.

#include <windows.h>

#include <optional>
#include <string>
#include <utility>

namespace Mornstave {

class ResultBox {
public:
    ResultBox() = default;
    ~ResultBox();
    ResultBox(const ResultBox&) = delete;
    ResultBox& operator=(const ResultBox&) = delete;

    // Takes over the dialog's control: its keys, word breaks and text limit.
    void attach(HWND box);
    HWND handle() const { return box_; }

    // The font: the dialog's own face at points and dpi.
    void setFont(HWND dialog, int points, UINT dpi);

    // Shows text (CR LF line ends) in place of what the box held.  A short
    // text is shown at once; a long one starts with its first lines, and
    // the window's timer timerId brings the rest (see fillStep).
    void show(HWND dialog, UINT_PTR timerId, std::u16string text);
    // Adds the next lines for a while; false once the whole text is shown
    // (the timer is then stopped).
    bool fillStep(HWND dialog, UINT_PTR timerId);
    bool filling() const { return filled_ < pending_.size(); }

    void selectAll() const;
    // Selects the characters [from, to) and scrolls their line to the top;
    // a part not in the box yet is selected once it has arrived.
    void select(std::size_t from, std::size_t to);

private:
    static LRESULT CALLBACK procedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);
    // The end of the piece that starts at `from`: after a line feed, so
    // that neither a CR LF nor a surrogate pair is split.
    std::size_t pieceEnd(std::size_t from) const;
    void append(std::size_t from, std::size_t to);
    void showSelection(std::size_t from, std::size_t to) const;

    HWND box_ = nullptr;
    HFONT font_ = nullptr;
    std::u16string pending_;  // the text being shown
    std::size_t filled_ = 0;  // how much of it the box holds
    std::size_t piece_ = 0;   // the characters to add next, at least
    std::optional<std::pair<std::size_t, std::size_t>> wanted_;  // a selection still to come
};

}  // namespace Mornstave
