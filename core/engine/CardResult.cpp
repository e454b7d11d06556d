#include "engine/CardResult.hpp"

#include <stdexcept>

#include "format/CardFile.hpp"

namespace Vantorn {
namespace {

// Everything a card gives, from the card read whole.
void complete(CardResult& result, SkillCard card, ResultParts parts) {
    auto held = std::make_shared<const SkillCard>(std::move(card));
    result.estimate = estimateLevel(*held);
    if (parts.advice) result.advice = adviseOn(*held, result.estimate, AdviceWalk::bisecting, parts.adviceExtent);
    if (parts.row) {
        result.row = summaryRow(result.entry, result.path, *held, result.estimate);
        if (!result.advice.empty()) result.row.advice = result.advice.front().text;
    }
    result.card = std::move(held);
}

// The same from the file's bytes, let go of once the card is read: the estimate and
// advice may take long on a large card. A card to be streamed keeps its file instead of
// its events, which can take many times as much decoded.
void complete(CardResult& result, std::string bytes, ResultParts parts) {
    result.fileSize = bytes.size();
    if (result.streamed()) {
        complete(result, readSkillCardEventsLater(std::make_shared<const std::string>(std::move(bytes))), parts);
        return;
    }
    SkillCard card = readSkillCard(bytes);
    std::string().swap(bytes);
    complete(result, std::move(card), parts);
}

void fail(CardResult& result, const std::exception& error) {
    result.card.reset();
    result.failure = failureOf(error);
}

CardResult begun(std::size_t entry, std::string path) {
    CardResult result;
    result.entry = entry;
    result.path = std::move(path);
    return result;
}

// The result after `step`, or the failure a reading error in it makes.
template <class Step>
CardResult attempt(std::size_t entry, std::string path, Step step) {
    CardResult result = begun(entry, std::move(path));
    try {
        step(result);
    } catch (const std::runtime_error& error) {
        fail(result, error);
    }
    return result;
}

}  // namespace

CardFailure failureOf(const std::exception& error) {
    const ReadLocation* location = locationOf(error);
    return {error.what(), location ? std::optional<ReadLocation>(*location) : std::nullopt};
}

CardResult copyOf(const CardResult& result) {
    CardResult copy;
    copy.entry = result.entry;
    copy.path = result.path;
    copy.fileSize = result.fileSize;
    copy.card = result.card;
    copy.estimate = result.estimate;
    copy.row = result.row;
    copy.advice = result.advice;
    copy.failure = result.failure;
    copy.bytes = result.bytes;
    return copy;
}

SummaryFailure summaryFailure(const CardResult& result) {
    return {result.entry, result.path, result.failure->message, result.failure->location};
}

CardResult cardResult(std::size_t entry, std::string path, SkillCard card, ResultParts parts) {
    CardResult result = begun(entry, std::move(path));
    complete(result, std::move(card), parts);
    return result;
}

CardResult analyse(std::size_t entry, std::string path, const std::filesystem::path& file, ResultParts parts) {
    return attempt(entry, std::move(path),
                   [&](CardResult& result) { complete(result, readCardFile(file), parts); });
}

CardResult readCardBytes(std::size_t entry, std::string path, const std::filesystem::path& file) {
    return attempt(entry, std::move(path), [&](CardResult& result) { result.bytes = readCardFile(file); });
}

std::optional<CardResult> analyseUnlessFolder(std::size_t entry, std::string path, const std::filesystem::path& file,
                                              bool bytesOnly, ResultParts parts) {
    bool folder = false;
    CardResult result = attempt(entry, std::move(path), [&](CardResult& made) {
        std::optional<std::string> bytes = readCardFileUnlessFolder(file);
        if (!bytes) {
            folder = true;
        } else if (bytesOnly) {
            made.bytes = std::move(bytes);
        } else {
            complete(made, std::move(*bytes), parts);
        }
    });
    if (folder) return std::nullopt;
    return result;
}

CardResult analyseBytes(std::size_t entry, std::string path, std::string bytes, bool bytesOnly, ResultParts parts) {
    return attempt(entry, std::move(path), [&](CardResult& result) {
        checkCardFileSize(bytes.size());
        if (bytesOnly) {
            result.bytes = std::move(bytes);
        } else {
            complete(result, std::move(bytes), parts);
        }
    });
}

CardResult failedResult(std::size_t entry, std::string path, const std::exception& error) {
    CardResult result = begun(entry, std::move(path));
    fail(result, error);
    return result;
}

}  // namespace Vantorn
