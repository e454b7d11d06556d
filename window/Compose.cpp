#include "Compose.hpp"

#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"
#include "format/Errors.hpp"
#include "report/Report.hpp"
#include "summary/SummaryWriters.hpp"
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

std::string headerBytes(const std::string& cp932Path) {
    std::ostringstream out;
    Vantorn::writeHeader(out, cp932Path);
    return out.str();
}

// The core's header line for the lossy CP932 path, shown with the real
// name: only the characters CP932 lacks differ between the two.
std::u16string shownHeader(const std::u16string& path, const std::string& cp932Path) {
    std::u16string header = Vantorn::cp932ToUtf16(headerBytes(cp932Path));
    const std::u16string lossy = Vantorn::cp932ToUtf16(cp932Path);
    const auto at = header.find(lossy);
    if (at != std::u16string::npos) {
        header.replace(at, lossy.size(), path);
    }
    return header;
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
    Vantorn::SkillCard card;
    card.load(path);
    std::ostringstream out;
    Vantorn::writeCardBlock(out, path, card);
    return out.str();
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
    try {
        // A fresh card per file, so that nothing of an earlier file remains.
        Vantorn::SkillCard card;
        card.load(path);
        Vantorn::writeCardBlock(out, path, card);
    } catch (const std::runtime_error& e) {
        Vantorn::writeHeader(out, path);
        out << e.what() << '\n';
    }
    out << '\n';
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

void Table::addCard(const std::u16string& path, const Vantorn::SkillCard& card,
                    const Vantorn::LevelEstimate& estimate, const Composed& block) {
    summary_.add(Vantorn::summaryRow(blocks_.size(), Vantorn::utf16ToUtf8(path), card, estimate));
    blocks_.push_back(Vantorn::utf16ToUtf8(block.shown));
}

void Table::addFailure(const std::u16string& path, const std::string& message) {
    summary_.add(Vantorn::SummaryFailure{blocks_.size(), Vantorn::utf16ToUtf8(path), message});
    blocks_.push_back(std::nullopt);
}

Vantorn::Summary Table::finished() const {
    Vantorn::Summary summary = summary_;
    summary.finish(Vantorn::SummaryOrder::difference);
    return summary;
}

void Table::writeCsv(std::ostream& out) const {
    Vantorn::TextForm form;
    form.encoding = Vantorn::TextEncoding::utf8;
    form.pathsAreUtf8 = true;
    form.replaceUnmappable = true;
    Vantorn::writeSummaryCsv(out, finished(), form);
}

void Table::writeHtml(std::ostream& out) const {
    Vantorn::SummaryPage page(out);
    for (const auto& block : blocks_) {
        if (block) {
            page.block(*block);
        } else {
            page.noBlock();
        }
    }
    page.finish(finished());
}

Composed composeCard(const std::u16string& path, Table* table) {
    const Vantorn::SkillCard card = loadCard(path);
    const std::string cp932Path = Vantorn::utf16ToCp932(path);
    std::ostringstream block;
    Vantorn::writeCardBlock(block, cp932Path, card);
    Composed result{block.str(), shownHeader(path, cp932Path)};
    // The block begins with the header line; the rest is the core's text.
    const auto body = std::string_view(result.bytes).substr(headerBytes(cp932Path).size());
    result.shown += Vantorn::cp932ToUtf16(body);
    if (table != nullptr) {
        const Vantorn::LevelEstimate estimate = Vantorn::estimateLevel(card);
        table->addCard(path, card, estimate, result);
    }
    return result;
}

void composeEntry(Composed& out, const std::u16string& path, Table* table) {
    if (table != nullptr) table->startEntry(out.shown.size());
    try {
        out.append(composeCard(path, table));
    } catch (const std::runtime_error& e) {
        const std::string cp932Path = Vantorn::utf16ToCp932(path);
        out.bytes += headerBytes(cp932Path) + e.what() + '\n';
        out.shown += shownHeader(path, cp932Path) + Vantorn::cp932ToUtf16(e.what()) + u'\n';
        if (table != nullptr) table->addFailure(path, e.what());
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
