#include "ResultBox.hpp"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "WideText.hpp"

namespace Mornstave {

namespace {

// Texts up to this many characters go into the box in one piece.
constexpr std::size_t kImmediate = 32768;
// A longer text's pieces: each tick adds pieces for about this long, their
// size following what the box managed in the last one (a box takes time in
// proportion to the characters added, plus a little for each addition).
constexpr ULONGLONG kTickBudgetMs = 100;
constexpr std::size_t kFirstPiece = 4096;
constexpr std::size_t kSmallestPiece = 1024;
constexpr std::size_t kLargestPiece = 65536;

bool isSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == 0x3000;
}

// Characters of scripts written without spaces, between which a line may
// break.
bool isWide(wchar_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF);
}

// Japanese line-breaking rules in brief: no line starts with closing
// punctuation or a small kana, none ends with opening punctuation.
bool mayNotStartLine(wchar_t c) {
    if (c < 0x80) return c != 0 && strchr(",.!?:;)]}", c) != nullptr;
    return c >= 0x2000 && wcschr(L"、。，．・：；？！゛゜ヽヾゝゞ々ー）］｝」』】〕〉》’”"
                                 L"ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ",
                                 c) != nullptr;
}

bool mayNotEndLine(wchar_t c) {
    if (c < 0x80) return c != 0 && strchr("([{", c) != nullptr;
    return c >= 0x2000 && wcschr(L"（［｛「『【〔〈《‘“", c) != nullptr;
}

bool breakBefore(const wchar_t* text, int at) {
    const wchar_t before = text[at - 1];
    const wchar_t after = text[at];
    if (isSpace(before)) return !isSpace(after);
    if (!isWide(before) && !isWide(after)) return false;
    return !mayNotStartLine(after) && !mayNotEndLine(before) && !isSpace(after);
}

// The box's word breaks: where the system's would break a Japanese text,
// in brief.  Supplying them also spares Wine's edit control from
// re-analysing the whole text for every piece added.
int CALLBACK wordBreak(LPWSTR text, int current, int length, int action) {
    switch (action) {
    case WB_ISDELIMITER:
        return current < length && isSpace(text[current]);
    case WB_LEFT: {
        int at = std::min(current, length);
        while (at > 0 && !breakBefore(text, at)) --at;
        return at;
    }
    case WB_RIGHT: {
        int at = std::max(current, 0) + 1;
        while (at < length && !breakBefore(text, at)) ++at;
        return std::min(at, length);
    }
    }
    return 0;
}

}  // namespace

ResultBox::~ResultBox() {
    if (box_ != nullptr && IsWindow(box_)) {
        RemoveWindowSubclass(box_, procedure, 0);
    }
    if (font_ != nullptr) DeleteObject(font_);
}

void ResultBox::attach(HWND box) {
    box_ = box;
    SetWindowSubclass(box, procedure, 0, reinterpret_cast<DWORD_PTR>(this));
    SendMessageW(box, EM_SETWORDBREAKPROC, 0, reinterpret_cast<LPARAM>(wordBreak));
    // A multi-line box takes its longest text only once told so.
    SendMessageW(box, EM_SETLIMITTEXT, 0, 0);
}

void ResultBox::setFont(HWND dialog, int points, UINT dpi) {
    LOGFONTW face{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof face, &face);
    face.lfHeight = -MulDiv(points, static_cast<int>(dpi), 72);
    face.lfWidth = 0;
    HFONT font = CreateFontIndirectW(&face);
    if (font == nullptr) return;
    SendMessageW(box_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (font_ != nullptr) DeleteObject(font_);
    font_ = font;
}

void ResultBox::show(HWND dialog, UINT_PTR timerId, std::u16string text) {
    KillTimer(dialog, timerId);
    wanted_.reset();
    if (text.size() <= kImmediate) {
        pending_.clear();
        filled_ = 0;
        SetWindowTextW(box_, wide(text));
        return;
    }
    pending_ = std::move(text);
    piece_ = kFirstPiece;
    filled_ = pieceEnd(0);
    SetWindowTextW(box_, wide(pending_.substr(0, filled_)));
    // A timer's tick waits for input and painting, so the window answers.
    SetTimer(dialog, timerId, 0, nullptr);
}

bool ResultBox::fillStep(HWND dialog, UINT_PTR timerId) {
    const ULONGLONG end = GetTickCount64() + kTickBudgetMs;
    SendMessageW(box_, WM_SETREDRAW, FALSE, 0);
    // Adding moves the caret to the end; the reader's place is kept.
    DWORD start = 0, stop = 0;
    SendMessageW(box_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&stop));
    const auto firstLine = SendMessageW(box_, EM_GETFIRSTVISIBLELINE, 0, 0);
    do {
        const ULONGLONG started = GetTickCount64();
        const std::size_t to = pieceEnd(filled_);
        append(filled_, to);
        filled_ = to;
        const ULONGLONG took = GetTickCount64() - started;
        if (took * 4 < kTickBudgetMs) {
            piece_ = std::min(piece_ * 2, kLargestPiece);
        } else if (took > kTickBudgetMs) {
            piece_ = std::max(piece_ / 2, kSmallestPiece);
        }
    } while (filling() && GetTickCount64() < end);
    if (wanted_ && wanted_->second <= filled_) {
        showSelection(wanted_->first, wanted_->second);
        wanted_.reset();
    } else {
        SendMessageW(box_, EM_SETSEL, start, stop);
        const auto nowFirst = SendMessageW(box_, EM_GETFIRSTVISIBLELINE, 0, 0);
        SendMessageW(box_, EM_LINESCROLL, 0, firstLine - nowFirst);
    }
    SendMessageW(box_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(box_, nullptr, TRUE);
    if (filling()) return true;
    KillTimer(dialog, timerId);
    pending_.clear();
    pending_.shrink_to_fit();
    filled_ = 0;
    return false;
}

void ResultBox::selectAll() const {
    SendMessageW(box_, EM_SETSEL, 0, -1);
}

void ResultBox::select(std::size_t from, std::size_t to) {
    if (filling() && to > filled_) {
        wanted_.emplace(from, to);
        return;
    }
    wanted_.reset();
    showSelection(from, to);
}

void ResultBox::showSelection(std::size_t from, std::size_t to) const {
    SendMessageW(box_, EM_SETSEL, from, to);
    const auto line = SendMessageW(box_, EM_LINEFROMCHAR, from, 0);
    const auto first = SendMessageW(box_, EM_GETFIRSTVISIBLELINE, 0, 0);
    SendMessageW(box_, EM_LINESCROLL, 0, line - first);
}

std::size_t ResultBox::pieceEnd(std::size_t from) const {
    if (pending_.size() - from <= piece_) return pending_.size();
    const auto lineEnd = pending_.find(u'\n', from + piece_);
    return lineEnd == std::u16string::npos ? pending_.size() : lineEnd + 1;
}

void ResultBox::append(std::size_t from, std::size_t to) {
    const std::u16string piece = pending_.substr(from, to - from);
    SendMessageW(box_, EM_SETSEL, from, from);
    SendMessageW(box_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide(piece)));
}

// A multi-line edit in a dialog posts WM_CLOSE to the dialog on Escape,
// which would end the program and lose an unsaved result.  The box drops
// the key, both as the key press (what Wine's edit acts on) and as the
// character, and leaves everything else to its own procedure.
LRESULT CALLBACK ResultBox::procedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR) {
    if ((message == WM_KEYDOWN || message == WM_CHAR) && wParam == VK_ESCAPE) {
        return 0;
    }
    return DefSubclassProc(box, message, wParam, lParam);
}

}  // namespace Mornstave
