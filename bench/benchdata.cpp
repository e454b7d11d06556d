// Makes the benchmark's card files and measures what one card costs in memory.
//   mornstave-benchdata corpus DIR COUNT   writes skill00001.vnt ... into DIR
//   mornstave-benchdata big FILE MEGABYTES writes one card of content records
//   mornstave-benchdata deepest FILE MEGABYTES  writes one card of the barest records
//                                          nested as deep as allowed
//   mornstave-benchdata peak FILE          loads, describes (discarding the text) and
//                                          estimates FILE, then prints its size, the
//                                          report's size and the peak resident memory

#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>

#include "BenchCards.hpp"
#include "CountingStream.hpp"
#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"

namespace {

int usage() {
    std::cerr << "usage: mornstave-benchdata corpus DIR COUNT\n"
                 "       mornstave-benchdata big FILE MEGABYTES\n"
                 "       mornstave-benchdata deepest FILE MEGABYTES\n"
                 "       mornstave-benchdata peak FILE\n";
    return 2;
}

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;  // KiB on Linux
}

}  // namespace

int main(int argc, char* argv[]) {
    using namespace Vantorn::bench;
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "corpus" && argc == 4) {
        std::filesystem::create_directories(argv[2]);
        const auto count = static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10));
        if (writeCorpus(argv[2], count).size() != count) {
            std::cerr << argv[2] << ": cannot write the corpus\n";
            return 1;
        }
        return 0;
    }
    if ((command == "big" || command == "deepest") && argc == 4) {
        const auto bytes = std::strtoul(argv[3], nullptr, 10) * 1000 * 1000;
        if (!writeFile(argv[2], command == "big" ? bigCard(bytes) : deepestCard(bytes))) {
            std::cerr << argv[2] << ": cannot write\n";
            return 1;
        }
        return 0;
    }
    if (command == "peak" && argc == 3) {
        const long before = peakKiB();
        std::size_t fileBytes = 0;
        std::size_t reportBytes = 0;
        {
            Vantorn::SkillCard card;
            try {
                card.load(argv[2]);
            } catch (const std::runtime_error& error) {
                std::cerr << argv[2] << ": " << error.what() << '\n';
                return 1;
            }
            fileBytes = std::filesystem::file_size(argv[2]);
            CountingStream out;
            card.describe(out);
            Vantorn::estimateLevel(card, out);
            reportBytes = out.count();
        }
        const long peak = peakKiB();
        std::cout << "file_bytes " << fileBytes << "\nreport_bytes " << reportBytes
                  << "\npeak_kib " << peak << "\nstartup_kib " << before
                  << "\npeak_per_file_byte " << (peak - before) * 1024.0 / static_cast<double>(fileBytes)
                  << '\n';
        return 0;
    }
    return usage();
}
