// The console program on Windows: arguments arrive as UTF-16 and files are opened by
// their wide names. A console window gets its text as UTF-16 through the console API,
// right in every console code page; a file or pipe gets bytes in the chosen encoding
// (CP932 unless --encoding=utf-8; JSON and the web page are UTF-8, CSV UTF-8 unless
// --encoding=cp932). A file or pipe gets the writers' own line ends for CSV, JSON and
// HTML (binary mode: CSV's CR LF would otherwise become CR CR LF) and the text mode's
// CR LF for the report, the table and the listing, as Windows programs write text.

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>
#include <streambuf>
#include <string>
#include <vector>

#include "CommandLine.hpp"
#include "text/Cp932.hpp"
#include "text/PlainTerminal.hpp"

namespace {

bool isConsoleWindow(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0;
}

// Collects the program's bytes and hands whole lines to WriteConsoleW, decoded from
// the output encoding. A line is never split inside a character.
class ConsoleWindowBuffer : public std::streambuf {
public:
    ConsoleWindowBuffer(HANDLE handle, Vantorn::OutputEncoding encoding)
        : handle_(handle), encoding_(encoding) {}
    ~ConsoleWindowBuffer() override { sync(); }

protected:
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            pending_ += traits_type::to_char_type(c);
            if (c == '\n') sync();
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        pending_.append(text, static_cast<std::size_t>(count));
        if (pending_.find('\n') != std::string::npos) sync();
        return count;
    }
    int sync() override {
        if (pending_.empty()) return 0;
        const std::u16string wide = encoding_ == Vantorn::OutputEncoding::utf8
                                        ? Vantorn::utf8ToUtf16(pending_)
                                        : Vantorn::cp932ToUtf16(pending_);
        pending_.clear();
        const auto* chars = reinterpret_cast<const wchar_t*>(wide.data());
        for (std::size_t done = 0; done < wide.size();) {
            DWORD written = 0;
            const auto chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 16384));
            if (!WriteConsoleW(handle_, chars + done, chunk, &written, nullptr) || written == 0) return -1;
            done += written;
        }
        return 0;
    }

private:
    HANDLE handle_;
    Vantorn::OutputEncoding encoding_;
    std::string pending_;
};

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(Vantorn::utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
    }
    Vantorn::ConsoleEnvironment environment;
    environment.pathsAreUtf8 = true;
    environment.replaceUnmappable = true;
    environment.stdoutIsTerminal = isConsoleWindow(GetStdHandle(STD_OUTPUT_HANDLE));
    environment.stderrIsTerminal = isConsoleWindow(GetStdHandle(STD_ERROR_HANDLE));
    const Vantorn::CommandLine line = Vantorn::readCommandLine(args, std::cout, std::cerr, environment);
    if (line.exitStatus) {
        return *line.exitStatus;
    }
    if (!environment.stdoutIsTerminal && Vantorn::writesOwnLineEnds(line.settings)) {
        std::cout.flush();
        _setmode(_fileno(stdout), _O_BINARY);
    }
    // Each stream that is a console window writes through the console API instead.
    ConsoleWindowBuffer outWindow(GetStdHandle(STD_OUTPUT_HANDLE), Vantorn::outputBytesEncoding(line.settings));
    ConsoleWindowBuffer errWindow(GetStdHandle(STD_ERROR_HANDLE), line.settings.form.encoding);
    // Control characters of cards and file names are shown, not obeyed by the console.
    const bool outIsUtf8 = Vantorn::outputBytesEncoding(line.settings) == Vantorn::OutputEncoding::utf8;
    Vantorn::PlainTerminalBuffer plainOut(outWindow, outIsUtf8);
    Vantorn::PlainTerminalBuffer plainErr(errWindow, line.settings.form.encoding == Vantorn::OutputEncoding::utf8);
    std::ostream windowOut(&plainOut);
    std::ostream windowErr(&plainErr);
    std::ostream& out = isConsoleWindow(GetStdHandle(STD_OUTPUT_HANDLE)) ? windowOut : std::cout;
    std::ostream& err = isConsoleWindow(GetStdHandle(STD_ERROR_HANDLE)) ? windowErr : std::cerr;
    return Vantorn::runConsole(line.paths, out, err, line.settings);
}
