// The report blocks and the listing.

#include <optional>
#include <ostream>

#include "engine/Sinks.hpp"
#include "advice/AdviceLines.hpp"
#include "text/TextPieces.hpp"
#include "explain/Listing.hpp"
#include "report/Report.hpp"
#include "report/TextOut.hpp"
#include "text/Utf8Buffer.hpp"

namespace Vantorn {
namespace {

// A block: its header with the path in the form's encoding, CP932 text written by
// `write` into a stream buffer, as UTF-8 where the form asks for it, and an empty
// line. No stream is made for a card: setting one up costs more than many lines.
template <class Write>
void block(std::streambuf& into, const TextForm& form, const std::string& path, Write write) {
    TextOut(into) << '[' << form.path(path) << "]\n";
    if (form.encoding == TextEncoding::cp932) {
        write(into);
    } else {
        Utf8FromCp932Buffer utf8(into);
        write(utf8);
        utf8.pubsync();
    }
    into.sputc('\n');
}

template <class Write>
void block(TextPieces& text, const TextForm& form, const std::string& path, Write write) {
    PiecesBuffer pieces(text);
    block(pieces, form, path, write);
}

class ReportSink final : public CardSink {
public:
    ReportSink(SinkOutput& output, const TextForm& form, ReportFailures failures, bool advise)
        : output_(output), form_(form), failures_(failures), advise_(advise) {}

    bool wantsRows() const override { return false; }

    // The whole block is made before anything reaches the output, but for a streamed card's.
    void prepare(CardResult& result) const override {
        if (result.streamed()) return;
        if (!result.failed()) {
            block(result.text, form_, result.path, [&](std::streambuf& out) { write(out, result); });
        } else if (failures_ == ReportFailures::inBlock) {
            block(result.text, form_, result.path,
                  [&](std::streambuf& out) { TextOut(out) << result.failure->message << '\n'; });
        }
        result.card.reset();
    }
    void card(const CardResult& result) override {
        if (result.streamed()) {
            block(*output_.text().rdbuf(), form_, result.path, [&](std::streambuf& out) { write(out, result); });
        } else {
            result.text.writeTo(output_.text());
        }
    }
    void failure(const CardResult& result) override {
        if (failures_ == ReportFailures::inBlock) {
            result.text.writeTo(output_.text());
        } else {
            output_.errorLine(result.path, result.failure->message);
        }
    }

private:
    void write(std::streambuf& into, const CardResult& result) const {
        {
            TextOut out(into);
            writeDescription(out, *result.card);
            writeEstimate(out, result.estimate);
        }
        if (advise_) {
            std::ostream out(&into);
            writeAdviceLines(out, result.advice);
        }
    }

    SinkOutput& output_;
    const TextForm form_;
    const ReportFailures failures_;
    const bool advise_;
};

// The rows as they come, for a list that sorts them itself.
class RowsSink final : public CardSink {
public:
    explicit RowsSink(Summary& rows) : rows_(rows) {}

    bool smallResults() const override { return true; }
    AdviceExtent adviceShown() const override { return AdviceExtent::first; }
    void prepare(CardResult& result) const override { result.card.reset(); }
    void card(const CardResult& result) override { rows_.add(result.row); }
    void failure(const CardResult& result) override { rows_.add(summaryFailure(result)); }

private:
    Summary& rows_;
};

// The stop of a file whose bytes were never read (too large): the listing gives its
// place as the other outputs do. A file that could not be opened has no place in it.
std::optional<ListingStop> unreadStop(const CardResult& result) {
    if (result.bytes || !result.failure || !result.failure->location) return std::nullopt;
    return ListingStop{result.failure->message, result.failure->location};
}

// A broken card's listing ends with where and why, and its error line goes to standard
// error as well.
class ListingSink final : public CardSink {
public:
    ListingSink(SinkOutput& output, const TextForm& form) : output_(output), form_(form) {}

    bool wantsBytes() const override { return true; }
    bool wantsRows() const override { return false; }

    void prepare(CardResult& result) const override {
        if (const auto stop = unreadStop(result)) {
            block(result.text, form_, result.path, [&](std::streambuf& into) {
                std::ostream out(&into);
                writeListing(out, unreadListing(*stop));
            });
            return;
        }
        if (!result.bytes) return;
        block(result.text, form_, result.path, [&](std::streambuf& into) {
            std::ostream out(&into);
            try {
                writeListing(out, *result.bytes);
            } catch (const std::runtime_error& error) {
                result.failure = failureOf(error);
            }
        });
        result.bytes.reset();
    }
    void card(const CardResult& result) override {
        result.text.writeTo(output_.text());
        if (result.failed()) output_.errorLine(result.path, result.failure->message);
    }
    void failure(const CardResult& result) override {
        if (result.text.empty()) {
            output_.errorLine(result.path, result.failure->message);
        } else {
            card(result);
        }
    }

private:
    SinkOutput& output_;
    const TextForm form_;
};

}  // namespace

std::unique_ptr<CardSink> makeReportSink(SinkOutput& output, const TextForm& form, ReportFailures failures,
                                         bool advise) {
    return std::make_unique<ReportSink>(output, form, failures, advise);
}

std::unique_ptr<CardSink> makeRowsSink(Summary& rows) { return std::make_unique<RowsSink>(rows); }

std::unique_ptr<CardSink> makeListingSink(SinkOutput& output, const TextForm& form) {
    return std::make_unique<ListingSink>(output, form);
}

std::unique_ptr<CardSink> makeSink(SinkOutput& output, const OutputChoice& choice) {
    if (choice.explain) {
        return choice.format == OutputFormat::json ? makeListingJsonSink(output) : makeListingSink(output, choice.form);
    }
    if (choice.format == OutputFormat::json) return makeJsonSink(output, choice.summary, choice.order, choice.advise);
    if (choice.summary || formatInfo(choice.format).impliesSummary) {
        return makeSummarySink(output, choice.format, choice.order, choice.form, choice.csvTexts, choice.advise);
    }
    return makeReportSink(output, choice.form, ReportFailures::errorLine, choice.advise);
}

}  // namespace Vantorn
