// The encoder: exact streams for small inputs (checked against the test's
// own bit writer), round trips through the decoder with every way of
// widening and resetting, and the streams it refuses to write.
#include "lzw_test_support.h"

#include "content/lzw.h"
#include "content/lzw_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

using lzwtest::bytesOf;
using lzwtest::Code;
using lzwtest::decodeBytes;
using lzwtest::nineBits;
using lzwtest::packBits;

LzwEncodeOptions resettingAt(uint32_t resetAt) {
    LzwEncodeOptions options;
    options.resetAt = resetAt;
    return options;
}

LzwEncodeOptions widenedBefore(std::vector<size_t> positions) {
    LzwEncodeOptions options;
    options.widenBefore = std::move(positions);
    return options;
}

LzwEncodeOptions widenedEarlyBy(uint32_t margin) {
    LzwEncodeOptions options;
    options.widenEarlyBy = margin;
    return options;
}

TEST(LzwEncode, WritesTheExpectedCodes) {
    const struct {
        const char* name;
        std::string input;
        LzwEncodeOptions options;
        std::vector<Code> codes;
    } cases[] = {
        {"one byte", "A", {}, nineBits({'A', 256})},
        {"a run", "aaaa", {}, nineBits({'a', 259, 'a', 256})},
        {"repeats", "ababab", {}, nineBits({'a', 'b', 259, 259, 256})},
        // Every entry would be 260: a reset instead, and the string written
        // just before, plus the next byte, becomes 259.
        {"reset each time", "abab", resettingAt(260),
         nineBits({'a', 'b', 258, 'a', 258, 'b', 256})},
        {"entry 259 taken at the reset", "abbb", resettingAt(260),
         nineBits({'a', 'b', 258, 259, 256})},
        {"a longer string before the reset", "aaaa", resettingAt(260),
         nineBits({'a', 259, 258, 'a', 256})},
        {"extra widen", "ab", widenedBefore({1}), {{'a', 9}, {257, 9}, {'b', 10}, {256, 10}}},
        {"extra widens before the end code",
         "ab",
         widenedBefore({2, 2}),
         {{'a', 9}, {'b', 9}, {257, 9}, {257, 10}, {256, 11}}},
        {"widen early, not needed", "ab", widenedEarlyBy(413), nineBits({'a', 'b', 256})},
        {"widen early", "ab", widenedEarlyBy(414), {{'a', 9}, {257, 9}, {'b', 10}, {256, 10}}},
    };
    for (const auto& c : cases) {
        LzwStream stream;
        std::vector<uint8_t> input = bytesOf(c.input);
        ASSERT_EQ(lzwEncode(input.data(), input.size(), c.options, stream), lzwEncodeOk) << c.name;
        EXPECT_EQ(stream.bytes, packBits(c.codes)) << c.name;
        EXPECT_EQ(decodeBytes(stream.bytes).output, c.input) << c.name;
    }
}

// Reads codes back bit by bit, following widen and reset codes, up to and
// including the end code.
std::vector<Code> unpackCodes(const std::vector<uint8_t>& bytes) {
    std::vector<Code> codes;
    size_t bit = 0;
    int width = 9;
    while (bit + width <= bytes.size() * 8) {
        uint32_t value = 0;
        for (int i = 0; i < width; ++i, ++bit)
            value = value << 1 | ((bytes[bit / 8] >> (7 - bit % 8)) & 1);
        codes.push_back({value, width});
        if (value == 256)
            break;
        if (value == 257)
            ++width;
        if (value == 258)
            width = 9;
    }
    return codes;
}

