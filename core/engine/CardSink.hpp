#pragma once

// One sink per output: it takes every path's result in order and writes its format.

#include <functional>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>

#include "engine/CardResult.hpp"

namespace Vantorn {

// Standard output in large blocks, and the error lines beside it. What was written for
// earlier cards goes out before each error line, so that a terminal or a file holding
// both streams shows them in the order they were made.
class SinkOutput : private std::streambuf {
public:
    using ErrorLine = std::function<void(const std::string& path, const std::string& message)>;

    SinkOutput(std::ostream& out, ErrorLine errorLine);
    ~SinkOutput() override;
    SinkOutput(const SinkOutput&) = delete;
    SinkOutput& operator=(const SinkOutput&) = delete;

    // The text stream that collects output. Its flushes do not reach the output: only
    // a full buffer, an error line and drain do.
    std::ostream& text() { return text_; }
    // Hands what is held on to the output and flushes it.
    void drain();
    // The bytes written to the text stream so far, held or handed on.
    std::size_t written() const { return passed_ + static_cast<std::size_t>(pptr() - pbase()); }
    void errorLine(const std::string& path, const std::string& message);

private:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* data, std::streamsize count) override;
    int sync() override { return 0; }
    void pass();

    std::ostream& out_;
    ErrorLine errorLine_;
    std::unique_ptr<char[]> buffer_;  // not filled: a short run touches only what it writes
    std::size_t passed_ = 0;
    std::ostream text_;
};

class CardSink {
public:
    virtual ~CardSink() = default;

    virtual void begin() {}
    // Runs on a worker thread before the result is handed to card or failure: the sink
    // makes what it can ahead (into result.text) and lets go of what it will not need.
    // It must not touch the output.
    virtual void prepare(CardResult&) const {}
    virtual void card(const CardResult& result) = 0;
    virtual void failure(const CardResult& result) = 0;
    virtual void finish() {}

    // The sink keeps no card past prepare: results are small, and workers may take
    // many at a time.
    virtual bool smallResults() const { return false; }
    // The sink reads the card files' bytes itself (the listing).
    virtual bool wantsBytes() const { return false; }
    // The sink takes the summary's row of each card.
    virtual bool wantsRows() const { return true; }
    // How much of each card's advice the sink shows, where advice was asked for.
    virtual AdviceExtent adviceShown() const { return AdviceExtent::all; }
};

}  // namespace Vantorn
