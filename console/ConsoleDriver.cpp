#include "ConsoleDriver.hpp"

#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>

#include "OutputGuard.hpp"
#include "Progress.hpp"
#include "engine/CardRun.hpp"
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

// The console's side of a run: the sink of the output asked for, the error lines in
// the settings' form and the progress display; the engine walks and analyses.
class ConsoleRun {
public:
    ConsoleRun(std::ostream& out, std::ostream& err, const ConsoleSettings& settings)
        : err_(err),
          settings_(settings),
          progress_(err, settings.showProgress, settings.form.encoding, settings.form.text("フォルダ"),
                    settings.form.text("カード")),
          output_(out, [this](const std::string& path, const std::string& message) { errorLine(path, message); }),
          sink_(makeSink(output_, outputChoice(settings))) {}

    void run(const std::vector<std::string>& paths) {
        RunOptions options;
        options.recursive = settings_.recursive;
        options.pathsAreUtf8 = settings_.form.pathsAreUtf8;
        options.advise = settings_.advise;
        options.heldFiles = settings_.heldFiles;
        options.folderListed = [this] { progress_.folderListed(); };
        options.cardDone = [this] { progress_.cardDone(); };
        options.walked = [this] { progress_.clear(); };
        runCards(paths, *sink_, options);
        output_.drain();
    }

private:
    void errorLine(const std::string& path, const std::string& message) {
        progress_.clear();
        err_ << settings_.form.path(path) << ": " << settings_.form.text(message) << '\n' << std::flush;
    }

    std::ostream& err_;
    const ConsoleSettings& settings_;
    Progress progress_;
    SinkOutput output_;
    const std::unique_ptr<CardSink> sink_;
};

}  // namespace

OutputEncoding outputBytesEncoding(const ConsoleSettings& settings) {
    if (formatInfo(settings.format).encoding == FormatEncoding::locale) {
        return settings.form.encoding;
    }
    return formatEncoding(settings.format, settings.askedEncoding, false);
}

// The listing and the comparison in JSON or HTML are that format's bytes too.
bool writesOwnLineEnds(const ConsoleSettings& settings) {
    return formatInfo(settings.format).lineEnds == FormatLineEnds::own;
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
    if (settings.diff) return runDiff(paths.at(0), paths.at(1), out, err, settings);
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
    ConsoleRun(file ? file->stream() : out, err, settings).run(paths);
    if (file && !file->commit()) return outputFails("書き込みエラー", 1);
    return 0;
}

}  // namespace Vantorn