// Without an early widen, a widen code comes only right before a code that
// does not fit in the width it had.
TEST(LzwEncode, WidensOnlyWhenACodeNeedsIt) {
    const std::vector<uint8_t> inputs[] = {
        lzwtest::randomBytes(3000, 7),
        lzwtest::wordyBytes(lzwMaxOutput, 8),
    };
    for (const std::vector<uint8_t>& input : inputs) {
        LzwStream stream;
        ASSERT_EQ(lzwEncode(input.data(), input.size(), stream), lzwEncodeOk);
        std::vector<Code> codes = unpackCodes(stream.bytes);
        ASSERT_FALSE(codes.empty());
        EXPECT_EQ(codes.back().value, 256u);
        EXPECT_LT(codes.front().value, 256u);
        size_t widens = 0;
        for (size_t i = 0; i + 1 < codes.size(); ++i) {
            if (codes[i].value != 257)
                continue;
            ++widens;
            const Code& next = codes[i + 1];
            EXPECT_TRUE(next.value == 257 || next.value >= (1u << codes[i].width))
                << "code " << i << " of " << codes.size();
        }
        EXPECT_EQ(widens, stream.widens);
        EXPECT_GE(widens, 3u);
        EXPECT_EQ(decodeBytes(stream.bytes).output, std::string(input.begin(), input.end()));
    }
}

struct NamedData {
    const char* name;
    std::vector<uint8_t> bytes;
    size_t minimumResets; // with the default reset point
};

std::vector<NamedData> roundTripData() {
    std::vector<NamedData> data = {
        {"one byte", {0x00}, 0},
        {"two bytes", {0xFF, 0xFF}, 0},
        {"every byte value", {}, 0},
        {"random, short", lzwtest::randomBytes(100, 1), 0},
        {"random, many fills", lzwtest::randomBytes(20000, 2), 3},
        {"words, short", lzwtest::wordyBytes(500, 3), 0},
        {"words, many fills", lzwtest::wordyBytes(lzwMaxOutput, 4), 2},
        {"one byte repeated", std::vector<uint8_t>(lzwMaxOutput, 'a'), 0},
        {"two bytes alternating", {}, 0},
        {"a counter", {}, 1},
    };
    for (int b = 0; b < 256; ++b)
        data[2].bytes.push_back(static_cast<uint8_t>(b));
    for (int i = 0; i < 60000; ++i)
        data[8].bytes.push_back(i % 2 ? 'x' : 'y');
    for (int i = 0; i < 8000; ++i) {
        data[9].bytes.push_back(static_cast<uint8_t>(i >> 8));
        data[9].bytes.push_back(static_cast<uint8_t>(i));
    }
    return data;
}

TEST(LzwEncode, RoundTripsThroughTheDecoder) {
    LzwEncodeOptions combined = resettingAt(700);
    combined.widenEarlyBy = 300;
    combined.widenBefore = {3, 3, 10};
    // Small dictionaries and wide codes make long streams: those encodings
    // take the first bytes of each input only, so that the stream stays
    // within what the player reads.
    const struct {
        const char* name;
        LzwEncodeOptions options;
        size_t inputBytes;
    } encodings[] = {
        {"as needed", {}, lzwMaxOutput},
        {"widen 100 early", widenedEarlyBy(100), 15000},
        {"widen 1000 early", widenedEarlyBy(1000), 15000},
        {"extra widens", widenedBefore({1, 1, 2, 40}), 15000},
        {"reset at 260", resettingAt(260), 4000},
        {"reset at 261", resettingAt(261), 4000},
        {"reset at 512", resettingAt(512), 20000},
        {"reset at 513", resettingAt(513), 20000},
        {"reset at 4000", resettingAt(4000), lzwMaxOutput},
        {"combined", combined, 20000},
    };
    for (const NamedData& data : roundTripData()) {
        for (const auto& encoding : encodings) {
            size_t length = std::min(data.bytes.size(), encoding.inputBytes);
            const std::string expected(data.bytes.begin(), data.bytes.begin() + length);
            LzwEncodeOptions options = encoding.options;
            if (!options.widenBefore.empty() && length < 1000)
                options.widenBefore = {1}; // positions past the end code are refused
            LzwStream stream;
            ASSERT_EQ(lzwEncode(data.bytes.data(), length, options, stream), lzwEncodeOk)
                << data.name << ", " << encoding.name;
            lzwtest::Decoded d = decodeBytes(stream.bytes);
            EXPECT_EQ(d.result, decodeOk) << data.name << ", " << encoding.name;
            EXPECT_TRUE(d.output == expected) << data.name << ", " << encoding.name;
            if (options.resetAt == 4096 && length == data.bytes.size()) {
                EXPECT_GE(stream.resets, data.minimumResets) << data.name << ", " << encoding.name;
            }
        }
    }
}

