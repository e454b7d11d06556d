#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace Vantorn {

// The platform's path for a path as the program holds it: UTF-8 (a UTF-8 locale, or
// Windows, where it becomes the wide name), or bytes passed on unchanged.
std::filesystem::path nativePath(const std::string& path, bool pathsAreUtf8);

// True for a file name of the form skill*.vnt, letters in any case, as Windows matches.
bool isCardName(const std::filesystem::path& name);

// The order of a folder's cards and subfolders.
enum class FolderOrder {
    byName,    // their names' code units, the same on every system
    asListed,  // as the system lists the folder (on Windows, as a file search returns them)
};

// Which entries of a folder are cards.
enum class CardEntries {
    files,     // files named skill*.vnt; a folder of that name is a folder
    anyNamed,  // every entry named skill*.vnt, as a file search finds them: a folder too
};

// What walking the command line's paths meets, in order.
struct CardWalk {
    bool recursive = false;     // folders: their subfolders too
    bool pathsAreUtf8 = false;  // see nativePath
    FolderOrder order = FolderOrder::byName;
    CardEntries entries = CardEntries::files;
    // Every argument is a card, a folder too: the arguments are names already found.
    bool argumentsAreCards = false;
    // A card path: a file argument as given, or a card found in a folder.
    std::function<void(const std::string& path)> card;
    // A folder, given or met on the way, whose listing failed.
    std::function<void(const std::string& path)> unreadableFolder;
    // A folder has been listed (for the progress display).
    std::function<void()> folderListed;
};

// Calls walk.card for each card the arguments stand for: a file argument (or anything
// that is not a folder) as it is; for a folder, every skill*.vnt in it in walk.order,
// exactly as if each had been named, and with recursive, then each subfolder in that
// order, the same way. Symbolic links to folders inside a folder are not followed, so
// no walk loops. The paths passed on are the argument joined with the names found.
void walkCardPaths(const std::vector<std::string>& arguments, const CardWalk& walk);
// The same for one argument known to be a folder.
void walkCardFolder(const std::string& folder, const CardWalk& walk);

}  // namespace Vantorn
