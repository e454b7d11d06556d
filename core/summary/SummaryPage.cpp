// The HTML page: the template page/summary-page.html with the cards' blocks and the
// summary written into its two marked places.

#include <ostream>
#include <streambuf>
#include <string_view>

#include "json/JsonWriter.hpp"
#include "summary/SummaryWriters.hpp"

namespace Vantorn {

extern const char summaryPage[];
extern const std::size_t summaryPageSize;

namespace {

constexpr std::string_view blocksMark = "<!--@BLOCKS@-->";
constexpr std::string_view summaryMark = "<!--@SUMMARY@-->";

std::string_view page() { return {summaryPage, summaryPageSize}; }

// The page up to a mark, between the marks, and after the second.
std::string_view pagePart(int part) {
    const std::string_view text = page();
    const std::size_t first = text.find(blocksMark);
    const std::size_t second = text.find(summaryMark);
    switch (part) {
    case 0: return text.substr(0, first);
    case 1: return text.substr(first + blocksMark.size(), second - first - blocksMark.size());
    default: return text.substr(second + summaryMark.size());
    }
}

void write(std::ostream& out, std::string_view text) {
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// Passes JSON on into a script element: '<' can only stand inside a JSON string there,
// where "\u003c" means the same and no "</script>" can end the element early.
class ScriptJson : public std::streambuf {
public:
    explicit ScriptJson(std::streambuf* next) : next_(next) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        const char byte = traits_type::to_char_type(c);
        return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        std::streamsize plain = 0;
        for (std::streamsize i = 0; i < count; ++i) {
            if (text[i] != '<') continue;
            next_->sputn(text + plain, i - plain);
            next_->sputn("\\u003c", 6);
            plain = i + 1;
        }
        next_->sputn(text + plain, count - plain);
        return count;
    }

private:
    std::streambuf* next_;
};

// A block's text with the characters that would be markup as entities.
void escapeHtml(std::ostream& out, std::string_view utf8) {
    std::size_t plain = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const char* entity = utf8[i] == '&' ? "&amp;" : utf8[i] == '<' ? "&lt;" : utf8[i] == '>' ? "&gt;" : nullptr;
        if (!entity) continue;
        write(out, utf8.substr(plain, i - plain));
        out << entity;
        plain = i + 1;
    }
    write(out, utf8.substr(plain));
}

// The same as a stream buffer, for a block written as it is made.
class EscapedHtml final : public std::streambuf {
public:
    explicit EscapedHtml(std::ostream& out) : out_(out) {}

protected:
    std::streamsize xsputn(const char* data, std::streamsize count) override {
        escapeHtml(out_, std::string_view(data, static_cast<std::size_t>(count)));
        return count;
    }
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        const char byte = traits_type::to_char_type(c);
        escapeHtml(out_, std::string_view(&byte, 1));
        return c;
    }

private:
    std::ostream& out_;
};

}  // namespace

std::string_view summaryPageStyle() {
    const std::string_view text = page();
    const std::size_t start = text.find("<style>");
    const std::size_t end = text.find("</style>");
    return text.substr(start, end + std::string_view("</style>").size() - start);
}

SummaryPage::SummaryPage(std::ostream& out) : out_(out) { write(out_, pagePart(0)); }

void SummaryPage::block(std::string_view utf8) {
    // The parser drops one line feed after <pre>: this one, never the block's own.
    out_ << "<pre>\n";
    escapeHtml(out_, utf8);
    out_ << "</pre>\n";
}

void SummaryPage::block(const std::function<void(std::ostream& utf8)>& write) {
    out_ << "<pre>\n";
    {
        EscapedHtml escaped(out_);
        std::ostream text(&escaped);
        write(text);
    }
    out_ << "</pre>\n";
}

void SummaryPage::noBlock() {
    out_ << "<pre></pre>\n";
}

void SummaryPage::finish(const Summary& summary) {
    write(out_, pagePart(1));
    {
        ScriptJson escaped(out_.rdbuf());
        std::ostream script(&escaped);
        JsonWriter json(script);
        writeSummaryJson(json, summary);
    }
    write(out_, pagePart(2));
    out_.flush();
}

}  // namespace Vantorn
