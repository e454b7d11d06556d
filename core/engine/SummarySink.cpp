// The JSON document and the summary's sinks.

#include <optional>
#include <ostream>
#include <sstream>

#include "engine/Sinks.hpp"
#include "text/TextPieces.hpp"
#include "advice/AdviceLines.hpp"
#include "explain/Listing.hpp"
#include "json/CardDocument.hpp"
#include "json/CardJson.hpp"
#include "report/Report.hpp"
#include "summary/SummaryWriters.hpp"
#include "text/Cp932.hpp"
#include "text/Utf8Buffer.hpp"

namespace Vantorn {
namespace {

class JsonSink final : public CardSink {
    // An entry goes into its pieces this much at a time, through a buffer that stays small.
    static constexpr std::size_t pieceOfEntry = 4096;

public:
    JsonSink(SinkOutput& output, bool summary, SummaryOrder order, bool advise)
        : output_(output), order_(order), advise_(advise) {
        if (summary) summary_.emplace(advise);
    }

    bool wantsRows() const override { return summary_.has_value(); }
    void begin() override { document_.emplace(output_.text()); }
    // Each entry is written whole off the output's thread, but for a streamed card's; the
    // document takes it as it is.
    void prepare(CardResult& result) const override {
        if (result.streamed()) return;
        {
            JsonWriter json(result.text);
            json.flushAbove(pieceOfEntry);
            if (result.failed()) {
                writeCardErrorJson(json, result.path, result.failure->message,
                                   result.failure->location ? &*result.failure->location : nullptr);
            } else {
                write(json, result);
            }
        }
        result.card.reset();
    }
    void card(const CardResult& result) override {
        if (result.streamed()) {
            document_->entry([&](JsonWriter& json) { write(json, result); });
        } else {
            entry(result);
        }
        if (summary_) summary_->add(result.row);
    }
    void failure(const CardResult& result) override {
        entry(result);
        if (summary_) summary_->add(summaryFailure(result));
        output_.errorLine(result.path, result.failure->message);
    }
    void finish() override {
        if (!summary_) {
            document_->finish();
            return;
        }
        summary_->finish(order_);
        document_->finish("summary", [this](JsonWriter& json) { writeSummaryJson(json, *summary_); });
    }

private:
    void entry(const CardResult& result) {
        document_->entryFollows();
        result.text.writeTo(output_.text());
    }
    void write(JsonWriter& json, const CardResult& result) const {
        writeCardJson(json, result.path, *result.card, result.estimate, advise_ ? &result.advice : nullptr);
    }

    SinkOutput& output_;
    const SummaryOrder order_;
    const bool advise_;
    std::optional<CardDocument> document_;
    std::optional<Summary> summary_;
};

// The listing of every card as one JSON document, each card's entry written off the
// output's thread; a file never read has its stop, one never opened its error alone.
class ListingJsonSink final : public CardSink {
public:
    explicit ListingJsonSink(SinkOutput& output) : output_(output) {}

    bool wantsBytes() const override { return true; }
    bool wantsRows() const override { return false; }
    void begin() override { document_.emplace(output_.text()); }
    void prepare(CardResult& result) const override {
        {
            JsonWriter json(result.text);
            if (result.bytes) {
                ListingJson listing(json, result.path);
                listCard(*result.bytes, listing);
                // Kept for the error line; the entry has it already.
                if (const auto& stop = listing.stop()) result.failure = CardFailure{stop->message, stop->location};
            } else if (result.failure->location) {
                writeListingJson(json, result.path,
                                 unreadListing({result.failure->message, result.failure->location}));
            } else {
                writeCardErrorJson(json, result.path, result.failure->message);
            }
        }
        result.bytes.reset();
    }
    void card(const CardResult& result) override { failure(result); }
    void failure(const CardResult& result) override {
        document_->entryFollows();
        result.text.writeTo(output_.text());
        if (result.failed()) output_.errorLine(result.path, result.failure->message);
    }
    void finish() override { document_->finish(); }

private:
    SinkOutput& output_;
    std::optional<CardDocument> document_;
};

// Rows are kept until the end, when they are sorted and written; the page writes each
// card's block as it comes.
class SummarySink final : public CardSink {
public:
    SummarySink(SinkOutput& output, OutputFormat format, SummaryOrder order, const TextForm& form,
                CsvTexts csvTexts, bool advise)
        : output_(output), format_(format), order_(order), form_(form), csvTexts_(csvTexts), advise_(advise),
          summary_(advise) {}

    bool smallResults() const override { return format_ != OutputFormat::html; }
    // The table's column has the first piece; the page's blocks have all of it.
    AdviceExtent adviceShown() const override {
        return format_ == OutputFormat::html ? AdviceExtent::all : AdviceExtent::first;
    }

    void begin() override {
        if (format_ == OutputFormat::html) page_.emplace(output_.text());
    }
    // The page's block is UTF-8, its path as given; a streamed card's is written in place.
    void prepare(CardResult& result) const override {
        if (format_ == OutputFormat::html && result.streamed()) return;
        if (format_ == OutputFormat::html && !result.failed()) {
            std::ostringstream body;
            writeBlock(body, result);
            std::string utf8 = '[' + result.path + "]\n";
            appendCp932AsUtf8(utf8, body.str());
            result.text.assign(utf8);
        }
        result.card.reset();
    }
    void card(const CardResult& result) override {
        if (page_ && result.streamed()) {
            page_->block([&](std::ostream& utf8) {
                utf8 << '[' << result.path << "]\n";
                Utf8FromCp932Buffer converted(*utf8.rdbuf());
                std::ostream body(&converted);
                writeBlock(body, result);
                body.flush();
            });
        } else if (page_) {
            page_->block(result.text.joined());
        }
        summary_.add(result.row);
    }
    void failure(const CardResult& result) override {
        if (page_) page_->noBlock();
        summary_.add(summaryFailure(result));
        output_.errorLine(result.path, result.failure->message);
    }
    void finish() override {
        summary_.finish(order_);
        std::ostream& out = output_.text();
        switch (format_) {
        case OutputFormat::html: page_->finish(summary_); break;
        case OutputFormat::csv: writeSummaryCsv(out, summary_, form_, csvTexts_); break;
        case OutputFormat::text:
        case OutputFormat::json: writeSummaryText(out, summary_, form_); break;
        }
    }

private:
    void writeBlock(std::ostream& body, const CardResult& result) const {
        writeDescription(body, *result.card);
        writeEstimate(body, result.estimate);
        // The card's dialog lists all the advice; the report shows three.
        if (advise_) writeAdviceLines(body, result.advice, result.advice.size());
    }

    SinkOutput& output_;
    const OutputFormat format_;
    const SummaryOrder order_;
    const TextForm form_;
    const CsvTexts csvTexts_;
    const bool advise_;
    Summary summary_;
    std::optional<SummaryPage> page_;
};

}  // namespace

std::unique_ptr<CardSink> makeListingJsonSink(SinkOutput& output) {
    return std::make_unique<ListingJsonSink>(output);
}

std::unique_ptr<CardSink> makeJsonSink(SinkOutput& output, bool summary, SummaryOrder order, bool advise) {
    return std::make_unique<JsonSink>(output, summary, order, advise);
}

std::unique_ptr<CardSink> makeSummarySink(SinkOutput& output, OutputFormat format, SummaryOrder order,
                                          const TextForm& form, CsvTexts csvTexts, bool advise) {
    return std::make_unique<SummarySink>(output, format, order, form, csvTexts, advise);
}

}  // namespace Vantorn
