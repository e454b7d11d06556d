#include "ConsoleDriver.hpp"

#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>
#include <stdexcept>

#include "BlockText.hpp"
#include "CardPaths.hpp"
#include "Progress.hpp"
#include "cards/SkillCard.hpp"
#include "explain/Listing.hpp"
#include "estimate/Estimate.hpp"
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
// next: only the summary's rows stay.
class Run {
public:
    Run(std::ostream& out, std::ostream& err, const ConsoleSettings& settings)
        : out_(out),
          err_(err),
          settings_(settings),
          errorForm_(textForm(settings, settings.encoding)),
          progress_(err, settings.showProgress, settings.encoding, errorForm_.text("フォルダ"),
                    errorForm_.text("カード")) {
        const bool rows = settings.summary || settings.format == OutputFormat::csv ||
                          settings.format == OutputFormat::html;
        if (rows) summary_.emplace();
        if (settings.format == OutputFormat::html) page_.emplace(out);
        if (settings.format == OutputFormat::json) {
            json_.emplace(out);
            json_->beginObject();
            json_->member("version", cardJsonVersion);
            json_->key("cards");
            json_->beginArray();
            json_->breakLines();
        }
    }

    void card(const std::string& path) {
        const std::size_t entry = entries_++;
        if (settings_.explain) {
            explain(entry, path);
            progress_.cardDone();
            return;
        }
        try {
            const SkillCard card = loadSkillCard(nativePath(path, settings_.pathsAreUtf8));
            if (blocksOnly()) {
                writeBlock(path, card);
            } else {
                take(entry, path, card);
            }
        } catch (const std::runtime_error& error) {
            fail(entry, path, error);
        }
        progress_.cardDone();
    }

    void unreadableFolder(const std::string& path) {
        fail(entries_++, path, OpenFailedException());
    }

    void folderListed() { progress_.folderListed(); }

    void finish() {
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
    bool blocksOnly() const { return settings_.format == OutputFormat::text && !summary_; }

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
    void explain(std::size_t entry, const std::string& path) {
        std::ifstream in(nativePath(path, settings_.pathsAreUtf8), std::ios::binary);
        if (!in) {
            fail(entry, path, OpenFailedException());
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
                writeListing(listing, in);
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

    // Everything of one card that the other formats need. The card is whole in memory,
    // so nothing here meets a reading error; the row and block are made before the JSON
    // entry is written all the same.
    void take(std::size_t entry, const std::string& path, const SkillCard& card) {
        std::optional<SummaryRow> row;
        std::string block;
        if (summary_) {
            const LevelEstimate estimate = estimateLevel(card);
            row = summaryRow(entry, path, card, estimate);
            if (page_) {
                std::ostringstream body;
                writeDescription(body, card);
                writeEstimate(body, estimate);
                block = "[" + path + "]\n";  // UTF-8 takes paths as given
                appendCp932AsUtf8(block, body.str());
            }
        }
        if (json_) {
            writeCardJson(*json_, path, card);
            json_->flush();
            out_ << std::flush;
        }
        if (page_) page_->block(block);
        if (row) summary_->add(std::move(*row));
    }

    void fail(std::size_t entry, const std::string& path, const std::exception& error) {
        progress_.clear();
        if (json_) {
            writeCardErrorJson(*json_, path, error);
            json_->flush();
        }
        if (page_) page_->noBlock();
        if (summary_) summary_->add(SummaryFailure{entry, path, error.what()});
        out_ << std::flush;
        err_ << errorForm_.path(path) << ": " << errorForm_.text(error.what()) << '\n' << std::flush;
    }

    std::ostream& out_;
    std::ostream& err_;
    const ConsoleSettings& settings_;
    TextForm errorForm_;  // standard error's, and the blocks'
    Progress progress_;
    std::optional<JsonWriter> json_;
    std::optional<Summary> summary_;
    std::optional<SummaryPage> page_;
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
