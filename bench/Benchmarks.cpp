// Micro-benchmarks of one card's load, description and estimate, and the costs that
// must grow linearly with the work, each measured at two sizes: a card of content
// records, publishing a result text, composing a folder, and the console over many
// files. After the usual table it prints, for each pair, how the time per unit of
// work changed with the size: 1.00 is exactly linear. Nothing here is a pass or fail;
// docs/performance.md keeps the figures.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchCards.hpp"
#include "ConsoleDriver.hpp"
#include "support/CountingStream.hpp"
#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"
#include "report/Report.hpp"
#ifdef MORNSTAVE_BENCH_COMPOSE
#include "Compose.hpp"
#endif

namespace Vantorn::bench {
namespace {

namespace fs = std::filesystem;

// The files the benchmarks read, made on first use in a folder of this process's own
// and removed when the program ends.
class Workspace {
public:
    Workspace() : root_(fs::temp_directory_path() / ("mornstave-bench-" + std::to_string(::getpid()))) {
        fs::create_directories(root_);
    }
    ~Workspace() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    struct File {
        std::string path;
        std::size_t bytes = 0;
    };
    struct Folder {
        std::string dir;  // ends with a separator, as the folder walk writes it
        std::vector<std::string> names;
        std::size_t bytes = 0;
    };

    const File& card(const std::string& key, std::string (*make)()) {
        auto& file = files_[key];
        if (file.path.empty()) file = write(key + ".vnt", make());
        return file;
    }
    const File& bigCard(std::size_t megabytes) {
        const std::string key = "big" + std::to_string(megabytes);
        auto& file = files_[key];
        if (file.path.empty()) file = write(key + ".vnt", Vantorn::bench::bigCard(megabytes * 1000 * 1000));
        return file;
    }
    const Folder& folder(std::uint32_t cards) {
        auto& folder = folders_[cards];
        if (folder.names.empty()) {
            const fs::path dir = root_ / ("folder" + std::to_string(cards));
            fs::create_directories(dir);
            folder.names = writeCorpus(dir.string(), cards);
            folder.dir = dir.string() + "/";
            for (const std::string& name : folder.names) folder.bytes += fs::file_size(dir / name);
        }
        return folder;
    }

private:
    File write(const std::string& name, const std::string& bytes) {
        const std::string path = (root_ / name).string();
        if (!writeFile(path, bytes)) throw std::runtime_error(path + ": cannot write");
        return {path, bytes.size()};
    }

    fs::path root_;
    std::map<std::string, File> files_;
    std::map<std::uint32_t, Folder> folders_;
};

Workspace& workspace() {
    static Workspace instance;
    return instance;
}

using File = Workspace::File;

void setBytes(benchmark::State& state, std::size_t perIteration) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(perIteration));
}

// Each iteration reads the file into a fresh card and destroys it again: the work the
// console does per file apart from the text.
void loadCard(benchmark::State& state, const File& file) {
    for (auto _ : state) {
        SkillCard card;
        card.load(file.path);
        benchmark::DoNotOptimize(card.motions.data());
    }
    setBytes(state, file.bytes);
}

// The same for a card of many megabytes, whose memory the allocator hands back after
// each iteration, outside the timing, so that every iteration builds its card in fresh
// memory as a program's single load does. Otherwise the smaller card is served from
// the memory its last iteration left behind while the larger one's goes back to the
// system inside the timed destruction, and the sizes no longer compare like with like.
void loadCardFresh(benchmark::State& state, const File& file) {
    for (auto _ : state) {
        {
            SkillCard card;
            card.load(file.path);
            benchmark::DoNotOptimize(card.motions.data());
        }
        state.PauseTiming();
        ::malloc_trim(0);
        state.ResumeTiming();
    }
    setBytes(state, file.bytes);
}

void describeCard(benchmark::State& state, const File& file) {
    SkillCard card;
    card.load(file.path);
    std::size_t reportBytes = 0;
    for (auto _ : state) {
        testing::CountingStream out;
        Vantorn::writeDescription(out, card);
        reportBytes = out.count();
    }
    setBytes(state, file.bytes);
    state.counters["report_bytes"] = static_cast<double>(reportBytes);
}

void estimateCard(benchmark::State& state, const File& file) {
    SkillCard card;
    card.load(file.path);
    for (auto _ : state) {
        testing::CountingStream out;
        writeEstimate(out, estimateLevel(card));
        benchmark::DoNotOptimize(out.count());
    }
    setBytes(state, file.bytes);
}

#ifdef MORNSTAVE_BENCH_COMPOSE
// The text a folder command would publish, repeated until it has the size asked for.
std::string resultText(std::size_t bytes) {
    const Workspace::Folder& folder = workspace().folder(500);
    const std::string block = Mornstave::composeFolder(folder.dir, folder.names);
    std::string text;
    text.reserve(bytes + block.size());
    while (text.size() < bytes) text += block;
    text.resize(bytes);
    return text;
}

