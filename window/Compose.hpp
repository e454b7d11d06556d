#pragma once

// The text that the window's commands show, built without any window so
// that it can be tested on every platform.  All texts are CP932 bytes.

#include <ostream>
#include <string>
#include <vector>

namespace Mornstave {

// One card: the bracketed path line, the description and the level
// estimate, with no empty line after it.  Reading errors propagate as the
// core throws them (the std::runtime_error family).
std::string composeCard(const std::string& path);

// The folder path with exactly one trailing backslash.  A CP932 character
// whose second byte is 0x5C (for example 表 or ソ) is not a backslash.
std::string folderPrefix(const std::string& folder);

// One block of a folder walk: "[" + dir + name + "]", then the card's text
// or, when reading it fails, the error message; then an empty line.
// `dir` is a folderPrefix result.
void composeFolderEntry(std::ostream& out, const std::string& dir, const std::string& name);

// The folder walk over names in the order given (the order a file search
// returned them).
std::string composeFolder(const std::string& dir, const std::vector<std::string>& names);

// The text as the result box shows and the save command writes it: a CR is
// put before every LF, also before one that already follows a CR.
std::string publish(const std::string& text);

}  // namespace Mornstave
