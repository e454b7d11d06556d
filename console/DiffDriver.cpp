// --diff OLD NEW: the cards of two versions paired by their paths and compared.

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>
#include <thread>

#include "ConsoleDriver.hpp"
#include "OutputGuard.hpp"
#include "engine/CardWalk.hpp"
#include "engine/OrderedWork.hpp"
#include "diff/DiffWriters.hpp"
#include "engine/CardWalk.hpp"
#include "engine/OrderedWork.hpp"
#include "files/ReplacingFile.hpp"
#include "format/CardFile.hpp"
#include "json/CardDocument.hpp"
#include "json/JsonWriter.hpp"

namespace Vantorn {
namespace {

namespace fs = std::filesystem;

struct Pair {
    std::string path;                    // relative to OLD and NEW
    std::optional<std::string> oldPath;  // as the walk gave it
    std::optional<std::string> newPath;
};

// The pairing key of a path relative to its top: the card's file name in any letter
// case, as the walk matches it; folders as they are.
std::string pairingKey(std::string relative) {
    const std::size_t name = relative.find_last_of("/\\");
    for (std::size_t i = name == std::string::npos ? 0 : name + 1; i < relative.size(); ++i) {
        char& c = relative[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return relative;
}

std::string relativeTo(const std::string& top, const std::string& found) {
    std::string rest = found.compare(0, top.size(), top) == 0 ? found.substr(top.size()) : found;
    while (!rest.empty() && (rest.front() == '/' || rest.front() == '\\')) rest.erase(0, 1);
    return rest;
}

CardVersion version(const std::optional<std::string>& path, bool pathsAreUtf8) {
    CardVersion version;
    try {
        version.bytes = readCardFile(nativePath(*path, pathsAreUtf8));
    } catch (const std::runtime_error& error) {
        const ReadLocation* at = locationOf(error);
        version.failure = ListingStop{error.what(), at ? std::optional<ReadLocation>(*at) : std::nullopt};
    }
    return version;
}

// The writer of the chosen format, pair by pair in path order.
class DiffOutput {
public:
    DiffOutput(std::ostream& out, OutputFormat format, const TextForm& form, bool all)
        : out_(out), format_(format), form_(form), all_(all) {
        if (format_ == OutputFormat::json) document_.emplace(out_);
    }

    void pair(CardDiff diff) {
        totals_.add(diff);
        if (!diff.differs() && !all_) return;
        switch (format_) {
        case OutputFormat::json: {
            std::ostringstream entry;
            {
                JsonWriter json(entry);
                writeDiffJson(json, diff);
            }
            document_->entry(entry.str());
            break;
        }
        case OutputFormat::html: held_.push_back(std::move(diff)); break;
        default: writeDiffText(out_, diff, form_);
        }
    }

    void finish() {
        switch (format_) {
        case OutputFormat::json:
            document_->finish("totals", [this](JsonWriter& json) { writeDiffTotalsJson(json, totals_); });
            break;
        case OutputFormat::html: writeDiffPage(out_, std::move(held_), totals_); break;
        default: writeDiffTotalsText(out_, totals_, form_);
        }
        out_.flush();
    }

    bool differ() const { return totals_.differ(); }

private:
    std::ostream& out_;
    const OutputFormat format_;
    const TextForm form_;
    const bool all_;
    DiffTotals totals_;
    std::optional<CardDocument> document_;
    std::vector<CardDiff> held_;
};

}  // namespace

int runDiff(const std::string& oldTop, const std::string& newTop, std::ostream& out, std::ostream& err,
            const ConsoleSettings& settings) {
    const TextForm& form = settings.form;
    int status = 0;
    const auto trouble = [&](const std::string& path, const std::string& message) {
        err << form.path(path) << ": " << form.text(message) << '\n' << std::flush;
        status = 2;
    };
    std::error_code error;
    const bool oldIsFolder = fs::is_directory(nativePath(oldTop, form.pathsAreUtf8), error);
    const bool newIsFolder = fs::is_directory(nativePath(newTop, form.pathsAreUtf8), error);
    if (oldIsFolder != newIsFolder) {
        const std::string& card = oldIsFolder ? newTop : oldTop;
        trouble(card, fs::exists(nativePath(card, form.pathsAreUtf8), error) ? "フォルダとカードは比べられません"
                                                                             : OpenFailedException().what());
        return 2;
    }
    CardWalk walk;
    walk.recursive = settings.recursive;
    walk.pathsAreUtf8 = form.pathsAreUtf8;
    // The pairs, in the order of their keys.
    std::map<std::string, Pair> pairs;
    if (!oldIsFolder) {
        pairs[{}] = {newTop, oldTop, newTop};
    } else {
        for (const bool isNew : {false, true}) {
            const std::string& top = isNew ? newTop : oldTop;
            CardWalk side = walk;
            side.card = [&](const std::string& found) {
                const std::string relative = relativeTo(top, found);
                Pair& pair = pairs[pairingKey(relative)];
                if (isNew || pair.path.empty()) pair.path = relative;
                (isNew ? pair.newPath : pair.oldPath) = found;
            };
            side.unreadableFolder = [&](const std::string& folder) { trouble(folder, OpenFailedException().what()); };
            walkCardPaths({top}, side);
        }
    }
    std::optional<ReplacingFile> file;
    if (!settings.outputPath.empty()) {
        const fs::path output = nativePath(settings.outputPath, form.pathsAreUtf8);
        const auto outputFails = [&](const char* message, int code) {
            err << form.path(settings.outputPath) << ": " << form.text(message) << '\n' << std::flush;
            return code;
        };
        if (outputIsACard(output, {oldTop, newTop}, walk)) return outputFails("読み込むカードです。上書きしません", 2);
        file.emplace(output);
        if (!file->isOpen()) return outputFails(OpenFailedException().what(), 1);
        file->removeOnInterrupt();
    }
    TextForm outputForm = form;
    outputForm.encoding = outputBytesEncoding(settings);
    DiffOutput output(file ? file->stream() : out, settings.format, outputForm, settings.all);
    std::vector<const Pair*> order;
    for (const auto& entry : pairs) order.push_back(&entry.second);
    const unsigned workers = std::max(1u, std::min(std::thread::hardware_concurrency(), 8u));
    inOrder<CardDiff>(
        order.size(), workers, 2 * std::size_t{workers}, 32,
        [&](std::size_t i) {
            const Pair& pair = *order[i];
            std::optional<CardVersion> older, newer;
            if (pair.oldPath) older = version(pair.oldPath, form.pathsAreUtf8);
            if (pair.newPath) newer = version(pair.newPath, form.pathsAreUtf8);
            return compareCards(pair.path, older ? &*older : nullptr, newer ? &*newer : nullptr);
        },
        [&](std::size_t, CardDiff&& diff) {
            // Two cards named: one that cannot be opened is trouble, not a difference.
            if (!oldIsFolder) {
                for (const auto* side : {&diff.oldSide, &diff.newSide}) {
                    if (side->failure && !side->failure->location) {
                        trouble(side == &diff.oldSide ? oldTop : newTop, side->failure->message);
                    }
                }
                if (status == 2) return;
            }
            output.pair(std::move(diff));
        });
    output.finish();
    if (file && !file->commit()) {
        err << form.path(settings.outputPath) << ": " << form.text("書き込みエラー") << '\n' << std::flush;
        return 2;
    }
    if (status == 2) return 2;
    return output.differ() ? 1 : 0;
}

}  // namespace Vantorn
