// Measures how much memory the programs need for hostile card files, relative to the
// size of the file: for each shape of file that stretches a count, a length or the
// depth, it writes a file of about the given size, then in a new process of its own
// handles it as the front ends do, and reports the rise of peak resident memory and
// the length of the text written.
//   peak-memory [MEGABYTES]     (default 8)
// Linux only: it reads /proc/self/status and resets the peak through clear_refs.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <vector>

#include "ConsoleDriver.hpp"
#ifdef MORNSTAVE_HAS_COMPOSE
#include "Compose.hpp"
#endif
#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"
#include "report/Report.hpp"
#include "events/Content.hpp"
#include "format/Limits.hpp"
#include "hostile/HostileCards.hpp"
#include "support/CountingStream.hpp"

namespace {

namespace fs = std::filesystem;
using namespace Vantorn::testing;
using Vantorn::ContentKind;
using Vantorn::childCountBias;
using Vantorn::maxChildCount;
using Vantorn::maxContentDepth;
using Vantorn::maxListCount;
using Vantorn::maxStringLength;

struct Shape {
    std::string name;
    std::string what;
    std::function<std::string(std::size_t)> build;  // a file of about the given size
};

Bytes repeated(const Bytes& item, std::size_t times) {
    Bytes out;
    out.data.reserve(item.data.size() * times);
    for (std::size_t i = 0; i < times; ++i) out.append(item);
    return out;
}

// Events of up to maxListCount roots each, every root the given record, filling the size.
Bytes eventsOf(const Bytes& root, std::size_t size) {
    const std::size_t roots = std::max<std::size_t>(1, size / root.data.size());
    const std::size_t perEvent = std::min<std::size_t>(roots, maxListCount);
    const std::size_t events = std::min<std::size_t>((roots + perEvent - 1) / perEvent, maxListCount);
    Bytes part = Bytes().int32(static_cast<std::int32_t>(events));
    const Bytes one = Bytes().int32(static_cast<std::int32_t>(perEvent)).append(repeated(root, perEvent));
    for (std::size_t i = 0; i < events; ++i) part.append(one);
    return part;
}

Bytes leaf() { return ContentRecord{ContentKind::IncRound}.bytes(); }

Bytes fanOf(std::size_t children) {
    return headerOf(ContentKind::Start, childCountBias + static_cast<std::int32_t>(children)).append(repeated(leaf(), children));
}

std::vector<Shape> shapes() {
    const Bytes none = Bytes().int32(0);
    const Bytes motion = MotionRecord{2, 0}.bytes();
    return {
        {"motions", "8-byte motions, all present",
         [=](std::size_t size) {
             const std::size_t count = size / motion.data.size();
             return cardAround(Bytes().int32(static_cast<std::int32_t>(count)).append(repeated(motion, count)), none);
         }},
        {"motions-claimed", "2^31-1 motions claimed, the file ends",
         [=](std::size_t size) {
             return cardAround(Bytes().int32(0x7FFFFFFF).append(repeated(motion, size / motion.data.size())), none, false);
         }},
        {"empty-events", "4-byte empty events, " + std::to_string(maxListCount) + " at most",
         [=](std::size_t) {
             return cardAround(none, Bytes().int32(maxListCount).append(repeated(Bytes().int32(0), maxListCount)));
         }},
        {"roots", "9-byte roots, " + std::to_string(maxListCount) + " per event",
         [=](std::size_t size) { return cardAround(none, eventsOf(leaf(), size)); }},
        {"wide", std::to_string(maxChildCount) + " children under each root",
         [=](std::size_t size) { return cardAround(none, eventsOf(fanOf(maxChildCount), size)); }},
        {"wide-cut", "the same, the file ending in the last child",
         [=](std::size_t size) {
             const std::string bytes = cardAround(none, eventsOf(fanOf(maxChildCount), size), false);
             return bytes.substr(0, bytes.size() - 3);
         }},
        {"deepest", "chains at the depth bound",
         [=](std::size_t size) { return cardAround(none, eventsOf(chainOf(maxContentDepth), size)); }},
        {"deepest-wide", "chains at the depth bound fanning out at the bottom",
         [=](std::size_t size) {
             return cardAround(none, eventsOf(chainOf(maxContentDepth - 1, fanOf(4096)), size));
         }},
        {"long-texts", "messages of " + std::to_string(maxStringLength) + "-byte texts",
         [=](std::size_t size) {
             // The text fills the whole bound, without the terminating zero the writer would add.
             const Bytes message =
                 ContentRecord(ContentKind::Message, Bytes().string("").int32(maxStringLength).raw(std::string(maxStringLength, 'x'))).bytes();
             return cardAround(none, eventsOf(message, size));
         }},
    };
}

// VmRSS or VmHWM of this process, in bytes.
std::uint64_t statusField(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, field.size() + 1, field + ":") == 0) {
            return std::stoull(line.substr(field.size() + 1)) * 1024;
        }
    }
    throw std::runtime_error("no " + field + " in /proc/self/status");
}

