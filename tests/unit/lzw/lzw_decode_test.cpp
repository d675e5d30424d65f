// The decoder against streams written out bit by bit, one case per rule of
// the stream and per way of refusing it.
#include "lzw_test_support.h"

#include "content/lzw.h"
#include "platform/memory/memory_ui.h"

#include <gtest/gtest.h>

namespace {

using lzwtest::Code;
using lzwtest::decodeBytes;
using lzwtest::nineBits;
using lzwtest::packBits;

constexpr uint32_t end = 256;
constexpr uint32_t widen = 257;
constexpr uint32_t reset = 258;

std::vector<Code> join(std::vector<Code> first, const std::vector<Code>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// A literal, then widen codes from 9 bits up to the given width.
std::vector<Code> literalThenWidenTo(uint32_t literal, int width) {
    std::vector<Code> codes{{literal, 9}};
    for (int w = 9; w < width; ++w)
        codes.push_back({widen, w});
    return codes;
}

struct StreamCase {
    const char* name;
    std::vector<Code> codes;
    std::vector<uint8_t> trailing; // bytes appended after the packed codes
    int result;
    std::string output;
};

TEST(LzwDecode, FollowsTheStream) {
    const StreamCase cases[] = {
        {"one literal then end", nineBits({'A', end}), {}, decodeOk, "A"},
        {"literals", nineBits({'a', 'b', 'c', end}), {}, decodeOk, "abc"},
        {"an entry made earlier", nineBits({'a', 'b', 259, end}), {}, decodeOk, "abab"},
        {"code equal to the next free code", nineBits({'a', 259, end}), {}, decodeOk, "aaa"},
        {"a chain of such codes", nineBits({'a', 259, 260, end}), {}, decodeOk, "aaaaaa"},
        {"entry of an entry", nineBits({'a', 'b', 259, 261, end}), {}, decodeOk, "abababa"},
        // Only the low eight bits of the first code count, whatever it is.
        {"first code not a literal", nineBits({0x141, end}), {}, decodeOk, "A"},
        {"first code is the end code", nineBits({end, end}), {}, decodeOk, std::string(1, '\0')},
        {"first code is a reset", nineBits({reset, 'b', end}), {}, decodeOk, "\002b"},
        {"bytes after the end code", nineBits({'a', end}), {0xFF, 0xFF, 0x01, 0x00}, decodeOk, "a"},
        {"widened codes",
         {{'a', 9}, {widen, 9}, {'b', 10}, {259, 10}, {end, 10}},
         {},
         decodeOk,
         "abab"},
        {"two widens",
         {{'a', 9}, {widen, 9}, {widen, 10}, {'b', 11}, {end, 11}},
         {},
         decodeOk,
         "ab"},
        {"reset keeps the previous string", nineBits({'a', reset, end}), {}, decodeOk, "a"},
        {"two resets", nineBits({'a', reset, reset, 'b', end}), {}, decodeOk, "ab"},
        {"width back to 9 after a reset",
         {{'a', 9}, {widen, 9}, {'b', 10}, {reset, 10}, {'c', 9}, {end, 9}},
         {},
         decodeOk,
         "abc"},
        // Entry 259 after a reset extends the string decoded before it.
        {"entry 259 from the string before the reset",
         nineBits({'a', 'b', 'c', reset, 'd', 259, end}),
         {},
         decodeOk,
         "abcdcd"},
        {"entry 259 at once after a reset",
         nineBits({'a', 'b', 'c', reset, 259, end}),
         {},
         decodeOk,
         "abccc"},
        {"code equal to the next free code after a reset",
         nineBits({'a', 'b', reset, 'c', 260, end}),
         {},
         decodeOk,
         "abccc"},
        {"32-bit codes",
         join(literalThenWidenTo('a', 32), {{'b', 32}, {259, 32}, {end, 32}}),
         {},
         decodeOk,
         "abab"},

        {"empty input", {}, {}, decodeTooShort, ""},
        {"first code cut short", {}, {0x30}, decodeTooShort, ""},
        {"code above the next free code", nineBits({'a', 260, end}), {}, decodeCorrupt, ""},
        {"code far above the next free code",
         nineBits({'a', 'b', 'c', 400, end}),
         {},
         decodeCorrupt,
         ""},
        {"entry from before a reset",
         nineBits({'a', 'b', 'c', reset, 260, end}),
         {},
         decodeCorrupt,
         ""},
        {"next entry but one after a reset",
         nineBits({'a', 'b', reset, 'c', 261, end}),
         {},
         decodeCorrupt,
         ""},
        {"a code at the old width after a reset",
         {{'a', 9}, {widen, 9}, {'b', 10}, {reset, 10}, {'c', 10}, {end, 10}},
         {},
         decodeCorrupt,
         ""},
        {"last complete code is not the end code", nineBits({'a', 'b'}), {}, decodeCorrupt, ""},
        {"stream without an end code", nineBits({'a', 'b', 'c', 259, 260}), {}, decodeCorrupt, ""},
        {"widen at width 32", join(literalThenWidenTo('a', 32), {{widen, 32}}),
         std::vector<uint8_t>(16, 0), decodeCorrupt, ""},
    };
    for (const StreamCase& c : cases) {
        std::vector<uint8_t> bytes = packBits(c.codes);
        bytes.insert(bytes.end(), c.trailing.begin(), c.trailing.end());
        lzwtest::Decoded d = decodeBytes(bytes);
        EXPECT_EQ(d.result, c.result) << c.name;
        EXPECT_EQ(d.output, c.output) << c.name;
        EXPECT_EQ(d.outputHeld, c.result == decodeOk) << c.name;
    }
}

// Bytes written by hand: 'A' in 9 bits is 0 0110 0001, the end code
// 1 0000 0000.
TEST(LzwDecode, ReadsCodesMostSignificantBitFirst) {
    const struct {
        std::vector<uint8_t> bytes;
        int result;
        std::string output;
    } cases[] = {
        {{0x20, 0xC0, 0x00}, decodeOk, "A"},
        {{0x20, 0xC0, 0x00, 0xAA}, decodeOk, "A"},
        {{0x20}, decodeTooShort, ""},
        {{0x20, 0xC0}, decodeCorrupt, ""}, // the end code's last two bits are missing
    };
    for (const auto& c : cases) {
        lzwtest::Decoded d = decodeBytes(c.bytes);
        EXPECT_EQ(d.result, c.result);
        EXPECT_EQ(d.output, c.output);
    }
}

TEST(LzwDecode, InputEndingInsideACode) {
    std::vector<uint8_t> bytes = packBits(nineBits({'a', 'b', 'c', 'd', end}));
    ASSERT_EQ(decodeBytes(bytes).output, "abcd");
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        std::vector<uint8_t> shorter(bytes.begin(), bytes.begin() + cut);
        EXPECT_EQ(decodeBytes(shorter).result, cut < 2 ? decodeTooShort : decodeCorrupt) << cut;
    }
}

// Without a reset the dictionary holds entries up to 4095: each literal
// after the first makes one entry.
TEST(LzwDecode, RefusesAnEntryPastTheLastSlot) {
    const struct {
        int literals;
        bool resetAfter;
        int result;
    } cases[] = {
        {3837, false, decodeOk}, // entries 259 to 4095
        {3838, false, decodeCorrupt},
        {3837, true, decodeOk},
    };
    for (const auto& c : cases) {
        std::vector<Code> codes = literalThenWidenTo('x', 12);
        for (int i = 0; i < c.literals; ++i)
            codes.push_back({'x', 12});
        if (c.resetAfter) {
            codes.push_back({reset, 12});
            codes = join(codes, nineBits({'y', 259, 260}));
        }
        codes.push_back({end, c.resetAfter ? 9 : 12});
        lzwtest::Decoded d = decodeBytes(packBits(codes));
        EXPECT_EQ(d.result, c.result) << c.literals;
        if (c.result == decodeOk) {
            std::string expected(static_cast<size_t>(c.literals) + 1, 'x');
            if (c.resetAfter)
                expected += "yxyyx"; // 259 = the last x + y, 260 = yx
            EXPECT_EQ(d.output, expected);
        }
    }
}

// A run of one byte written as codes equal to the next free code: each
// string is one byte longer than the last and is written whole, so the
// output reaches its limit (here after 489 codes) long before a string
// could outgrow the string buffers.
TEST(LzwDecode, RefusesAnOutputPastItsBuffer) {
    const struct {
        uint32_t chain;
        int result;
        size_t length;
    } cases[] = {
        {488, decodeOk, 489 * 490 / 2}, // 119 805 bytes
        {489, decodeCorrupt, 0},        // 120 295 bytes
    };
    for (const auto& c : cases) {
        std::vector<Code> codes{{'z', 9}};
        int width = 9;
        for (uint32_t code = 259; code < 259 + c.chain; ++code) {
            if (code >= (1u << width))
                codes.push_back({widen, width++});
            codes.push_back({code, width});
        }
        codes.push_back({end, width});
        lzwtest::Decoded d = decodeBytes(packBits(codes));
        EXPECT_EQ(d.result, c.result) << c.chain;
        EXPECT_EQ(d.output, std::string(c.length, 'z')) << c.chain;
    }
}

TEST(LzwDecode, RefusesAnInputPastItsBuffer) {
    const struct {
        size_t length;
        int result;
    } cases[] = {
        {lzwMaxInput, decodeOk},
        {lzwMaxInput + 1, decodeCorrupt},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = packBits(nineBits({'a', 'b', end}));
        bytes.resize(c.length, 0); // ignored after the end code, but still input
        lzwtest::Decoded d = decodeBytes(bytes);
        EXPECT_EQ(d.result, c.result) << c.length;
        EXPECT_EQ(d.output, c.result == decodeOk ? "ab" : "") << c.length;
    }
}

TEST(LzwDecode, NullInputIsEmpty) {
    std::unique_ptr<uint8_t[]> output;
    size_t length = 7;
    EXPECT_EQ(decode(nullptr, 10, output, length), decodeTooShort);
    EXPECT_EQ(output, nullptr);
    EXPECT_EQ(length, 0u);
}

// A call that leaves the width at 10 and entries behind must not change
// how the next stream reads.
TEST(LzwDecode, CallsAreIndependent) {
    std::vector<uint8_t> wide =
        packBits({{'a', 9}, {'b', 9}, {widen, 9}, {'c', 10}, {260, 10}, {259, 10}});
    std::vector<uint8_t> narrow = packBits(nineBits({'q', 259, end}));
    EXPECT_EQ(decodeBytes(wide).result, decodeCorrupt);
    EXPECT_EQ(decodeBytes(narrow).output, "qqq");
    EXPECT_EQ(decodeBytes(packBits(nineBits({'q', 260, end}))).result, decodeCorrupt);
}

class LzwDecodeMemory : public ::testing::Test {
protected:
    void SetUp() override { memory::reset(); }
    void TearDown() override {
        lzwFailAllocationForTesting(lzwAllocationNone);
        memory::reset();
    }
};

TEST_F(LzwDecodeMemory, ReportsEachFailedAllocation) {
    // Makes entries 259 to 266.
    const std::vector<uint8_t> stream =
        packBits(nineBits({'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', end}));
    const struct {
        int allocation;
        bool tellsTheUser;
    } cases[] = {
        {lzwAllocationInput, false},          {lzwAllocationScratch, false},
        {lzwAllocationDictionary, false},     {lzwAllocationPreviousString, false},
        {lzwAllocationOutput, true},          {lzwAllocationFirstEntry, false},
        {lzwAllocationFirstEntry + 7, false}, // the last entry the stream makes
    };
    for (const auto& c : cases) {
        memory::reset();
        lzwFailAllocationForTesting(c.allocation);
        lzwtest::Decoded d = decodeBytes(stream);
        EXPECT_EQ(d.result, decodeOutOfMemory) << c.allocation;
        EXPECT_FALSE(d.outputHeld) << c.allocation;
        EXPECT_EQ(d.output, "") << c.allocation;
        ASSERT_EQ(memory::messages().size(), c.tellsTheUser ? 1u : 0u) << c.allocation;
        if (c.tellsTheUser) {
            EXPECT_EQ(memory::messages()[0].text, "Impossible d'allouer la memoire");
            EXPECT_EQ(memory::messages()[0].caption, "information");
            EXPECT_EQ(memory::messages()[0].icon, ui::MessageIcon::None);
        }
    }
    // Past the entries the stream makes, nothing fails; with the hook off,
    // the next call starts afresh.
    lzwFailAllocationForTesting(lzwAllocationFirstEntry + 8);
    EXPECT_EQ(decodeBytes(stream).output, "abcdefghi");
    lzwFailAllocationForTesting(lzwAllocationNone);
    EXPECT_EQ(decodeBytes(stream).output, "abcdefghi");
    EXPECT_TRUE(memory::messages().empty());
}

} // namespace
