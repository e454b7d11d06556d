#include "ConsoleDriver.hpp"

#include <algorithm>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>
#include <stdexcept>

#include "BlockText.hpp"
#include "CardPaths.hpp"
#include "OrderedWork.hpp"
#include "Progress.hpp"
#include "cards/SkillCard.hpp"
#include "explain/Listing.hpp"
#include "estimate/Estimate.hpp"
#include "format/CardFile.hpp"
#include "format/Errors.hpp"
#include "format/Version.hpp"
#include "json/CardJson.hpp"
#include "json/JsonWriter.hpp"
#include "report/Report.hpp"
#include "summary/SummaryWriters.hpp"
#include "text/Cp932.hpp"
#include "text/Utf8Buffer.hpp"

namespace Vantorn {
namespace {

TextForm textForm(const ConsoleSettings& settings, OutputEncoding encoding) {
    return {encoding, settings.pathsAreUtf8, settings.replaceUnmappable};
}

// One run over every path the arguments stand for. Each card is read, turned into what
// the format needs (its block, its JSON entry, its summary row) and released before the
// next: only the summary's rows stay. Report blocks, listings and the plain JSON
// document are written one card at a time; a summary's rows (and the page's blocks, the
// document's entries) are made on worker threads, a batch of paths at a time, and taken
// in the paths' order.
class Run {
public:
    Run(std::ostream& out, std::ostream& err, const ConsoleSettings& settings)
        : out_(out),
          err_(err),
          settings_(settings),
          errorForm_(textForm(settings, settings.encoding)),
          progress_(err, settings.showProgress, settings.encoding, errorForm_.text("フォルダ"),
                    errorForm_.text("カード")),
          wantRows_(settings.summary || settings.format == OutputFormat::csv ||
                    settings.format == OutputFormat::html),
          wantPage_(settings.format == OutputFormat::html),
          wantJson_(settings.format == OutputFormat::json),
          workers_(std::max(1u, std::min(std::thread::hardware_concurrency(), maxWorkers))) {
        if (wantRows_) summary_.emplace();
        if (wantPage_) page_.emplace(out);
        if (wantJson_) {
            json_.emplace(out);
            json_->beginObject();
            json_->member("version", cardJsonVersion);
            json_->key("cards");
            json_->beginArray();
            json_->breakLines();
        }
    }

    void card(const std::string& path) {
        const std::size_t entry = entries_++;  // the path's place in the JSON document and the page
        if (settings_.explain) {
            explain(path);
            progress_.cardDone();
            return;
        }
        if (wantRows_) {
            queue({entry, path, false});
            return;
        }
        // One card at a time, straight into the output.
        try {
            const SkillCard card = loadSkillCard(nativePath(path, settings_.pathsAreUtf8));
            if (json_) {
                writeCardJson(*json_, path, card);
                json_->flush();
                out_ << std::flush;
            } else {
                writeBlock(path, card);
            }
        } catch (const std::runtime_error& error) {
            failEntry(path, error);
        }
        progress_.cardDone();
    }

    void unreadableFolder(const std::string& path) {
        const std::size_t entry = entries_++;
        if (wantRows_ && !settings_.explain) {
            queue({entry, path, true});
        } else {
            failEntry(path, OpenFailedException());
        }
    }

    void folderListed() { progress_.folderListed(); }

