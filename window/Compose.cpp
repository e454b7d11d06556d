#include "Compose.hpp"

#include <memory>
#include <sstream>
#include <stdexcept>

#include "engine/CardRun.hpp"
#include "engine/Formats.hpp"
#include "engine/Sinks.hpp"
#include "text/Cp932.hpp"

namespace Mornstave {

namespace {

using Vantorn::CardResult;
using Vantorn::CardSink;
using Vantorn::ReportFailures;
using Vantorn::TextEncoding;
using Vantorn::TextForm;

template <class Char>
std::basic_string<Char> publishText(std::basic_string_view<Char> text) {
    std::size_t lineFeeds = 0;
    for (Char c : text) {
        lineFeeds += c == Char('\n');
    }
    std::basic_string<Char> result;
    result.reserve(text.size() + lineFeeds);
    for (Char c : text) {
        if (c == Char('\n')) {
            result += Char('\r');
        }
        result += c;
    }
    return result;
}

// The saved bytes of a wide path, held as UTF-8: a character CP932 lacks
// becomes '?', as Windows writes such names.
const TextForm wideBytes{TextEncoding::cp932, true, true};
// The shown text, as UTF-8 on its way to UTF-16: paths as they are.
const TextForm wideShown{TextEncoding::utf8, true, false};

// What an output of the run writes, kept as a string.  The window shows a
// failure in its block, so no output has error lines.
struct Collected {
    std::ostringstream text;
    Vantorn::SinkOutput output{text, [](const std::string&, const std::string&) {}};

    std::string taken() {
        output.drain();
        return text.str();
    }
};

// Notes where each entry starts in the output the sink writes.
class Marked final : public CardSink {
public:
    Marked(std::unique_ptr<CardSink> sink, const Vantorn::SinkOutput& output, std::vector<std::size_t>& starts)
        : sink_(std::move(sink)), output_(output), starts_(starts) {}

