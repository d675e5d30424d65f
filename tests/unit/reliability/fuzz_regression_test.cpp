// Every input a fuzz program ever stopped on (kept by `make fuzz` in
// tests/fuzz-regressions/PROGRAM/), replayed through the same entry point,
// in every build of the tests: the fault it showed stays fixed.
#include "fuzz/fuzz_entries.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

TEST(FuzzRegressions, EveryKeptInputRunsClean) {
    const struct {
        const char* program;
        void (*entry)(const uint8_t*, size_t);
    } programs[] = {
        {"lzw_decode", fuzzLzwDecode},
        {"content_loader", fuzzContentLoader},
        {"progress_reader", fuzzProgressReader},
        {"png_decoder", fuzzPngDecoder},
        {"quiz_toml", fuzzQuizToml},
        {"resource_archive", fuzzResourceArchive},
    };
    const fs::path kept = fs::path(ZORBE_SOURCE_DIR) / "tests" / "fuzz-regressions";
    int replayed = 0;
    for (const auto& program : programs) {
        const fs::path folder = kept / program.program;
        if (!fs::is_directory(folder))
            continue;
        for (const auto& entry : fs::directory_iterator(folder)) {
            SCOPED_TRACE(entry.path().string());
            std::ifstream in(entry.path(), std::ios::binary);
            const std::vector<uint8_t> input((std::istreambuf_iterator<char>(in)),
                                             std::istreambuf_iterator<char>());
            // A broken promise or a sanitizer report ends the program here.
            program.entry(input.data(), input.size());
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0) << "no kept input found under " << kept.string();
}

} // namespace
