#include "engine/CardResult.hpp"

#include <stdexcept>

#include "format/CardFile.hpp"

namespace Vantorn {
namespace {

// Everything a card gives, from the card read whole.
void complete(CardResult& result, SkillCard card) {
    auto held = std::make_shared<const SkillCard>(std::move(card));
    result.estimate = estimateLevel(*held);
    result.row = summaryRow(result.entry, result.path, *held, result.estimate);
    result.card = std::move(held);
}

void fail(CardResult& result, const std::exception& error) {
    const ReadLocation* location = locationOf(error);
    result.card.reset();
    result.failure = CardFailure{error.what(), location ? std::optional<ReadLocation>(*location) : std::nullopt};
}

}  // namespace

CardResult cardResult(std::size_t entry, std::string path, SkillCard card) {
    CardResult result;
    result.entry = entry;
    result.path = std::move(path);
    complete(result, std::move(card));
    return result;
}

CardResult analyse(std::size_t entry, std::string path, const std::filesystem::path& file) {
    CardResult result;
    result.entry = entry;
    result.path = std::move(path);
    try {
        complete(result, loadSkillCard(file));
    } catch (const std::runtime_error& error) {
        fail(result, error);
    }
    return result;
}

CardResult analyseBytes(std::size_t entry, std::string path, std::string_view bytes) {
    CardResult result;
    result.entry = entry;
    result.path = std::move(path);
    try {
        complete(result, readSkillCard(bytes));
    } catch (const std::runtime_error& error) {
        fail(result, error);
    }
    return result;
}

CardResult readCardBytes(std::size_t entry, std::string path, const std::filesystem::path& file) {
    CardResult result;
    result.entry = entry;
    result.path = std::move(path);
    try {
        result.bytes = readCardFile(file);
    } catch (const std::runtime_error& error) {
        fail(result, error);
    }
    return result;
}

CardResult failedResult(std::size_t entry, std::string path, const std::exception& error) {
    CardResult result;
    result.entry = entry;
    result.path = std::move(path);
    fail(result, error);
    return result;
}

}  // namespace Vantorn
