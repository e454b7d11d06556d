#pragma once

// One card's result, computed once: the card, its estimate and its summary row, or the
// failure with its message and where the file went wrong. Every writer takes this
// value; none reads the file or computes the estimate again.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "advice/Advice.hpp"
#include "cards/SkillCard.hpp"
#include "text/TextPieces.hpp"
#include "estimate/Estimate.hpp"
#include "format/Errors.hpp"
#include "summary/Summary.hpp"

namespace Vantorn {

struct CardFailure {
    std::string message;                   // CP932, as the error line says it
    std::optional<ReadLocation> location;  // where a reading error was found
};

struct CardResult {
    std::size_t entry = 0;  // the path's place among every path read, failures included
    std::string path;       // as given
    std::size_t fileSize = 0;  // the card file's bytes, where it was read from one
    std::shared_ptr<const SkillCard> card;  // none for a failure, and none once a sink let it go
    LevelEstimate estimate;
    SummaryRow row;
    // The advice on balance, in order, where it was asked for.
    std::vector<Advice> advice;
    std::optional<CardFailure> failure;
    // The file as read, kept only for the listing, which reads it field by field.
    std::optional<std::string> bytes;
    // What a sink made of the result ahead, off the output's thread (a block, an entry).
    TextPieces text;
    // A fan-out's copy of the result for each of its sinks, each prepared by its own.
    std::vector<CardResult> branches;

    bool failed() const { return failure.has_value(); }
    // A card this large is written on the output's thread straight into the output:
    // its report can be many times its file, too much to hold whole.
    bool streamed() const { return !failed() && fileSize > streamedFileSize; }
    static constexpr std::size_t streamedFileSize = 1 << 20;
};

// A reading error as a result's failure: its message and, where known, its place.
CardFailure failureOf(const std::exception& error);
// The result's values without what a sink made of it (text, branches), sharing its card.
CardResult copyOf(const CardResult& result);
// A failed result as the summary lists it.
SummaryFailure summaryFailure(const CardResult& result);

// What a result is made to hold besides the card and its estimate.
struct ResultParts {
    bool advice = false;  // the advice on the card's balance
    bool row = true;      // the summary's row, which not every output has a use for
    AdviceExtent adviceExtent = AdviceExtent::all;  // all the advice, or its first piece
};

// The result of a card read whole: its estimate and the parts asked for, computed here
// once.
CardResult cardResult(std::size_t entry, std::string path, SkillCard card, ResultParts parts = {});
// The result of a path whose card could not be read.
CardResult failedResult(std::size_t entry, std::string path, const std::exception& error);

// The card in the file: read, estimated and summed up, or the failure.
CardResult analyse(std::size_t entry, std::string path, const std::filesystem::path& file, ResultParts parts = {});
// The file's bytes alone, for the listing; the failure when it cannot be read.
CardResult readCardBytes(std::size_t entry, std::string path, const std::filesystem::path& file);
// For a path that may name a folder: nothing when it does, else as analyse (or, with
// bytesOnly, readCardBytes).
std::optional<CardResult> analyseUnlessFolder(std::size_t entry, std::string path, const std::filesystem::path& file,
                                              bool bytesOnly, ResultParts parts = {});
// As analyse (or, with bytesOnly, readCardBytes) for a file's bytes held already.
CardResult analyseBytes(std::size_t entry, std::string path, std::string bytes, bool bytesOnly, ResultParts parts = {});

}  // namespace Vantorn