TEST(LzwEncode, RefusesWhatCannotBeWritten) {
    const std::vector<uint8_t> small = bytesOf("abc");
    LzwEncodeOptions past32Bits = widenedBefore(std::vector<size_t>(24, 1));
    const struct {
        const char* name;
        std::vector<uint8_t> input;
        LzwEncodeOptions options;
        int result;
    } cases[] = {
        {"empty input", {}, {}, lzwEncodeEmpty},
        {"input past the output limit",
         std::vector<uint8_t>(lzwMaxOutput + 1, 'a'),
         {},
         lzwEncodeInputTooLong},
        {"stream past the input limit", lzwtest::randomBytes(40000, 5), {}, lzwEncodeStreamTooLong},
        {"reset too early", small, resettingAt(259), lzwEncodeBadOptions},
        {"reset past the last slot", small, resettingAt(4097), lzwEncodeBadOptions},
        {"widen before the first code", small, widenedBefore({0}), lzwEncodeBadOptions},
        {"widen past the end code", small, widenedBefore({4}), lzwEncodeBadOptions},
        {"width past 32", small, past32Bits, lzwEncodeBadOptions},
        {"widen far too early", small, widenedEarlyBy((1u << 30) + 1), lzwEncodeBadOptions},
    };
    for (const auto& c : cases) {
        LzwStream stream;
        stream.bytes = {1, 2, 3};
        EXPECT_EQ(lzwEncode(c.input.data(), c.input.size(), c.options, stream), c.result) << c.name;
        EXPECT_TRUE(stream.bytes.empty()) << c.name;
    }
    // 23 widens reach width 32, which is still readable.
    LzwStream stream;
    ASSERT_EQ(
        lzwEncode(small.data(), small.size(), widenedBefore(std::vector<size_t>(23, 1)), stream),
        lzwEncodeOk);
    EXPECT_EQ(decodeBytes(stream.bytes).output, "abc");
}

// Streams past the player's limits, written on purpose: the decoder
// refuses them rather than run past its buffers.
TEST(LzwEncode, StreamsPastThePlayersLimitsAreRefusedByTheDecoder) {
    const struct {
        const char* name;
        std::vector<uint8_t> input;
        int result;
    } cases[] = {
        {"output at the limit", lzwtest::wordyBytes(lzwMaxOutput, 6), decodeOk},
        {"output past the limit", lzwtest::wordyBytes(lzwMaxOutput + 1, 6), decodeCorrupt},
        {"one byte past the limit", std::vector<uint8_t>(lzwMaxOutput + 1, 'a'), decodeCorrupt},
        {"stream past the input limit", lzwtest::randomBytes(40000, 5), decodeCorrupt},
    };
    LzwEncodeOptions options;
    options.withinPlayerLimits = false;
    for (const auto& c : cases) {
        LzwStream stream;
        ASSERT_EQ(lzwEncode(c.input.data(), c.input.size(), options, stream), lzwEncodeOk)
            << c.name;
        lzwtest::Decoded d = decodeBytes(stream.bytes);
        EXPECT_EQ(d.result, c.result) << c.name;
        if (c.result == decodeOk) {
            EXPECT_TRUE(d.output == std::string(c.input.begin(), c.input.end())) << c.name;
        }
    }
}

} // namespace
