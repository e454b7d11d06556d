#pragma once

#include <string>

namespace Vantorn {

// How the CSV writes its text cells. guarded: a text that a spreadsheet would take for
// a formula (it begins with '=', '+', '-', '@', TAB or CR) gets a leading apostrophe,
// which spreadsheets show as text; raw: every text as it is, for tools that read the
// CSV as data. Numbers are never touched.
enum class CsvTexts { guarded, raw };

// A text cell's value as the CSV writes it.
std::string csvText(std::string text, CsvTexts texts);

}  // namespace Vantorn