    void begin() override { sink_->begin(); }
    void prepare(CardResult& result) const override { sink_->prepare(result); }
    void card(const CardResult& result) override {
        starts_.push_back(output_.written());
        sink_->card(result);
    }
    void failure(const CardResult& result) override {
        starts_.push_back(output_.written());
        sink_->failure(result);
    }
    void finish() override { sink_->finish(); }

private:
    const std::unique_ptr<CardSink> sink_;
    const Vantorn::SinkOutput& output_;
    std::vector<std::size_t>& starts_;
};

// The report of byte paths, opened as they are, and the rows of its cards.
struct BytePass {
    std::string report;
    Vantorn::Summary rows;
};

BytePass bytePass(const std::vector<std::string>& paths) {
    Collected report;
    BytePass pass;
    std::vector<std::unique_ptr<CardSink>> sinks;
    sinks.push_back(Vantorn::makeReportSink(report.output, TextForm{}, ReportFailures::inBlock));
    sinks.push_back(Vantorn::makeRowsSink(pass.rows));
    Vantorn::RunOptions options;
    options.argumentsAreCards = true;
    Vantorn::runCards(paths, *Vantorn::makeFanOutSink(std::move(sinks)), options);
    pass.report = report.taken();
    return pass;
}

// The summary's table of the format, as the console writes it for these paths.
std::unique_ptr<CardSink> tableSink(Vantorn::SinkOutput& output, Vantorn::OutputFormat format, bool advised) {
    TextForm form = wideBytes;
    form.encoding = Vantorn::formatEncoding(format, std::nullopt, false);
    return Vantorn::makeSummarySink(output, format, Vantorn::SummaryOrder::difference, form,
                                    Vantorn::CsvTexts::guarded, advised);
}

}  // namespace

std::string composeCard(const std::string& path) {
    BytePass pass = bytePass({path});
    if (!pass.rows.failures().empty()) throw std::runtime_error(pass.rows.failures().front().message);
    if (!pass.report.empty()) pass.report.pop_back();  // alone: no empty line after the block
    return pass.report;
}

std::string folderPrefix(const std::string& folder) {
    // Walk characters, not bytes: only a single-byte 0x5C is a separator.
    bool endsWithSeparator = false;
    for (std::string::size_type i = 0; i < folder.size(); ++i) {
        const auto c = static_cast<unsigned char>(folder[i]);
        endsWithSeparator = c == '\\';
        if (Vantorn::isCp932LeadByte(c) && i + 1 < folder.size()) {
            ++i;
        }
    }
    return endsWithSeparator ? folder : folder + '\\';
}

void composeFolderEntry(std::ostream& out, const std::string& dir, const std::string& name) {
    out << bytePass({dir + name}).report;
}

std::string composeFolder(const std::string& dir, const std::vector<std::string>& names) {
    std::vector<std::string> paths;
    for (const auto& name : names) paths.push_back(dir + name);
    return bytePass(paths).report;
}

std::string publish(const std::string& text) {
    return publishText<char>(text);
}

void Composed::append(const Composed& more) {
    bytes += more.bytes;
    shown += more.shown;
}

std::optional<Composition> Composition::of(const std::vector<std::u16string>& paths, Paths taken, bool alone,
                                           const std::atomic<bool>* stop, bool advised) {
    std::vector<std::string> given;
    for (const auto& path : paths) given.push_back(Vantorn::utf16ToUtf8(path));
    Collected bytes, shown, csv, html;
    Composition result;
    result.table.summary_ = Vantorn::Summary(advised);
    std::vector<std::size_t> starts;  // in the shown text as UTF-8
    std::vector<std::unique_ptr<CardSink>> sinks;
    sinks.push_back(Vantorn::makeReportSink(bytes.output, wideBytes, ReportFailures::inBlock, advised));
    sinks.push_back(std::make_unique<Marked>(
        Vantorn::makeReportSink(shown.output, wideShown, ReportFailures::inBlock, advised), shown.output, starts));
    sinks.push_back(Vantorn::makeRowsSink(result.table.summary_));
    sinks.push_back(tableSink(csv.output, Vantorn::OutputFormat::csv, advised));
    sinks.push_back(tableSink(html.output, Vantorn::OutputFormat::html, advised));
    Vantorn::RunOptions options;
    options.advise = advised;
    options.pathsAreUtf8 = true;
    // The folder command shows a folder's cards as a file search returns
    // them: in its order, and an entry that is a folder among them.
    options.folderOrder = Vantorn::FolderOrder::asListed;
    options.entries = Vantorn::CardEntries::anyNamed;
    options.unreadableFoldersFail = false;
    options.argumentsAreCards = taken == Paths::cards;
    options.stop = stop;
    if (!Vantorn::runCards(given, *Vantorn::makeFanOutSink(std::move(sinks)), options)) return std::nullopt;

    result.text.bytes = bytes.taken();
    // Each block starts on a character of its own, so the blocks convert
    // apart and their starts are found in the UTF-16 text.
    const std::string utf8 = shown.taken();
    std::size_t from = 0;
    for (std::size_t start : starts) {
        result.text.shown += Vantorn::utf8ToUtf16(std::string_view(utf8).substr(from, start - from));
        result.table.starts_.push_back(result.text.shown.size());
        from = start;
    }
    result.text.shown += Vantorn::utf8ToUtf16(std::string_view(utf8).substr(from));
    result.table.csv_ = csv.taken();
    result.table.html_ = html.taken();
    result.cards = result.table.summary_.rows().size() + result.table.summary_.failures().size();
    if (alone && result.cards == 1) {
        result.text.bytes.pop_back();
        result.text.shown.pop_back();
        result.table.starts_.clear();
    }
    return result;
}

const Vantorn::SummaryFailure* Composition::failure() const {
    const auto& failures = table.summary().failures();
    return cards == 1 && !failures.empty() ? &failures.front() : nullptr;
}

Composed composeCard(const std::u16string& path) {
    Composition result = *Composition::of({path}, Composition::Paths::cards, true);
    if (const Vantorn::SummaryFailure* failed = result.failure()) throw std::runtime_error(failed->message);
    return std::move(result.text);
}

void composeEntry(Composed& out, const std::u16string& path) {
    out.append(Composition::of({path}, Composition::Paths::cards)->text);
}

std::u16string folderPrefix(const std::u16string& folder) {
    return !folder.empty() && folder.back() == u'\\' ? folder : folder + u'\\';
}

Composed composeFolder(const std::u16string& dir, const std::vector<std::u16string>& names) {
    std::vector<std::u16string> paths;
    for (const auto& name : names) paths.push_back(dir + name);
    return std::move(Composition::of(paths, Composition::Paths::cards)->text);
}

std::u16string publish(std::u16string_view text) {
    return publishText<char16_t>(text);
}

Composed publish(const Composed& composed) {
    return {publish(composed.bytes), publish(composed.shown)};
}

}  // namespace Mornstave
