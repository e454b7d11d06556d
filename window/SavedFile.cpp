#include "SavedFile.hpp"

#include "files/ReplacingFile.hpp"

std::optional<std::u16string> saveWhole(const std::wstring& path, const std::function<void(std::ostream&)>& write) {
    // libstdc++ opens a wide path with _wfopen, so any name can be written.
    Vantorn::ReplacingFile file{std::filesystem::path(path)};
    if (!file.isOpen()) return u": 開けません";
    write(file.stream());
    if (!file.commit()) return u": 書き込みエラー";
    return std::nullopt;
}
