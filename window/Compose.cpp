#include "Compose.hpp"

#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "engine/Sinks.hpp"
#include "format/Errors.hpp"
#include "report/Report.hpp"
#include "text/Cp932.hpp"

namespace Mornstave {

namespace {

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

// How a wide path, kept as UTF-8 in a result, is written in the bytes: a
// character CP932 lacks becomes '?', as Windows writes such names.
const Vantorn::TextForm wideBytes{Vantorn::TextEncoding::cp932, true, true};

// The window's report: each path's block, in the bytes and, for wide
// paths, as shown.  A card's block is its header, description and
// estimate; a failure's, its header and the message.  Each form writes
// its own header, so the shown one holds the path as it is.
class ComposedReport final : public Vantorn::CardSink {
public:
    ComposedReport(Composed& out, bool wide) : out_(out), wide_(wide) {}

    void card(const Vantorn::CardResult& result) override {
        header(result);
        std::ostringstream body;
        Vantorn::writeDescription(body, *result.card);
        Vantorn::writeEstimate(body, result.estimate);
        text(body.str());
    }
    void failure(const Vantorn::CardResult& result) override {
        header(result);
        text(result.failure->message + '\n');
    }

private:
    void header(const Vantorn::CardResult& result) {
        Vantorn::writeHeader(bytes_, wide_ ? wideBytes.path(result.path) : result.path);
        out_.bytes += bytes_.str();
        bytes_.str({});
        if (wide_) out_.shown += u"[" + Vantorn::utf8ToUtf16(result.path) + u"]\n";
    }
    void text(const std::string& cp932) {
        out_.bytes += cp932;
        if (wide_) out_.shown += Vantorn::cp932ToUtf16(cp932);
    }

    Composed& out_;
    const bool wide_;
    std::ostringstream bytes_;
};

// The card of a byte path, which the platform opens as it is.
Vantorn::CardResult byteCard(const std::string& path) {
    Vantorn::SkillCard card;
    card.load(path);
    return Vantorn::cardResult(0, path, std::move(card));
}

// The file at a UTF-16 path: Windows opens it by its wide name, other
// systems by its UTF-8 name.  A name that has no UTF-8 form (a lone
// surrogate) cannot be opened there.
Vantorn::SkillCard loadCard(const std::u16string& path) {
    std::filesystem::path name;
    try {
        name = std::filesystem::path(path);
    } catch (const std::filesystem::filesystem_error&) {
        throw Vantorn::OpenFailedException();
    }
    return Vantorn::loadSkillCard(name);
}

}  // namespace

std::string composeCard(const std::string& path) {
    Composed out;
    ComposedReport(out, false).card(byteCard(path));
    return out.bytes;
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
    const std::string path = dir + name;
    Composed block;
    ComposedReport report(block, false);
    try {
        // A fresh card per file, so that nothing of an earlier file remains.
        report.card(byteCard(path));
    } catch (const std::runtime_error& e) {
        report.failure(Vantorn::failedResult(0, path, e));
    }
    out << block.bytes << '\n';
}

std::string composeFolder(const std::string& dir, const std::vector<std::string>& names) {
    std::ostringstream out;
    for (const auto& name : names) {
        composeFolderEntry(out, dir, name);
    }
    return out.str();
}

std::string publish(const std::string& text) {
    return publishText<char>(text);
}

void Composed::append(const Composed& more) {
    bytes += more.bytes;
    shown += more.shown;
}

void Table::add(Vantorn::CardResult result, const Composed& block) {
    result.entry = result.row.entry = results_.size();
    result.card.reset();
    if (result.failed()) {
        summary_.add(Vantorn::summaryFailure(result));
    } else {
        // The page's block: the card's block as shown.
        result.text.assign(Vantorn::utf16ToUtf8(block.shown));
        summary_.add(result.row);
    }
    results_.push_back(std::move(result));
}

// The table goes through the console's summary sink of the format.
void Table::write(std::ostream& out, Vantorn::OutputFormat format) const {
    Vantorn::SinkOutput output(out, [](const std::string&, const std::string&) {});
    Vantorn::TextForm form = wideBytes;
    form.encoding = Vantorn::formatEncoding(format, std::nullopt, false);
    const auto sink = Vantorn::makeSummarySink(output, format, Vantorn::SummaryOrder::difference, form);
    sink->begin();
    for (const Vantorn::CardResult& result : results_) {
        if (result.failed()) {
            sink->failure(result);
        } else {
            sink->card(result);
        }
    }
    sink->finish();
    output.drain();
}

void Table::writeCsv(std::ostream& out) const { write(out, Vantorn::OutputFormat::csv); }

void Table::writeHtml(std::ostream& out) const { write(out, Vantorn::OutputFormat::html); }

Composed composeCard(const std::u16string& path, Table* table) {
    Vantorn::CardResult result = Vantorn::cardResult(0, Vantorn::utf16ToUtf8(path), loadCard(path));
    Composed block;
    ComposedReport(block, true).card(result);
    if (table != nullptr) table->add(std::move(result), block);
    return block;
}

void composeEntry(Composed& out, const std::u16string& path, Table* table) {
    if (table != nullptr) table->startEntry(out.shown.size());
    try {
        out.append(composeCard(path, table));
    } catch (const std::runtime_error& e) {
        Vantorn::CardResult result = Vantorn::failedResult(0, Vantorn::utf16ToUtf8(path), e);
        Composed block;
        ComposedReport(block, true).failure(result);
        out.append(block);
        if (table != nullptr) table->add(std::move(result), block);
    }
    out.bytes += '\n';
    out.shown += u'\n';
}

std::u16string folderPrefix(const std::u16string& folder) {
    return !folder.empty() && folder.back() == u'\\' ? folder : folder + u'\\';
}

Composed composeFolder(const std::u16string& dir, const std::vector<std::u16string>& names) {
    Composed result;
    for (const auto& name : names) {
        composeEntry(result, dir + name);
    }
    return result;
}

std::u16string publish(std::u16string_view text) {
    return publishText<char16_t>(text);
}

Composed publish(const Composed& composed) {
    return {publish(composed.bytes), publish(composed.shown)};
}

}  // namespace Mornstave
