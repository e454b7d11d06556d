#include "engine/CardRun.hpp"

#include <algorithm>
#include <thread>

#include "engine/OrderedWork.hpp"
#include "format/Errors.hpp"

namespace Vantorn {
namespace {

// One run over every path: the paths wait in batches; worker threads analyse each card
// and let the sink prepare its part; the sink takes the results in the paths' order.
//
// An argument is not looked at before it is read: the worker that opens it finds out
// whether it is a folder. The folder's cards then take its place, and the paths queued
// after it are queued again behind them, so every path keeps its place in the order.
class Run {
public:
    Run(CardSink& sink, const RunOptions& options)
        : sink_(sink), options_(options), workers_(workerCount(options.workers)),
          parts_{options.advise, sink.wantsRows(), sink.adviceShown()} {
        walk_.recursive = options.recursive;
        walk_.pathsAreUtf8 = options.pathsAreUtf8;
        walk_.order = options.folderOrder;
        walk_.entries = options.entries;
        walk_.card = [this](const std::string& path) { queue({entries_++, path, Kind::card}); };
        walk_.unreadableFolder = [this](const std::string& path) {
            if (options_.unreadableFoldersFail) queue({entries_++, path, Kind::unreadableFolder});
        };
        walk_.folderListed = options.folderListed;
    }

    void argument(const std::string& path) {
        queue({entries_++, path, options_.argumentsAreCards ? Kind::card : Kind::argument});
    }

    // Hands out what waits; false when stopped.
    bool drain() {
        while (!pending_.empty() && !stopped()) {
            std::vector<Item> batch;
            batch.swap(pending_);
            const std::size_t folder = takeUntilFolder(batch);
            if (folder == batch.size()) continue;
            entries_ = batch[folder].entry;
            walkCardFolder(batch[folder].path, walk_);
            for (std::size_t i = folder + 1; i < batch.size(); ++i) queue({entries_++, batch[i].path, batch[i].kind});
        }
        pending_.clear();
        return !stopped();
    }

private:
    // Paths wait in batches, so that the walk's memory does not grow with the tree.
    static constexpr std::size_t batchSize = 4096;
    static constexpr unsigned maxWorkers = 8;

    enum class Kind {
        card,              // a card: a file found in a folder, or an argument taken as a card
        argument,          // a card or a folder, as the open file says
        unreadableFolder,  // a folder whose listing failed
    };
    struct Item {
        std::size_t entry;
        std::string path;
        Kind kind;
    };
    // A worker's result for an item: none where an argument is a folder.
    using Made = std::optional<CardResult>;
    struct FolderMet {
        std::size_t index;
    };

    static unsigned workerCount(unsigned asked) {
        if (asked > 0) return asked;
        return std::max(1u, std::min(std::thread::hardware_concurrency(), maxWorkers));
    }

    bool stopped() const { return options_.stop != nullptr && options_.stop->load(); }

    void queue(Item item) {
        if (stopped()) return;
        pending_.push_back(std::move(item));
        if (pending_.size() == batchSize) drain();
    }

    // Takes the batch's results in order up to the first folder among them, whose
    // index it returns (the batch's size when there is none).
    std::size_t takeUntilFolder(const std::vector<Item>& batch) {
        // A group's cards go from thread to thread together, one wait per group;
        // groups of large results are smaller, as they are held until written.
        const std::size_t group = sink_.smallResults() ? 32 : 16;
        try {
            inOrder<Made>(
                batch.size(), workers_, 2 * std::size_t{workers_}, group,
                [&](std::size_t i) { return made(batch[i]); },
                [&](std::size_t i, Made&& result) {
                    if (!result) throw FolderMet{i};
                    take(batch[i], *result);
                });
        } catch (const FolderMet& met) {
            return met.index;
        }
        return batch.size();
    }

    // Made on a worker thread: nothing here touches the output.
    Made made(const Item& item) const {
        if (stopped()) return failedResult(item.entry, item.path, OpenFailedException());  // never taken
        Made result;
        if (std::optional<std::string> held = heldFile(item)) {
            result = analyseBytes(item.entry, item.path, std::move(*held), sink_.wantsBytes(), parts_);
        } else {
            result = readFile(item);
        }
        if (result) sink_.prepare(*result);
        return result;
    }

    // The result of the item's path read from the file system.
    Made readFile(const Item& item) const {
        const std::filesystem::path file = nativePath(item.path, options_.pathsAreUtf8);
        Made result;
        switch (item.kind) {
        case Kind::unreadableFolder: result = failedResult(item.entry, item.path, OpenFailedException()); break;
        case Kind::argument: result = analyseUnlessFolder(item.entry, item.path, file, sink_.wantsBytes(), parts_); break;
        case Kind::card:
            result = sink_.wantsBytes() ? readCardBytes(item.entry, item.path, file)
                                        : analyse(item.entry, item.path, file, parts_);
            break;
        }
        return result;
    }

    // A held file is a file: it is never a folder, whatever its kind of path.
    std::optional<std::string> heldFile(const Item& item) const {
        if (!options_.heldFiles || item.kind == Kind::unreadableFolder) return std::nullopt;
        return options_.heldFiles(item.path);
    }

    void take(const Item& item, const CardResult& result) {
        if (stopped()) return;
        if (result.failed()) {
            sink_.failure(result);
        } else {
            sink_.card(result);
        }
        if (item.kind != Kind::unreadableFolder && options_.cardDone) options_.cardDone();
    }

    CardSink& sink_;
    const RunOptions& options_;
    const unsigned workers_;
    const ResultParts parts_;
    CardWalk walk_;
    std::vector<Item> pending_;
    std::size_t entries_ = 0;
};

}  // namespace

bool runCards(const std::vector<std::string>& arguments, CardSink& sink, const RunOptions& options) {
    sink.begin();
    Run run(sink, options);
    for (const std::string& argument : arguments) run.argument(argument);
    if (!run.drain()) return false;
    if (options.walked) options.walked();
    sink.finish();
    return true;
}

}  // namespace Vantorn
