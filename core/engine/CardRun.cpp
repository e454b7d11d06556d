#include "engine/CardRun.hpp"

#include <algorithm>
#include <thread>

#include "engine/OrderedWork.hpp"
#include "format/Errors.hpp"

namespace Vantorn {
namespace {

// One run over every path: the paths wait in batches; worker threads analyse each card
// and let the sink prepare its part; the sink takes the results in the paths' order.
class Run {
public:
    Run(CardSink& sink, const RunOptions& options)
        : sink_(sink), options_(options), workers_(workerCount(options.workers)) {}

    void card(const std::string& path) { queue({entries_++, path, false}); }
    void unreadableFolder(const std::string& path) {
        if (options_.unreadableFoldersFail) queue({entries_++, path, true});
    }
    // Hands out what waits; false when stopped.
    bool drain() {
        if (!stopped()) {
            const std::size_t group = sink_.smallResults() ? 32 : 1;
            inOrder<CardResult>(
                pending_.size(), workers_, 2 * std::size_t{workers_}, group,
                [this](std::size_t i) { return result(pending_[i]); },
                [this](std::size_t i, CardResult&& result) { take(pending_[i], result); });
        }
        pending_.clear();
        return !stopped();
    }

private:
    // Paths wait in batches, so that the walk's memory does not grow with the tree.
    static constexpr std::size_t batchSize = 4096;
    static constexpr unsigned maxWorkers = 8;

    struct Item {
        std::size_t entry;
        std::string path;
        bool unreadableFolder;
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

    // Made on a worker thread: nothing here touches the output.
    CardResult result(const Item& item) const {
        if (stopped()) return failedResult(item.entry, item.path, OpenFailedException());  // never taken
        const auto file = [&] { return nativePath(item.path, options_.pathsAreUtf8); };
        CardResult result = item.unreadableFolder ? failedResult(item.entry, item.path, OpenFailedException())
                            : sink_.wantsBytes()  ? readCardBytes(item.entry, item.path, file())
                                                  : analyse(item.entry, item.path, file());
        sink_.prepare(result);
        return result;
    }

    void take(const Item& item, const CardResult& result) {
        if (stopped()) return;
        if (result.failed()) {
            sink_.failure(result);
        } else {
            sink_.card(result);
        }
        if (!item.unreadableFolder && options_.cardDone) options_.cardDone();
    }

    CardSink& sink_;
    const RunOptions& options_;
    const unsigned workers_;
    std::vector<Item> pending_;
    std::size_t entries_ = 0;
};

}  // namespace

bool runCards(const std::vector<std::string>& arguments, CardSink& sink, const RunOptions& options) {
    sink.begin();
    Run run(sink, options);
    CardWalk walk;
    walk.recursive = options.recursive;
    walk.pathsAreUtf8 = options.pathsAreUtf8;
    walk.order = options.folderOrder;
    walk.entries = options.entries;
    walk.argumentsAreCards = options.argumentsAreCards;
    walk.card = [&run](const std::string& path) { run.card(path); };
    walk.unreadableFolder = [&run](const std::string& path) { run.unreadableFolder(path); };
    walk.folderListed = options.folderListed;
    walkCardPaths(arguments, walk);
    if (!run.drain()) return false;
    if (options.walked) options.walked();
    sink.finish();
    return true;
}

}  // namespace Vantorn
