#include "summary/CsvText.hpp"

namespace Vantorn {

std::string csvText(std::string text, CsvTexts texts) {
    if (texts == CsvTexts::guarded && !text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string::npos) {
        text.insert(text.begin(), '\'');
    }
    return text;
}

}  // namespace Vantorn