// Runs in a freshly started process, so that no memory freed earlier can hide the
// rise: the measured work and its report line. "reader" loads, describes and
// estimates, counting the text; "console" is the console program's whole handling of
// the file, which holds each card's block until it is complete; "window" composes the
// text the window shows and turns its line ends into CR LF, as the dialog does.
int measure(const std::string& mode, const std::string& name, const std::string& path) {
    const auto fileSize = static_cast<std::uint64_t>(fs::file_size(path));
    std::ofstream("/proc/self/clear_refs") << "5";  // peak := current
    const std::uint64_t before = statusField("VmRSS");
    std::string outcome = "loaded";
    CountingStream out;
    if (mode == "reader") {
        Vantorn::SkillCard card;
        try {
            card.load(path);
            Vantorn::writeDescription(out, card);
            Vantorn::writeEstimate(out, Vantorn::estimateLevel(card));
        } catch (const std::runtime_error& error) {
            outcome = error.what();
        }
#ifdef MORNSTAVE_HAS_COMPOSE
    } else if (mode == "window") {
        try {
            const std::string shown = Mornstave::publish(Mornstave::composeCard(path));
            out << shown;
        } catch (const std::runtime_error& error) {
            outcome = error.what();
        }
#endif
    } else {
        std::ostringstream err;
        Vantorn::runConsole({path}, out, err);
        if (!err.str().empty()) outcome = err.str().substr(path.size() + 2, err.str().size() - path.size() - 3);
    }
    const std::uint64_t peak = statusField("VmHWM") - before;
    outcome = outcome == "loaded" ? outcome : outcome == "I/O例外" ? "I/O error" : "refused";
    std::cout << std::left << std::setw(16) << name << std::setw(8) << mode << std::right << std::setw(10)
              << fileSize << std::setw(12) << peak << std::setw(7) << std::fixed << std::setprecision(1)
              << static_cast<double>(peak) / static_cast<double>(fileSize) << std::setw(12) << out.count()
              << std::setw(8) << static_cast<double>(out.count()) / static_cast<double>(fileSize) << "  "
              << outcome << std::endl;
    return 0;
}

int runChild(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>("/proc/self/exe"));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::cout << std::flush;
    const pid_t child = fork();
    if (child == 0) {
        execv("/proc/self/exe", argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 4 && args[0] == "--measure") return measure(args[1], args[2], args[3]);
    const double megabytes = args.empty() ? 8.0 : std::stod(args[0]);
    const auto size = static_cast<std::size_t>(megabytes * 1024 * 1024);
    const fs::path folder = fs::temp_directory_path() / ("mornstave-peak-" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::cout << "shape           mode    file bytes  peak bytes  ratio  text bytes   ratio  outcome\n";
    int failures = 0;
#ifdef MORNSTAVE_HAS_COMPOSE
    const std::vector<std::string> modes = {"reader", "console", "window"};
#else
    const std::vector<std::string> modes = {"reader", "console"};
#endif
    for (const Shape& shape : shapes()) {
        const std::string path = (folder / (shape.name + ".vnt")).string();
        std::ofstream(path, std::ios::binary) << shape.build(size);
        for (const std::string& mode : modes) {
            if (runChild({"--measure", mode, shape.name, path}) != 0) {
                std::cout << shape.name << ": the measuring process did not end normally\n";
                ++failures;
            }
        }
        fs::remove(path);
    }
    std::cout << "\nshapes:\n";
    for (const Shape& shape : shapes()) std::cout << "  " << std::left << std::setw(16) << shape.name << shape.what << "\n";
    fs::remove_all(folder);
    return failures == 0 ? 0 : 1;
}