    void finish() {
        drain();
        if (summary_) summary_->finish(settings_.order);
        progress_.clear();
        if (json_) {
            json_->endArray();
            if (summary_) {
                json_->key("summary");
                writeSummaryJson(*json_, *summary_);
            }
            json_->endObject();
            json_->flush();
            out_ << '\n';
        } else if (page_) {
            page_->finish(*summary_);
        } else if (summary_ && settings_.format == OutputFormat::csv) {
            writeSummaryCsv(out_, *summary_, textForm(settings_, settings_.csvEncoding));
        } else if (summary_) {
            writeSummaryText(out_, *summary_, textForm(settings_, settings_.encoding));
        }
        out_ << std::flush;
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
    // What one path gives the formats.
    struct Outcome {
        std::optional<SummaryRow> row;
        std::string block;  // the page's, UTF-8
        std::string json;   // the document's entry
        std::optional<std::string> error;
    };

    // The whole block of one card is composed before anything reaches the output, so
    // that a card failing anywhere, in reading, description or estimate, leaves no
    // partial block behind and is reported like any unreadable file.
    void writeBlock(const std::string& path, const SkillCard& card) {
        BlockText text;
        std::ostream block(&text);
        if (settings_.encoding == OutputEncoding::cp932) {
            writeCardBlock(block, errorForm_.path(path), card);
        } else {
            block << '[' << path << "]\n" << std::flush;
            Utf8FromCp932Buffer utf8(text);
            std::ostream body(&utf8);
            writeDescription(body, card);
            writeEstimate(body, estimateLevel(card));
            body << std::flush;
        }
        block << '\n';
        text.writeTo(out_);
        out_ << std::flush;
    }

    // The listing of one card under its header, composed whole; a broken card's listing
    // ends with where and why, and its error line goes to standard error as well.
    void explain(const std::string& path) {
        std::string bytes;
        try {
            bytes = readCardFile(nativePath(path, settings_.pathsAreUtf8));
        } catch (const std::runtime_error& failure) {
            fail(path, failure.what());
            return;
        }
        BlockText text;
        std::ostream block(&text);
        block << '[' << errorForm_.path(path) << "]\n" << std::flush;
        std::optional<std::string> error;
        {
            std::optional<Utf8FromCp932Buffer> utf8;
            if (settings_.encoding == OutputEncoding::utf8) utf8.emplace(text);
            std::ostream listing(utf8 ? static_cast<std::streambuf*>(&*utf8) : &text);
            try {
                writeListing(listing, bytes);
            } catch (const std::runtime_error& failure) {
                error = failure.what();
            }
            listing << std::flush;
        }
        block << '\n';
        text.writeTo(out_);
        out_ << std::flush;
        if (error) err_ << errorForm_.path(path) << ": " << errorForm_.text(*error) << '\n' << std::flush;
    }

    void queue(Item item) {
        pending_.push_back(std::move(item));
        if (pending_.size() == batchSize) drain();
    }

    // Each result waits for its turn; a few per worker bound what is held at once. Rows
    // are small, so workers take many paths at a time; blocks and JSON entries can be
    // as large as a card's report, so there workers take one path at a time.
    void drain() {
        const std::size_t group = wantPage_ || wantJson_ ? 1 : 32;
        inOrder<Outcome>(
            pending_.size(), workers_, 2 * std::size_t{workers_}, group,
            [this](std::size_t i) { return outcome(pending_[i]); },
            [this](std::size_t i, Outcome&& result) { commit(pending_[i], std::move(result)); });
        pending_.clear();
    }

    // Everything of one path that the formats need, made on a worker thread: nothing
    // here touches the output. The card is whole in memory once read, so a failure
    // leaves neither an entry nor a row.
    Outcome outcome(const Item& item) const {
        Outcome result;
        try {
            if (item.unreadableFolder) throw OpenFailedException();
            const SkillCard card = loadSkillCard(nativePath(item.path, settings_.pathsAreUtf8));
            if (wantJson_) {
                std::ostringstream text;
                JsonWriter json(text);
                writeCardJson(json, item.path, card);
                json.flush();
                result.json = text.str();
            }
            if (wantRows_) {
                const LevelEstimate estimate = estimateLevel(card);
                result.row = summaryRow(item.entry, item.path, card, estimate);
                if (wantPage_) {
                    std::ostringstream body;
                    writeDescription(body, card);
                    writeEstimate(body, estimate);
                    result.block = "[" + item.path + "]\n";  // UTF-8 takes paths as given
                    appendCp932AsUtf8(result.block, body.str());
                }
            }
        } catch (const std::runtime_error& error) {
            result = Outcome{};
            result.error = error.what();
            if (wantJson_) {
                std::ostringstream text;
                JsonWriter json(text);
                writeCardErrorJson(json, item.path, error);
                json.flush();
                result.json = text.str();
            }
        }
        return result;
    }

    void commit(const Item& item, Outcome&& result) {
        if (json_) {
            json_->raw(result.json);
            json_->flush();
            out_ << std::flush;
        }
        if (result.error) {
            if (page_) page_->noBlock();
            if (summary_) summary_->add(SummaryFailure{item.entry, item.path, *result.error});
            fail(item.path, *result.error);
        } else {
            if (page_) page_->block(result.block);
            if (summary_) summary_->add(std::move(*result.row));
        }
        if (!item.unreadableFolder) progress_.cardDone();
    }

    // The entry of a path that could not be read, where the document has one, and its
    // error line.
    void failEntry(const std::string& path, const std::exception& error) {
        if (json_) {
            writeCardErrorJson(*json_, path, error);
            json_->flush();
        }
        fail(path, error.what());
    }

    // The error line of a path that could not be read.
    void fail(const std::string& path, const std::string& message) {
        progress_.clear();
        out_ << std::flush;
        err_ << errorForm_.path(path) << ": " << errorForm_.text(message) << '\n' << std::flush;
    }

    std::ostream& out_;
    std::ostream& err_;
    const ConsoleSettings& settings_;
    TextForm errorForm_;  // standard error's, and the blocks'
    Progress progress_;
    std::optional<JsonWriter> json_;
    std::optional<Summary> summary_;
    std::optional<SummaryPage> page_;
    const bool wantRows_;
    const bool wantPage_;
    const bool wantJson_;
    const unsigned workers_;
    std::vector<Item> pending_;
    std::size_t entries_ = 0;
};

}  // namespace

OutputEncoding outputBytesEncoding(const ConsoleSettings& settings) {
    switch (settings.format) {
    case OutputFormat::json:
    case OutputFormat::html: return OutputEncoding::utf8;
    case OutputFormat::csv: return settings.csvEncoding;
    case OutputFormat::text: break;
    }
    return settings.encoding;
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
    std::ofstream file;
    if (!settings.outputPath.empty()) {
        file.open(nativePath(settings.outputPath, settings.pathsAreUtf8), std::ios::binary);
        if (!file) {
            const TextForm form = textForm(settings, settings.encoding);
            err << form.path(settings.outputPath) << ": " << form.text(OpenFailedException().what()) << '\n'
                << std::flush;
            return 1;
        }
    }
    Run run(file.is_open() ? file : out, err, settings);
    CardWalk walk;
    walk.recursive = settings.recursive;
    walk.pathsAreUtf8 = settings.pathsAreUtf8;
    walk.card = [&run](const std::string& path) { run.card(path); };
    walk.unreadableFolder = [&run](const std::string& path) { run.unreadableFolder(path); };
    walk.folderListed = [&run] { run.folderListed(); };
    walkCardPaths(paths, walk);
    run.finish();
    return 0;
}

}  // namespace Vantorn
