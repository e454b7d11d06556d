#include "Settings.hpp"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

namespace Mornstave {

namespace {

constexpr wchar_t kKey[] = L"Software\\Mornstave";

class Key {
public:
    explicit Key(bool write) {
        if (write) {
            RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &key_, nullptr);
        } else {
            RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, &key_);
        }
    }
    ~Key() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    bool number(const wchar_t* name, DWORD& value) const {
        DWORD type = 0;
        DWORD data = 0;
        DWORD size = sizeof data;
        if (key_ == nullptr ||
            RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
                ERROR_SUCCESS ||
            type != REG_DWORD) {
            return false;
        }
        value = data;
        return true;
    }
    bool text(const wchar_t* name, std::u16string& value) const {
        DWORD type = 0;
        DWORD size = 0;
        if (key_ == nullptr ||
            RegQueryValueExW(key_, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            type != REG_SZ) {
            return false;
        }
        std::vector<char16_t> data(size / sizeof(char16_t) + 1, u'\0');
        if (RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                             &size) != ERROR_SUCCESS) {
            return false;
        }
        value = data.data();  // a stored string need not end in a zero
        return true;
    }
    void setNumber(const wchar_t* name, DWORD value) const {
        if (key_ != nullptr) {
            RegSetValueExW(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                           sizeof value);
        }
    }
    void setText(const wchar_t* name, const std::u16string& value) const {
        if (key_ != nullptr) {
            RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>((value.size() + 1) * sizeof(char16_t)));
        }
    }

private:
    HKEY key_ = nullptr;
};

// Widths as "120,80,...": sensible numbers only, else none at all.
std::vector<int> numbers(const std::u16string& text) {
    std::vector<int> values;
    int value = -1;
    for (char16_t c : text + u',') {
        if (c >= u'0' && c <= u'9' && value < 10000) {
            value = (value < 0 ? 0 : value * 10) + (c - u'0');
        } else if (c == u',' && value > 0 && value < 10000) {
            values.push_back(value);
            value = -1;
        } else {
            return {};
        }
    }
    return values;
}

std::u16string joined(const std::vector<int>& values) {
    std::u16string text;
    for (int value : values) {
        if (!text.empty()) text += u',';
        for (char c : std::to_string(value)) text += static_cast<char16_t>(c);
    }
    return text;
}

}  // namespace

Settings loadSettings() {
    Settings settings;
    const Key key(false);
    DWORD value = 0;
    if (key.number(L"SaveEncoding", value) && value <= 1) {
        settings.encoding = static_cast<SaveEncoding>(value);
    }
    if (key.number(L"FontSize", value) &&
        std::find(std::begin(kFontSizes), std::end(kFontSizes), static_cast<int>(value)) !=
            std::end(kFontSizes)) {
        settings.fontPoints = static_cast<int>(value);
    }
    if (key.number(L"Advise", value)) settings.advise = value != 0;
    key.text(L"CardFolder", settings.cardFolder);
    key.text(L"ScenarioFolder", settings.scenarioFolder);
    key.text(L"SaveFolder", settings.saveFolder);

    DWORD left = 0, top = 0, right = 0, bottom = 0, maximized = 0, dpi = 0;
    if (key.number(L"WindowLeft", left) && key.number(L"WindowTop", top) &&
        key.number(L"WindowRight", right) && key.number(L"WindowBottom", bottom) &&
        key.number(L"WindowMaximized", maximized) && key.number(L"WindowDpi", dpi) && dpi >= 48) {
        // Coordinates are stored as the bits of signed numbers.
        settings.normal = {static_cast<LONG>(left), static_cast<LONG>(top),
                           static_cast<LONG>(right), static_cast<LONG>(bottom)};
        settings.maximized = maximized != 0;
        settings.dpi = dpi;
        settings.hasPlacement =
            settings.normal.right > settings.normal.left && settings.normal.bottom > settings.normal.top;
    }
    std::u16string widths;
    if (key.text(L"TableColumnWidths", widths)) {
        settings.columnWidths = numbers(widths);
    }
    if (key.number(L"TableHeight", value) && value < 10000) {
        settings.tableHeight = static_cast<int>(value);
    }
    if (key.number(L"TableAdviceWidth", value) && value > 0 && value < 10000) {
        settings.adviceWidth = static_cast<int>(value);
    }
    return settings;
}

void saveSettings(const Settings& settings) {
    const Key key(true);
    key.setNumber(L"SaveEncoding", static_cast<DWORD>(settings.encoding));
    key.setNumber(L"FontSize", static_cast<DWORD>(settings.fontPoints));
    key.setNumber(L"Advise", settings.advise ? 1 : 0);
    key.setText(L"CardFolder", settings.cardFolder);
    key.setText(L"ScenarioFolder", settings.scenarioFolder);
    key.setText(L"SaveFolder", settings.saveFolder);
    key.setText(L"TableColumnWidths", joined(settings.columnWidths));
    key.setNumber(L"TableHeight", static_cast<DWORD>(settings.tableHeight));
    key.setNumber(L"TableAdviceWidth", static_cast<DWORD>(settings.adviceWidth));
    if (settings.hasPlacement) {
        key.setNumber(L"WindowLeft", static_cast<DWORD>(settings.normal.left));
        key.setNumber(L"WindowTop", static_cast<DWORD>(settings.normal.top));
        key.setNumber(L"WindowRight", static_cast<DWORD>(settings.normal.right));
        key.setNumber(L"WindowBottom", static_cast<DWORD>(settings.normal.bottom));
        key.setNumber(L"WindowMaximized", settings.maximized ? 1 : 0);
        key.setNumber(L"WindowDpi", settings.dpi);
    }
}

}  // namespace Mornstave