void publish(benchmark::State& state) {
    const std::string text = resultText(static_cast<std::size_t>(state.range(0)) * 1000 * 1000);
    for (auto _ : state) {
        std::string shown = Mornstave::publish(text);
        benchmark::DoNotOptimize(shown.data());
    }
    setBytes(state, text.size());
}

void composeFolder(benchmark::State& state) {
    const Workspace::Folder& folder = workspace().folder(static_cast<std::uint32_t>(state.range(0)));
    std::size_t textBytes = 0;
    for (auto _ : state) {
        const std::string text = Mornstave::composeFolder(folder.dir, folder.names);
        textBytes = text.size();
    }
    setBytes(state, folder.bytes);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
    state.counters["text_bytes"] = static_cast<double>(textBytes);
}

#endif

void console(benchmark::State& state) {
    const Workspace::Folder& folder = workspace().folder(static_cast<std::uint32_t>(state.range(0)));
    std::vector<std::string> paths;
    for (const std::string& name : folder.names) paths.push_back(folder.dir + name);
    for (auto _ : state) {
        testing::CountingStream out;
        std::ostringstream err;
        runConsole(paths, out, err);
        benchmark::DoNotOptimize(out.count());
    }
    setBytes(state, folder.bytes);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void registerAll() {
    using benchmark::RegisterBenchmark;
    for (const auto& [label, make] : {std::pair{"small", &smallCard}, std::pair{"large", &largeCard}}) {
        const std::string key = label;
        const File& file = workspace().card(key, make);
        RegisterBenchmark(("Card/Load/" + key).c_str(), loadCard, file);
        RegisterBenchmark(("Card/Describe/" + key).c_str(), describeCard, file);
        RegisterBenchmark(("Card/Estimate/" + key).c_str(), estimateCard, file);
    }

    // The linear pairs: medians of five repetitions of the process's CPU time, so that
    // neither one slow moment nor other work on a shared machine decides a ratio.
    const auto pair = [](benchmark::internal::Benchmark* b, const char* unit, std::int64_t small,
                         std::int64_t large) {
        b->ArgName(unit)->Arg(small)->Arg(large)->Repetitions(5)->ReportAggregatesOnly(true)
            ->Unit(benchmark::kMillisecond);
    };
    const auto big = [](benchmark::State& state, void (*measure)(benchmark::State&, const File&)) {
        measure(state, workspace().bigCard(static_cast<std::size_t>(state.range(0))));
    };
    pair(RegisterBenchmark("BigCard/Load", big, &loadCardFresh), "MB", 5, 50);
    pair(RegisterBenchmark("BigCard/Describe", big, &describeCard), "MB", 5, 50);
    pair(RegisterBenchmark("BigCard/Estimate", big, &estimateCard), "MB", 5, 50);
#ifdef MORNSTAVE_BENCH_COMPOSE
    pair(RegisterBenchmark("Publish", publish), "MB", 1, 10);
    pair(RegisterBenchmark("ComposeFolder", composeFolder), "cards", 500, 5000);
#endif
    pair(RegisterBenchmark("Console", console), "cards", 500, 5000);
}

// The usual table, then one line per pair of sizes.
class Reporter : public benchmark::ConsoleReporter {
public:
    Reporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.error_occurred || !(single || median)) continue;
            Measured m;
            m.args = run.run_name.args;
            m.seconds = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            const auto bytes = run.counters.find("bytes_per_second");
            m.bytesPerSecond = bytes == run.counters.end() ? 0 : bytes->second.value;
            families_[run.run_name.function_name].push_back(m);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        std::ostream& out = GetOutputStream();
        out << "\nLinearity: CPU time per input byte at the larger size over that at the smaller\n"
               "(1.00 is linear; the target is 0.80 to 1.20)\n";
        for (const auto& [family, sizes] : families_) {
            if (sizes.size() != 2 || sizes[0].bytesPerSecond <= 0 || sizes[1].bytesPerSecond <= 0) continue;
            const double ratio = sizes[0].bytesPerSecond / sizes[1].bytesPerSecond;
            char line[256];
            std::snprintf(line, sizeof line, "  %-18s %-10s -> %-11s %10.3f ms -> %10.3f ms   %.2f\n",
                          family.c_str(), sizes[0].args.c_str(), sizes[1].args.c_str(),
                          sizes[0].seconds * 1e3, sizes[1].seconds * 1e3, ratio);
            out << line;
        }
        ConsoleReporter::Finalize();
    }

private:
    struct Measured {
        std::string args;
        double seconds = 0;
        double bytesPerSecond = 0;
    };
    std::map<std::string, std::vector<Measured>> families_;
};

}  // namespace
}  // namespace Vantorn::bench

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Vantorn::bench::registerAll();
    Vantorn::bench::Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
