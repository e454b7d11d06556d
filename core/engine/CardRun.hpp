#pragma once

// The run loop under every front end: the paths walked, each card analysed on worker
// threads, the results handed to one sink in the paths' order.

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/CardSink.hpp"
#include "engine/CardWalk.hpp"

namespace Vantorn {

// The bytes of a file the caller holds, by the path the walk gives it, or nothing: the
// file is then read from the file system. Called on the threads that analyse cards.
using HeldFiles = std::function<std::optional<std::string>(const std::string& path)>;

struct RunOptions {
    bool recursive = false;     // folders: their subfolders too
    bool pathsAreUtf8 = false;  // the paths are UTF-8 (see nativePath)
    FolderOrder folderOrder = FolderOrder::byName;
    CardEntries entries = CardEntries::files;
    bool argumentsAreCards = false;  // see CardWalk
    // A folder that cannot be listed is an entry of its own that failed ("開けません");
    // otherwise it is passed over, as a folder without cards.
    bool unreadableFoldersFail = true;
    // Each card's result holds its advice on balance.
    bool advise = false;
    // Threads that analyse cards; 0: one per processor, at most eight.
    unsigned workers = 0;
    // Set from another thread: the run ends at its next card, and the sink never finishes.
    const std::atomic<bool>* stop = nullptr;
    // Files the caller holds already (a page's chosen files): asked first for each card.
    HeldFiles heldFiles;

    // Called on the calling thread: a folder was listed; a card's result was taken.
    std::function<void()> folderListed;
    std::function<void()> cardDone;
    // Every result was taken; the sink finishes next.
    std::function<void()> walked;
};

// Begins the sink, hands it the result of every path the arguments stand for (a file
// argument as it is, a folder as walkCardPaths walks it), in order, and finishes it.
// False when stopped first.
bool runCards(const std::vector<std::string>& arguments, CardSink& sink, const RunOptions& options = {});

}  // namespace Vantorn
