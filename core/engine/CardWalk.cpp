#include "engine/CardWalk.hpp"

#include <algorithm>
#include <exception>
#include <system_error>

namespace Vantorn {
namespace fs = std::filesystem;
namespace {

std::string givenPath(const fs::path& path, bool pathsAreUtf8) {
    return pathsAreUtf8 ? path.u8string() : path.string();
}

template <class Char>
bool matchesCardName(const std::basic_string<Char>& name) {
    static constexpr char prefix[] = "skill";
    static constexpr char suffix[] = ".vnt";
    constexpr std::size_t prefixSize = sizeof prefix - 1;
    constexpr std::size_t suffixSize = sizeof suffix - 1;
    if (name.size() < prefixSize + suffixSize) return false;
    const auto lower = [](Char c) { return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c; };
    for (std::size_t i = 0; i < prefixSize; ++i) {
        if (lower(name[i]) != static_cast<Char>(prefix[i])) return false;
    }
    for (std::size_t i = 0; i < suffixSize; ++i) {
        if (lower(name[name.size() - suffixSize + i]) != static_cast<Char>(suffix[i])) return false;
    }
    return true;
}

bool byName(const fs::path& a, const fs::path& b) { return a.filename().native() < b.filename().native(); }

struct Listing {
    std::vector<fs::path> cards;
    std::vector<fs::path> subfolders;
};

// The cards and, where wanted, the subfolders of one folder; throws when it cannot be
// listed whole.
Listing list(const fs::path& folder, const CardWalk& walk) {
    Listing listing;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const fs::directory_entry& entry = *it;
        const bool named = isCardName(entry.path().filename());
        std::error_code ignored;  // an entry that cannot be looked at is no folder
        if (named && walk.entries == CardEntries::anyNamed) {
            listing.cards.push_back(entry.path());
        } else if (entry.is_directory(ignored)) {
            if (walk.recursive && !entry.is_symlink(ignored)) listing.subfolders.push_back(entry.path());
        } else if (named) {
            listing.cards.push_back(entry.path());
        }
    }
    if (error) throw fs::filesystem_error("listing", folder, error);
    if (walk.order == FolderOrder::asListed) return listing;
    std::sort(listing.cards.begin(), listing.cards.end(), byName);
    std::sort(listing.subfolders.begin(), listing.subfolders.end(), byName);
    return listing;
}

void walkFolder(const fs::path& top, const CardWalk& walk) {
    std::vector<fs::path> pending{top};  // folders still to walk, the next one last
    while (!pending.empty()) {
        const fs::path folder = std::move(pending.back());
        pending.pop_back();
        std::vector<std::string> cards;
        try {
            Listing listing = list(folder, walk);
            for (const fs::path& card : listing.cards) cards.push_back(givenPath(card, walk.pathsAreUtf8));
            pending.insert(pending.end(), std::make_move_iterator(listing.subfolders.rbegin()),
                           std::make_move_iterator(listing.subfolders.rend()));
        } catch (const std::exception&) {
            walk.unreadableFolder(givenPath(folder, walk.pathsAreUtf8));
            continue;
        }
        if (walk.folderListed) walk.folderListed();
        for (const std::string& card : cards) walk.card(card);
    }
}

}  // namespace

fs::path nativePath(const std::string& path, bool pathsAreUtf8) {
    return pathsAreUtf8 ? fs::u8path(path) : fs::path(path);
}

bool isCardName(const fs::path& name) { return matchesCardName(name.native()); }

void walkCardFolder(const std::string& folder, const CardWalk& walk) {
    walkFolder(nativePath(folder, walk.pathsAreUtf8), walk);
}

void walkCardPaths(const std::vector<std::string>& arguments, const CardWalk& walk) {
    for (const std::string& argument : arguments) {
        const fs::path path = nativePath(argument, walk.pathsAreUtf8);
        std::error_code error;
        if (!walk.argumentsAreCards && fs::is_directory(path, error)) {
            walkFolder(path, walk);
        } else {
            walk.card(argument);
        }
    }
}

}  // namespace Vantorn
