// zorbe-bench: the player's hot paths measured side by side with the
// libraries a player could have used instead. Prints Google Benchmark's
// table, then the ratios the performance budgets are stated in.
#include "bench/bench_memory.h"
#include "platform/memory/memory_ui.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

// Collects each benchmark's time per iteration while the console shows them.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                seconds[run.benchmark_name()] =
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    std::map<std::string, double> seconds;
};

void printRatio(const RatioReporter& reporter, const std::string& ours, const std::string& theirs,
                const char* what) {
    auto a = reporter.seconds.find(ours);
    auto b = reporter.seconds.find(theirs);
    if (a == reporter.seconds.end() || b == reporter.seconds.end() || b->second <= 0)
        return;
    std::printf("  %-44s %6.2f\n", what, a->second / b->second);
}

} // namespace

// Writes the largest quiz's source and pictures, for timing a real start-up.
bool writeLargestQuiz(const char* folder);

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--write-largest-quiz")
        return writeLargestQuiz(argv[2]) ? 0 : 1;
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\nRatios (player's own time / other's time; below 1 is faster):\n");
    for (const char* image : {"photo260", "photo2000x1500", "indexed", "adam7"}) {
        std::string suffix = std::string("/") + image;
        printRatio(reporter, "png_zorbe" + suffix, "png_libpng" + suffix,
                   (std::string("PNG ") + image + " vs libpng").c_str());
        printRatio(reporter, "png_zorbe" + suffix, "png_stb" + suffix,
                   (std::string("PNG ") + image + " vs stb_image").c_str());
    }
    printRatio(reporter, "startup_largest_quiz", "startup_pictures_floor",
               "largest quiz start-up vs its pictures alone");
    auto judge = reporter.seconds.find("judge_worst_case");
    if (judge != reporter.seconds.end())
        std::printf("  %-44s %6.2f us (budget 20)\n", "worst-case judgement", judge->second * 1e6);

    std::printf("\nPeak heap while decoding once (bytes):\n");
    printPeakMemoryTable();
    benchmark::Shutdown();
    memory::reset();
    return 0;
}
