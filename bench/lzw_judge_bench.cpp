// The content decoder on the largest package the player takes, and the
// slowest judgement a player can cause.
#include "answers/feedback.h"
#include "content/lzw.h"
#include "content/lzw_encoder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

// A quiz record's worth of French text, grown until its stream is close to
// the 32 KB the decoder takes.
const LzwStream& largestPackage() {
    static LzwStream stream = [] {
        const char* words[] = {"capitale", "fleuve", "montagne", "la", "de", "ville", "mer",
                               "quel", "est", "le", "plus", "grand", "pays", "Europe", "|"};
        std::string text;
        uint32_t seed = 7;
        LzwStream best;
        for (;;) {
            for (int i = 0; i < 200; ++i) {
                seed = seed * 1103515245u + 12345u;
                text += words[(seed >> 16) % std::size(words)];
                text += (seed >> 8) % 5 == 0 ? "|" : " ";
                text += std::to_string((seed >> 4) % 97);
            }
            LzwStream next;
            if (lzwEncode(reinterpret_cast<const uint8_t*>(text.data()), text.size(), next) !=
                    lzwEncodeOk ||
                next.bytes.size() > 32000)
                return best;
            best = next;
        }
    }();
    return stream;
}

void lzwDecodeLargest(benchmark::State& state) {
    const LzwStream& stream = largestPackage();
    for (auto _ : state) {
        std::unique_ptr<uint8_t[]> output;
        size_t length = 0;
        benchmark::DoNotOptimize(decode(stream.bytes.data(), stream.bytes.size(), output, length));
    }
    state.SetLabel(std::to_string(stream.bytes.size()) + " bytes of stream");
}
BENCHMARK(lzwDecodeLargest)->Name("lzw_decode_32k")->Unit(benchmark::kMicrosecond);

// An expected answer of expectedLength characters against 55 typed ones
// that neither contain nor are contained in it.
void judge(benchmark::State& state, size_t expectedLength) {
    std::string expected;
    for (int i = 0; expected.size() < expectedLength; ++i)
        expected += static_cast<char>('a' + (i * 7) % 26);
    std::string typed = expected.substr(std::min(expectedLength / 4, expectedLength - 54), 54) + "#";
    for (auto _ : state)
        benchmark::DoNotOptimize(gradeAnswer(expected.c_str(), typed.c_str()));
}
// The longest texts a judgement meets: 259 expected, 55 typed (the lengths
// alone decide the similarity rule here).
BENCHMARK_CAPTURE(judge, 259x55, 259)->Name("judge_259x55")->Unit(benchmark::kMicrosecond);
// The largest distance table a judgement fills: with 55 typed characters,
// an expected answer of 68 is the longest whose distance can still matter.
BENCHMARK_CAPTURE(judge, worst, 68)->Name("judge_worst_case")->Unit(benchmark::kMicrosecond);

} // namespace
