#pragma once

// What the program remembers for the user between runs, kept in the
// registry under HKCU\Software\Mornstave.  Missing or unusable values
// give the defaults, so a first run behaves as the program always did.

#include <windows.h>

#include <string>
#include <vector>

namespace Mornstave {

enum class SaveEncoding : DWORD { cp932 = 0, utf8WithBom = 1 };

struct Settings {
    // Options.
    SaveEncoding encoding = SaveEncoding::cp932;
    int fontPoints = 9;  // the result box's text; 9 is the dialog's own size
    bool advise = false;  // the results give the advice on balance

    // The folder each dialog showed last ("" before its first use).
    std::u16string cardFolder;      // open-file dialog
    std::u16string scenarioFolder;  // folder browser
    std::u16string saveFolder;      // save-file dialog

    // The main window's last frame, in workspace coordinates at dpi.
    bool hasPlacement = false;
    RECT normal{};
    bool maximized = false;
    UINT dpi = 96;

    // The card list: its column widths and its height, in pixels at 96 DPI
    // (empty and 0: the designed ones).
    std::vector<int> columnWidths;
    int tableHeight = 0;
    // The 提案 column's width, apart from the others: it is there only when
    // advised (0: the designed one).
    int adviceWidth = 0;
};

// The font sizes the options offer, in points.
constexpr int kFontSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 24};

Settings loadSettings();
// Writes every value; a failure leaves the earlier values (nothing to tell the user).
void saveSettings(const Settings& settings);

}  // namespace Mornstave
