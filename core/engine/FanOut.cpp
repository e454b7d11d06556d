// One pass, several outputs.

#include <algorithm>
#include <stdexcept>

#include "engine/Sinks.hpp"

namespace Vantorn {
namespace {

// Each sink prepares and takes a copy of the result of its own (a branch), so that
// what one lets go of or makes stays out of the others' way; the card is shared.
class FanOutSink final : public CardSink {
public:
    explicit FanOutSink(std::vector<std::unique_ptr<CardSink>> sinks) : sinks_(std::move(sinks)) {
        if (sinks_.empty()) throw std::invalid_argument("a fan-out needs at least one sink");
        for (const auto& sink : sinks_) {
            if (sink->wantsBytes() != sinks_.front()->wantsBytes()) {
                throw std::invalid_argument("a fan-out's sinks must all read the bytes, or none");
            }
        }
    }

    void begin() override {
        for (const auto& sink : sinks_) sink->begin();
    }
    void prepare(CardResult& result) const override {
        result.branches.reserve(sinks_.size());
        for (const auto& sink : sinks_) {
            result.branches.push_back(copyOf(result));
            sink->prepare(result.branches.back());
        }
        result.card.reset();
        result.bytes.reset();
    }
    // A sink's branch may have failed where the result did not (the listing of a
    // broken card), so each branch goes where its own state says.
    void card(const CardResult& result) override { take(result); }
    void failure(const CardResult& result) override { take(result); }
    void finish() override {
        for (const auto& sink : sinks_) sink->finish();
    }

    bool smallResults() const override {
        for (const auto& sink : sinks_) {
            if (!sink->smallResults()) return false;
        }
        return true;
    }
    bool wantsBytes() const override { return sinks_.front()->wantsBytes(); }
    AdviceExtent adviceShown() const override {
        const bool all = std::any_of(sinks_.begin(), sinks_.end(),
                                     [](const auto& sink) { return sink->adviceShown() == AdviceExtent::all; });
        return all ? AdviceExtent::all : AdviceExtent::first;
    }
    bool wantsRows() const override {
        return std::any_of(sinks_.begin(), sinks_.end(), [](const auto& sink) { return sink->wantsRows(); });
    }

private:
    void take(const CardResult& result) {
        for (std::size_t i = 0; i < sinks_.size(); ++i) {
            const CardResult& branch = result.branches.at(i);
            if (branch.failed()) {
                sinks_[i]->failure(branch);
            } else {
                sinks_[i]->card(branch);
            }
        }
    }

    const std::vector<std::unique_ptr<CardSink>> sinks_;
};

}  // namespace

std::unique_ptr<CardSink> makeFanOutSink(std::vector<std::unique_ptr<CardSink>> sinks) {
    return std::make_unique<FanOutSink>(std::move(sinks));
}

}  // namespace Vantorn
