// Makes the benchmark's card files and measures what one card costs in memory.
//   mornstave-benchdata corpus DIR COUNT   writes skill00001.vnt ... into DIR
//   mornstave-benchdata tree DIR COUNT [--oddities]
//                                          writes COUNT cards into a three-level tree
//                                          under DIR, and the odd files with --oddities
//   mornstave-benchdata hostile DIR        writes cards with hostile names and extreme
//                                          levels into DIR
//   mornstave-benchdata numbers DIR        writes cards whose numbers are extreme doubles
//   mornstave-benchdata big FILE MEGABYTES writes one card of content records
//   mornstave-benchdata deepest FILE MEGABYTES  writes one card of the barest records
//                                          nested as deep as allowed
//   mornstave-benchdata peak FILE          loads, describes (discarding the text) and
//                                          estimates FILE and destroys the card; prints
//                                          the sizes, each step's CPU time, the
//                                          process's CPU time and peak resident memory
//   mornstave-benchdata child OUT PROGRAM [ARG...]
//                                          runs PROGRAM with its standard output in OUT
//                                          and its standard error in OUT.err; prints its
//                                          wall and CPU time (to the microsecond, where
//                                          /usr/bin/time gives centiseconds) and its
//                                          peak resident memory

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>

#include "BenchCards.hpp"
#include "support/CountingStream.hpp"
#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"
#include "report/Report.hpp"

namespace {

int usage() {
    std::cerr << "usage: mornstave-benchdata corpus DIR COUNT\n"
                 "       mornstave-benchdata tree DIR COUNT [--oddities]\n"
                 "       mornstave-benchdata hostile DIR\n"
                 "       mornstave-benchdata numbers DIR\n"
                 "       mornstave-benchdata big FILE MEGABYTES\n"
                 "       mornstave-benchdata deepest FILE MEGABYTES\n"
                 "       mornstave-benchdata peak FILE\n"
                 "       mornstave-benchdata child OUT PROGRAM [ARG...]\n";
    return 2;
}

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;  // KiB on Linux
}

double ms(const timeval& t) {
    return t.tv_sec * 1e3 + t.tv_usec / 1e3;
}

// The process's user and system time so far.
double cpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Time between consecutive laps: wall time, or the process's CPU time, which other
// work on a shared machine does not stretch.
template <clockid_t Clock>
class Stopwatch {
public:
    double lap() {
        const double now = read();
        const double ms = now - last_;
        last_ = now;
        return ms;
    }

private:
    static double read() {
        timespec t{};
        ::clock_gettime(Clock, &t);
        return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
    }
    double last_ = read();
};

int runChild(const std::string& out, char** command) {
    const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int errFd = ::open((out + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (outFd < 0 || errFd < 0) {
        std::cerr << out << ": cannot write\n";
        return 1;
    }
    Stopwatch<CLOCK_MONOTONIC> watch;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(outFd, 1);
        ::dup2(errFd, 2);
        ::execvp(command[0], command);
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid) {
        std::cerr << command[0] << ": cannot run\n";
        return 1;
    }
    const double wallMs = watch.lap();
    ::close(outFd);
    ::close(errFd);
    std::cout << "wall_ms " << wallMs << "\ncpu_ms " << ms(usage.ru_utime) + ms(usage.ru_stime)
              << "\npeak_kib " << usage.ru_maxrss << "\nstatus " << status << '\n';
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
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
    if (command == "tree" && (argc == 4 || (argc == 5 && std::string(argv[4]) == "--oddities"))) {
        const auto count = static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10));
        if (writeCardTree(argv[2], count, argc == 5).empty() && count > 0) {
            std::cerr << argv[2] << ": cannot write the tree\n";
            return 1;
        }
        return 0;
    }
    if (command == "numbers" && argc == 3) {
        std::filesystem::create_directories(argv[2]);
        if (writeExtremeNumberCards(argv[2]).empty()) {
            std::cerr << argv[2] << ": cannot write the cards\n";
            return 1;
        }
        return 0;
    }
    if (command == "hostile" && argc == 3) {
        std::filesystem::create_directories(argv[2]);
        if (writeHostileCards(argv[2]).empty()) {
            std::cerr << argv[2] << ": cannot write the hostile cards\n";
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
        const std::size_t fileBytes = std::filesystem::file_size(argv[2]);
        std::size_t reportBytes = 0;
        double loadMs = 0, describeMs = 0, estimateMs = 0, releaseMs = 0;
        {
            Stopwatch<CLOCK_PROCESS_CPUTIME_ID> watch;
            auto card = std::make_unique<Vantorn::SkillCard>();
            try {
                card->load(argv[2]);
            } catch (const std::runtime_error& error) {
                std::cerr << argv[2] << ": " << error.what() << '\n';
                return 1;
            }
            loadMs = watch.lap();
            Vantorn::testing::CountingStream out;
            Vantorn::writeDescription(out, *card);
            describeMs = watch.lap();
            Vantorn::writeEstimate(out, Vantorn::estimateLevel(*card));
            estimateMs = watch.lap();
            reportBytes = out.count();
            card.reset();
            releaseMs = watch.lap();
        }
        const long peak = peakKiB();
        std::cout << "file_bytes " << fileBytes << "\nreport_bytes " << reportBytes
                  << "\nload_cpu_ms " << loadMs << "\ndescribe_cpu_ms " << describeMs
                  << "\nestimate_cpu_ms " << estimateMs << "\nrelease_cpu_ms " << releaseMs
                  << "\ncpu_ms " << cpuMs() << "\npeak_kib " << peak << "\nstartup_kib " << before
                  << '\n';
        return 0;
    }
    if (command == "child" && argc >= 4) {
        return runChild(argv[2], argv + 3);
    }
    return usage();
}
