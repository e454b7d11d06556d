#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>

// Writes a file the user chose whole or not at all (a temporary file beside it takes
// its place when complete), so a failed save leaves the older file as it was. Returns
// the message the user is shown, none when the file was written.
std::optional<std::u16string> saveWhole(const std::wstring& path, const std::function<void(std::ostream&)>& write);
