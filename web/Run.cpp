// The console program as a function for JavaScript: the arguments of a command line
// in, the exit status and the bytes of standard output and standard error out. The
// caller has put the cards in the file system and made their folder the current one.

#include <sstream>
#include <string>
#include <vector>

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include "CommandLine.hpp"

namespace {

emscripten::val bytes(const std::string& text) {
    // A copy: the view into the module's memory is gone once text is.
    const auto view = emscripten::typed_memory_view(text.size(), reinterpret_cast<const unsigned char*>(text.data()));
    return emscripten::val::global("Uint8Array").new_(view);
}

emscripten::val runCommandLine(const emscripten::val& args) {
    // Text is UTF-8 in a page and in Node, paths arrive as UTF-8, and no terminal is
    // there to show progress on.
    Vantorn::ConsoleEnvironment environment;
    environment.pathsAreUtf8 = true;
    environment.localeIsUtf8 = true;
    std::ostringstream out;
    std::ostringstream err;
    const int status = Vantorn::runCommandLine(emscripten::vecFromJSArray<std::string>(args), out, err, environment);
    emscripten::val result = emscripten::val::object();
    result.set("status", status);
    result.set("stdout", bytes(out.str()));
    result.set("stderr", bytes(err.str()));
    return result;
}

}  // namespace

EMSCRIPTEN_BINDINGS(mornstave) {
    emscripten::function("runCommandLine", &runCommandLine);
}
