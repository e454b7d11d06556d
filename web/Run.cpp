// The console program as a function for JavaScript: the arguments of a command line
// in, the exit status and the bytes of standard output and standard error out. The
// caller has put the cards in the file system and made their folder the current one,
// and hands over the same files by path, which the run reads first.

#include <new>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include "CommandLine.hpp"
#include "advice/Advice.hpp"
#include "engine/CardResult.hpp"
#include "engine/CardRun.hpp"
#include "engine/CardWalk.hpp"
#include "engine/Sinks.hpp"
#include "format/Limits.hpp"
#include "json/JsonWriter.hpp"
#include "report/TextOut.hpp"
#include "summary/Summary.hpp"
#include "summary/SummaryWriters.hpp"

namespace {

emscripten::val bytes(const std::string& text) {
    // A copy: the view into the module's memory is gone once text is.
    const auto view = emscripten::typed_memory_view(text.size(), reinterpret_cast<const unsigned char*>(text.data()));
    return emscripten::val::global("Uint8Array").new_(view);
}

// The call's files by path (a Map of Uint8Arrays), each copied out of its array when
// its card is read: one copy, where the file system's calls for a file (open, fstat,
// read, close, each resolving the path in JavaScript) cost several times as much. A
// file too large for a card is left to the file system, which says so before reading.
Vantorn::HeldFiles heldFiles(const emscripten::val& files) {
    return [files](const std::string& path) -> std::optional<std::string> {
        const emscripten::val held = files.call<emscripten::val>("get", path);
        if (held.isUndefined()) return std::nullopt;
        const auto size = held["length"].as<double>();
        if (size > static_cast<double>(Vantorn::maxCardFileSize)) return std::nullopt;
        std::string bytes(static_cast<std::size_t>(size), '\0');
        const auto into = emscripten::typed_memory_view(bytes.size(), reinterpret_cast<unsigned char*>(bytes.data()));
        emscripten::val(into).call<void>("set", held);
        return bytes;
    };
}

emscripten::val runCommandLine(const emscripten::val& args, const emscripten::val& files) {
    // Text is UTF-8 in a page and in Node, paths arrive as UTF-8, and no terminal is
    // there to show progress on.
    Vantorn::ConsoleEnvironment environment;
    environment.pathsAreUtf8 = true;
    environment.localeIsUtf8 = true;
    environment.heldFiles = heldFiles(files);
    emscripten::val result = emscripten::val::object();
    try {
        // The output collects in a string of its own, handed over without the copy (and
        // the zero-filled growth) of a string stream: a report can be tens of megabytes.
        Vantorn::StringBuffer outText;
        std::ostream out(&outText);
        std::ostringstream err;
        const int status = Vantorn::runCommandLine(emscripten::vecFromJSArray<std::string>(args), out, err, environment);
        // A stream whose buffer could not grow has not taken all its text: as much a
        // want of memory as a failed allocation, and never handed on as a whole output.
        if (out.bad() || err.bad()) throw std::bad_alloc();
        result.set("status", status);
        result.set("stdout", bytes(outText.text));
        result.set("stderr", bytes(err.str()));
    } catch (const std::bad_alloc&) {
        // The memory can grow no further: the caller learns it as such, not as a bare
        // exception, and what the run held is given back on the way out.
        result = emscripten::val::object();
        result.set("outOfMemory", true);
    }
    return result;
}

// The summary of the cards the paths stand for (folders with their subfolders), as the
// summary member of `--summary --format=json` writes it: rows, failures and totals, with
// neither the cards' entries nor their report blocks, which a large card can make
// larger than the memory while the summary stays small.
emscripten::val summaryJson(const emscripten::val& paths, const std::string& orderName, const emscripten::val& files) {
    emscripten::val result = emscripten::val::object();
    try {
        Vantorn::SummaryOrder order = Vantorn::SummaryOrder::difference;
        Vantorn::summaryOrderNamed(orderName, order);
        Vantorn::Summary summary;
        const auto sink = Vantorn::makeRowsSink(summary);
        Vantorn::RunOptions options;
        options.recursive = true;
        options.pathsAreUtf8 = true;
        options.heldFiles = heldFiles(files);
        Vantorn::runCards(emscripten::vecFromJSArray<std::string>(paths), *sink, options);
        summary.finish(order);
        std::ostringstream out;
        {
            Vantorn::JsonWriter json(out);
            Vantorn::writeSummaryJson(json, summary);
        }
        out << '\n';
        if (out.bad()) throw std::bad_alloc();
        result.set("json", bytes(out.str()));
    } catch (const std::bad_alloc&) {
        result = emscripten::val::object();
        result.set("outOfMemory", true);
    }
    return result;
}

// The report block of the card at path changed by its piece of advice number `index`
// (from 0, in the advice's order), as the text report writes a card's block in UTF-8:
// the advice is the engine's own for the card read whole, the block the report sink's
// for the changed card. A card that cannot be read gives its error, a number past its
// advice how many pieces it has.
emscripten::val advisedReport(const std::string& path, int index) {
    emscripten::val result = emscripten::val::object();
    try {
        Vantorn::TextForm form;
        form.encoding = Vantorn::TextEncoding::utf8;
        form.pathsAreUtf8 = true;
        const Vantorn::CardResult read = Vantorn::analyse(0, path, Vantorn::nativePath(path, true), Vantorn::ResultParts{true});
        if (read.failed()) {
            result.set("error", form.text(read.failure->message));
            return result;
        }
        if (index < 0 || static_cast<std::size_t>(index) >= read.advice.size()) {
            result.set("adviceCount", static_cast<double>(read.advice.size()));
            return result;
        }
        Vantorn::CardResult changed =
            Vantorn::cardResult(0, path, Vantorn::advisedCard(*read.card, read.advice[static_cast<std::size_t>(index)]));
        std::ostringstream out;
        {
            Vantorn::SinkOutput output(out, [](const std::string&, const std::string&) {});
            const auto sink = Vantorn::makeReportSink(output, form);
            sink->prepare(changed);
            sink->card(changed);
            output.drain();
        }
        if (out.bad()) throw std::bad_alloc();
        result.set("report", bytes(out.str()));
    } catch (const std::bad_alloc&) {
        result = emscripten::val::object();
        result.set("outOfMemory", true);
    }
    return result;
}

}  // namespace

EMSCRIPTEN_BINDINGS(mornstave) {
    emscripten::function("runCommandLine", &runCommandLine);
    emscripten::function("summaryJson", &summaryJson);
    emscripten::function("advisedReport", &advisedReport);
}
