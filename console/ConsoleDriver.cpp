#include "ConsoleDriver.hpp"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <thread>

#include "CardPaths.hpp"
#include "OrderedWork.hpp"
#include "OutputGuard.hpp"
#include "Progress.hpp"
#include "engine/CardResult.hpp"
#include "engine/Sinks.hpp"
#include "files/ReplacingFile.hpp"
#include "format/Errors.hpp"
#include "format/Version.hpp"

namespace Vantorn {
namespace {

// The form of the run's output: the format's own encoding, paths as the settings say.
OutputChoice outputChoice(const ConsoleSettings& settings) {
    OutputChoice choice;
    choice.format = settings.format;
    choice.summary = settings.summary;
    choice.explain = settings.explain;
    choice.order = settings.order;
    choice.csvTexts = settings.csvTexts;
    choice.advise = settings.advise;
    choice.form = settings.form;
    choice.form.encoding = outputBytesEncoding(settings);
    return choice;
}

// One run over every path the arguments stand for: the paths wait in batches; worker
// threads analyse each card and let the sink prepare its part; the sink takes the
// results in the paths' order.
class Run {
public:
    Run(std::ostream& out, std::ostream& err, const ConsoleSettings& settings)
        : err_(err),
          settings_(settings),
          progress_(err, settings.showProgress, settings.form.encoding, settings.form.text("フォルダ"),
                    settings.form.text("カード")),
          output_(out, [this](const std::string& path, const std::string& message) { errorLine(path, message); }),
          sink_(makeSink(output_, outputChoice(settings))),
          workers_(std::max(1u, std::min(std::thread::hardware_concurrency(), maxWorkers))) {
        sink_->begin();
    }

    void card(const std::string& path) { queue({entries_++, path, false}); }
    void unreadableFolder(const std::string& path) { queue({entries_++, path, true}); }
    void folderListed() { progress_.folderListed(); }

    void finish() {
        drain();
        progress_.clear();
        sink_->finish();
        output_.drain();
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

    void queue(Item item) {
        pending_.push_back(std::move(item));
        if (pending_.size() == batchSize) drain();
    }

    // Each result waits for its turn; a few per worker bound what is held at once.
    // Small results let workers take many paths at a time.
    void drain() {
        const std::size_t group = sink_->smallResults() ? 32 : 1;
        inOrder<CardResult>(
            pending_.size(), workers_, 2 * std::size_t{workers_}, group,
            [this](std::size_t i) { return result(pending_[i]); },
            [this](std::size_t i, CardResult&& result) { take(pending_[i], result); });
        pending_.clear();
    }

    // Made on a worker thread: nothing here touches the output.
    CardResult result(const Item& item) const {
        const auto file = [&] { return nativePath(item.path, settings_.form.pathsAreUtf8); };
        CardResult result = item.unreadableFolder ? failedResult(item.entry, item.path, OpenFailedException())
                            : sink_->wantsBytes() ? readCardBytes(item.entry, item.path, file())
                                                  : analyse(item.entry, item.path, file(), settings_.advise);
        sink_->prepare(result);
        return result;
    }

    void take(const Item& item, const CardResult& result) {
        if (result.failed()) {
            sink_->failure(result);
        } else {
            sink_->card(result);
        }
        if (!item.unreadableFolder) progress_.cardDone();
    }

    void errorLine(const std::string& path, const std::string& message) {
        progress_.clear();
        err_ << settings_.form.path(path) << ": " << settings_.form.text(message) << '\n' << std::flush;
    }

    std::ostream& err_;
    const ConsoleSettings& settings_;
    Progress progress_;
    SinkOutput output_;
    const std::unique_ptr<CardSink> sink_;
    const unsigned workers_;
    std::vector<Item> pending_;
    std::size_t entries_ = 0;
};

}  // namespace

OutputEncoding outputBytesEncoding(const ConsoleSettings& settings) {
    if (settings.explain || formatInfo(settings.format).encoding == FormatEncoding::locale) {
        return settings.form.encoding;
    }
    return formatEncoding(settings.format, settings.askedEncoding, false);
}

std::string usageBanner() {
    return MORNSTAVE_PRODUCT " version " MORNSTAVE_VERSION "\n\nUsage: mornstave.exe skill*.vnt (skill*.vnt)\n";
}

int runConsole(const std::vector<std::string>& paths, std::ostream& out, std::ostream& err,
               const ConsoleSettings& settings) {
    if (paths.empty()) {
        err << usageBanner() << std::flush;
        return 1;
    }
    CardWalk walk;
    walk.recursive = settings.recursive;
    walk.pathsAreUtf8 = settings.form.pathsAreUtf8;
    const auto outputFails = [&](const char* message, int status) {
        err << settings.form.path(settings.outputPath) << ": " << settings.form.text(message) << '\n' << std::flush;
        return status;
    };
    // The output file is written whole or not at all, and never over a card it reads.
    std::optional<ReplacingFile> file;
    if (!settings.outputPath.empty()) {
        const std::filesystem::path output = nativePath(settings.outputPath, settings.form.pathsAreUtf8);
        if (outputIsACard(output, paths, walk)) return outputFails("読み込むカードです。上書きしません", 2);
        file.emplace(output);
        if (!file->isOpen()) return outputFails(OpenFailedException().what(), 1);
        file->removeOnInterrupt();
    }
    Run run(file ? file->stream() : out, err, settings);
    walk.card = [&run](const std::string& path) { run.card(path); };
    walk.unreadableFolder = [&run](const std::string& path) { run.unreadableFolder(path); };
    walk.folderListed = [&run] { run.folderListed(); };
    walkCardPaths(paths, walk);
    run.finish();
    if (file && !file->commit()) return outputFails("書き込みエラー", 1);
    return 0;
}

}  // namespace Vantorn
