// Inflating the image data: the zlib stream read across IDAT chunks,
// stored, fixed and dynamic blocks, and every kind of corrupt stream, which
// must fail without touching memory outside the raw buffer.
#include "media/png/png_decoder.h"
#include "tests/unit/png/png_test_support.h"

#include <gtest/gtest.h>

#include <functional>

using namespace pngtest;

namespace {

// An image whose raw buffer holds exactly size bytes: one row of 8-bit grey.
Header rawOfSize(uint32_t size) {
    Header h;
    h.width = size - 1;
    return h;
}

// The file with the stream split into IDAT chunks at the offsets given.
Bytes splitImage(const Header& h, const Bytes& zlib, const std::vector<size_t>& cuts) {
    std::vector<Bytes> chunks = {chunk("IHDR", headerData(h))};
    size_t from = 0;
    for (size_t cut : cuts) {
        chunks.push_back(chunk("IDAT", Bytes(zlib.begin() + from, zlib.begin() + cut)));
        from = cut;
    }
    chunks.push_back(chunk("IDAT", Bytes(zlib.begin() + from, zlib.end())));
    chunks.push_back(chunk("IEND", {}));
    return pngFile(chunks);
}

struct Inflated {
    bool ok;
    uint32_t error;
    Bytes raw;
};

Inflated inflateFile(const Bytes& file) {
    PngDecoder decoder;
    Inflated result{loadAndDecode(decoder, file), 0, {}};
    result.error = decoder.error;
    if (decoder.raw != nullptr)
        result.raw.assign(decoder.raw, decoder.raw + decoder.rawSize);
    if (!result.ok) {
        EXPECT_EQ(decoder.raw, nullptr);
        EXPECT_NE(decoder.state, pngStateDecoded);
    }
    pngFree(decoder);
    return result;
}

Inflated inflateRaw(uint32_t rawSize, const Bytes& zlib) {
    return inflateFile(imageFile(rawOfSize(rawSize), zlib));
}

// A zlib stream: header 78 01, the blocks the body writes, then an
// Adler-32 of zeros (it is not checked).
Bytes zlibOf(const std::function<void(BitWriter&)>& body, uint8_t cmf = 0x78, uint8_t flg = 0x01) {
    BitWriter w;
    w.bits(cmf, 8);
    w.bits(flg, 8);
    body(w);
    w.align();
    w.bytes.insert(w.bytes.end(), {0, 0, 0, 0});
    return w.bytes;
}

void fixedBlockHeader(BitWriter& w, bool final) {
    w.bits(final ? 1 : 0, 1);
    w.bits(1, 2);
}

// A fixed-code match: length symbol and extra bits, then the 5-bit distance
// symbol and its extra bits.
void fixedMatch(BitWriter& w, int lengthSymbol, uint32_t lengthExtra, int lengthExtraBits,
                int distanceSymbol, uint32_t distanceExtra, int distanceExtraBits) {
    fixedSymbol(w, lengthSymbol);
    w.bits(lengthExtra, lengthExtraBits);
    w.code(static_cast<uint32_t>(distanceSymbol), 5);
    w.bits(distanceExtra, distanceExtraBits);
}

// A complete literal/length code: every literal 9 bits, end-of-block 2,
// lengths 3 (257) and 4 (258) 3 bits each.
std::vector<uint8_t> sampleLiteralLengths() {
    std::vector<uint8_t> lengths(259, 9);
    lengths[256] = 2;
    lengths[257] = 3;
    lengths[258] = 3;
    return lengths;
}

// A dynamic block's header from its two code length lists, written with
// repeat codes where they fit.
void dynamicBlock(BitWriter& w, bool final, const std::vector<uint8_t>& literalLengths,
                  const std::vector<uint8_t>& distanceLengths) {
    std::vector<uint8_t> all = literalLengths;
    all.insert(all.end(), distanceLengths.begin(), distanceLengths.end());
    dynamicHeader(w, final, static_cast<int>(literalLengths.size()),
                  static_cast<int>(distanceLengths.size()), fullLengthCode(),
                  runLengthSymbols(all));
}

void symbol(BitWriter& w, const std::vector<uint8_t>& lengths, int s) {
    w.code(canonicalCodes(lengths)[static_cast<size_t>(s)], lengths[static_cast<size_t>(s)]);
}

TEST(PngInflate, AStoredStreamDecodesToItsBytesHoweverTheChunksSplitIt) {
    Bytes data(40);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7 + 1);
    const Bytes zlib = storedZlib(data);
    const std::vector<std::vector<size_t>> splits = {
        {},
        {1},
        {2, 2, 2, 7, 7, 30},                 // zero-length chunks in between
        {0, 0, 5},                           // and at the start
        {zlib.size()},                       // and at the end
        {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, // a byte at a time
    };
    for (const auto& cuts : splits) {
        SCOPED_TRACE(testing::PrintToString(cuts));
        const Inflated result = inflateFile(splitImage(rawOfSize(40), zlib, cuts));
        ASSERT_TRUE(result.ok);
        EXPECT_EQ(result.error, pngErrorNone);
        EXPECT_EQ(result.raw, data);
    }
}

TEST(PngInflate, StreamsEndAtTheFirstChunkThatIsNotImageData) {
    Bytes data(20, 0x33);
    const Bytes zlib = storedZlib(data);
    // The stream stops at the text chunk: the rest of the stored block, the
    // Adler-32 included, reads as zeros.
    std::vector<Bytes> chunks = {chunk("IHDR", headerData(rawOfSize(20))),
                                 chunk("IDAT", Bytes(zlib.begin(), zlib.begin() + 12)),
                                 chunk("tEXt", {'k', 0, 'v'}),
                                 chunk("IDAT", Bytes(zlib.begin() + 12, zlib.end()))};
    const Inflated result = inflateFile(pngFile(chunks));
    ASSERT_TRUE(result.ok);
    Bytes expected(20, 0);
    std::fill(expected.begin(), expected.begin() + 5, 0x33);
    EXPECT_EQ(result.raw, expected);
}

TEST(PngInflate, LongStoredDataSpansSeveralBlocks) {
    Bytes data(70000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i ^ (i >> 8));
    const Inflated result = inflateRaw(70000, storedZlib(data));
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.raw, data);
}

TEST(PngInflate, MatchesRepeatTheirOwnOutput) {
    // Distance 1, length 258: the last byte 258 more times.
    const Inflated run = inflateRaw(259, zlibOf([](BitWriter& w) {
                                        fixedBlockHeader(w, true);
                                        fixedSymbol(w, 7);
                                        fixedMatch(w, 285, 0, 0, 0, 0, 0);
                                        fixedSymbol(w, 256);
                                    }));
    ASSERT_TRUE(run.ok);
    EXPECT_EQ(run.raw, Bytes(259, 7));

    // Distance 2, length 5 (symbol 259): "ab" becomes "abababa".
    const Inflated overlap = inflateRaw(7, zlibOf([](BitWriter& w) {
                                            fixedBlockHeader(w, true);
                                            fixedSymbol(w, 'a');
                                            fixedSymbol(w, 'b');
                                            fixedMatch(w, 259, 0, 0, 1, 0, 0);
                                            fixedSymbol(w, 256);
                                        }));
    ASSERT_TRUE(overlap.ok);
    EXPECT_EQ(overlap.raw, Bytes({'a', 'b', 'a', 'b', 'a', 'b', 'a'}));

    // Extra bits on both sides: length 13 + 1 (symbol 266), distance
    // 5 + 1 (symbol 4), across two blocks.
    const Inflated extra = inflateRaw(20, zlibOf([](BitWriter& w) {
                                          fixedBlockHeader(w, false);
                                          for (int i = 0; i < 6; ++i)
                                              fixedSymbol(w, '0' + i);
                                          fixedSymbol(w, 256);
                                          fixedBlockHeader(w, true);
                                          fixedMatch(w, 266, 1, 1, 4, 1, 1);
                                          fixedSymbol(w, 256);
                                      }));
    ASSERT_TRUE(extra.ok);
    EXPECT_EQ(std::string(extra.raw.begin(), extra.raw.end()), "01234501234501234501");
}

TEST(PngInflate, DynamicBlocksDecode) {
    const std::vector<uint8_t> literals = sampleLiteralLengths();
    // Two distance codes, and a single one (an incomplete code allowed).
    for (const std::vector<uint8_t>& distances :
         {std::vector<uint8_t>{1, 1}, std::vector<uint8_t>{0, 1}}) {
        SCOPED_TRACE(distances.size());
        const int distanceSymbol = distances[0] != 0 ? 0 : 1; // distance 1 or 2
        const Inflated result = inflateRaw(8, zlibOf([&](BitWriter& w) {
                                               dynamicBlock(w, true, literals, distances);
                                               symbol(w, literals, 'x');
                                               symbol(w, literals, 'y');
                                               symbol(w, literals, 'z');
                                               symbol(w, literals, 258); // length 4
                                               symbol(w, distances, distanceSymbol);
                                               symbol(w, literals, 'w');
                                               symbol(w, literals, 256);
                                           }));
        ASSERT_TRUE(result.ok);
        EXPECT_EQ(std::string(result.raw.begin(), result.raw.end()),
                  distanceSymbol == 0 ? "xyzzzzzw" : "xyzyzyzw");
    }
}

TEST(PngInflate, ChecksThatDoNotGuardMemoryAreNotMade) {
    const Bytes data = {1, 2, 3, 4};
    const struct {
        const char* what;
        Bytes zlib;
    } cases[] = {
        {"wrong Adler-32", storedZlib(data, 0xDEADBEEF)},
        {"header check value not a multiple of 31", zlibOf(
                                                        [](BitWriter& w) {
                                                            w.bits(1, 1);
                                                            w.bits(0, 2);
                                                            w.align();
                                                            w.bits(4, 16);
                                                            w.bits(0xFFFB, 16);
                                                            for (uint8_t b : {1, 2, 3, 4})
                                                                w.bits(b, 8);
                                                        },
                                                        0x78, 0x00)},
        {"smallest window", zlibOf(
                                [](BitWriter& w) {
                                    fixedBlockHeader(w, true);
                                    for (int b : {1, 2, 3, 4})
                                        fixedSymbol(w, b);
                                    fixedSymbol(w, 256);
                                },
                                0x08, 0x1D)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Inflated result = inflateRaw(4, c.zlib);
        ASSERT_TRUE(result.ok);
        EXPECT_EQ(result.raw, data);
    }
}

TEST(PngInflate, AStreamThatEndsEarlyReadsZeros) {
    // A stored block promising 10 bytes, cut after 4 of them.
    Bytes cut = storedZlib({9, 8, 7, 6, 5, 4, 3, 2, 1, 0});
    cut.resize(2 + 5 + 4);
    const Inflated stored = inflateRaw(12, cut);
    ASSERT_TRUE(stored.ok);
    EXPECT_EQ(stored.raw, Bytes({9, 8, 7, 6, 0, 0, 0, 0, 0, 0, 0, 0}));

    // A final fixed block cut before its end: seven zero bits are the
    // end-of-block code, so it still ends.
    Bytes fixed = zlibOf([](BitWriter& w) {
        fixedBlockHeader(w, true);
        fixedSymbol(w, 0x41);
        fixedSymbol(w, 0x42);
    });
    fixed.resize(fixed.size() - 4);
    const Inflated unterminated = inflateRaw(3, fixed);
    ASSERT_TRUE(unterminated.ok);
    EXPECT_EQ(unterminated.raw, Bytes({0x41, 0x42, 0}));

    // ... but a block that is not the last reads a stored header of zeros
    // next, whose length check fails.
    Bytes notFinal = zlibOf([](BitWriter& w) {
        fixedBlockHeader(w, false);
        fixedSymbol(w, 0x41);
    });
    notFinal.resize(notFinal.size() - 4);
    EXPECT_FALSE(inflateRaw(3, notFinal).ok);
}

// Every corrupt stream fails with the same error and leaves no buffer.
TEST(PngInflate, CorruptStreamsFail) {
    const std::vector<uint8_t> literals = sampleLiteralLengths();
    const std::vector<uint8_t> distances = {1, 1};
    auto literal = [](uint8_t b) {
        return [b](BitWriter& w) {
            fixedBlockHeader(w, true);
            fixedSymbol(w, b);
            fixedSymbol(w, 256);
        };
    };
    // A dynamic block whose code lengths are given as raw symbols.
    auto dynamicWith = [](int hlit, int hdist, std::vector<uint8_t> lengthCode,
                          std::vector<LengthSymbol> symbols) {
        return [=](BitWriter& w) { dynamicHeader(w, true, hlit, hdist, lengthCode, symbols); };
    };
    // Literal/length and distance lengths written plainly, then 'a' and end.
    auto dynamicCodes = [](std::vector<uint8_t> lit, std::vector<uint8_t> dist) {
        return [=](BitWriter& w) {
            dynamicBlock(w, true, lit, dist);
            for (int s : {int{'a'}, 256}) {
                if (lit[static_cast<size_t>(s)] != 0)
                    symbol(w, lit, s);
            }
        };
    };
    std::vector<uint8_t> overFullLiterals = literals;
    overFullLiterals['a'] = 1;
    std::vector<uint8_t> incompleteLiterals(259, 0);
    incompleteLiterals['a'] = 2;
    incompleteLiterals[256] = 2;
    std::vector<uint8_t> noEndOfBlock(259, 0);
    noEndOfBlock['a'] = 1;
    noEndOfBlock[257] = 1;
    std::vector<uint8_t> singleEndOfBlock(257, 0);
    singleEndOfBlock[256] = 1;

    const struct {
        const char* what;
        uint32_t rawSize;
        Bytes zlib;
    } cases[] = {
        {"compression method 7", 2, zlibOf(literal(1), 0x77, 0x01)},
        {"compression method 15", 2, zlibOf(literal(1), 0x7F, 0x01)},
        {"window field 8", 2, zlibOf(literal(1), 0x88, 0x01)},
        {"preset dictionary", 2, zlibOf(literal(1), 0x78, 0x20)},
        {"preset dictionary, check value right", 2, zlibOf(literal(1), 0x78, 0xBB)},
        {"block type 3", 2, zlibOf([](BitWriter& w) { w.bits(7, 3); })},
        {"stored length not complemented", 4, zlibOf([](BitWriter& w) {
             w.bits(1, 3);
             w.align();
             w.bits(4, 16);
             w.bits(0xFFFA, 16);
         })},
        {"stored block longer than the buffer", 3, storedZlib({1, 2, 3, 4})},
        {"stored blocks together longer than the buffer", 3, zlibOf([](BitWriter& w) {
             for (int block = 0; block < 2; ++block) {
                 w.bits(block, 3);
                 w.align();
                 w.bits(2, 16);
                 w.bits(0xFFFD, 16);
                 w.bits(0x0101, 16);
             }
         })},
        {"literals past the end", 2, zlibOf([](BitWriter& w) {
             fixedBlockHeader(w, true);
             fixedSymbol(w, 1);
             fixedSymbol(w, 2);
             fixedSymbol(w, 3);
             fixedSymbol(w, 256);
         })},
        {"match past the end", 10, zlibOf([](BitWriter& w) {
             fixedBlockHeader(w, true);
             fixedSymbol(w, 1);
             fixedMatch(w, 264, 0, 0, 0, 0, 0); // length 10
             fixedSymbol(w, 256);
         })},
        {"distance before the start", 10, zlibOf([](BitWriter& w) {
             fixedBlockHeader(w, true);
             fixedMatch(w, 257, 0, 0, 0, 0, 0);
             fixedSymbol(w, 256);
         })},
        {"distance one before the start", 10, zlibOf([](BitWriter& w) {
             fixedBlockHeader(w, true);
             for (int b : {1, 2, 3, 4})
                 fixedSymbol(w, b);
             fixedMatch(w, 257, 0, 0, 4, 0, 1); // distance 5
             fixedSymbol(w, 256);
         })},
        {"largest distance, tiny output", 40, zlibOf([](BitWriter& w) {
             fixedBlockHeader(w, true);
             fixedSymbol(w, 1);
             fixedMatch(w, 257, 0, 0, 29, 8191, 13); // distance 32768
             fixedSymbol(w, 256);
         })},
        {"length symbol 286", 10, zlibOf([](BitWriter& w) {
             fixedBlockHeader(w, true);
             fixedSymbol(w, 1);
             fixedMatch(w, 286, 0, 0, 0, 0, 0);
         })},
        {"length symbol 287", 10, zlibOf([](BitWriter& w) {
             fixedBlockHeader(w, true);
             fixedSymbol(w, 1);
             fixedMatch(w, 287, 0, 0, 0, 0, 0);
         })},
        {"distance symbol 30", 10, zlibOf([](BitWriter& w) {
             fixedBlockHeader(w, true);
             fixedSymbol(w, 1);
             fixedMatch(w, 257, 0, 0, 30, 0, 0);
         })},
        {"distance symbol 31", 10, zlibOf([](BitWriter& w) {
             fixedBlockHeader(w, true);
             fixedSymbol(w, 1);
             fixedMatch(w, 257, 0, 0, 31, 0, 0);
         })},
        {"HLIT 287", 4, zlibOf(dynamicWith(287, 1, fullLengthCode(), {{18, 127}, {18, 127}}))},
        {"HLIT 288", 4, zlibOf(dynamicWith(288, 1, fullLengthCode(), {{18, 127}, {18, 127}}))},
        {"HDIST 31", 4, zlibOf(dynamicWith(257, 31, fullLengthCode(), {{18, 127}, {18, 127}}))},
        {"HDIST 32", 4, zlibOf(dynamicWith(257, 32, fullLengthCode(), {{18, 127}, {18, 127}}))},
        {"repeat with nothing before it", 4,
         zlibOf(dynamicWith(257, 1, fullLengthCode(), {{16, 0}, {18, 127}, {18, 127}}))},
        {"zeros past the last length", 4,
         zlibOf(dynamicWith(257, 1, fullLengthCode(), {{18, 127}, {18, 127}, {18, 127}}))},
        {"repeat past the last length", 4,
         zlibOf(dynamicWith(257, 1, fullLengthCode(), {{18, 127}, {18, 106}, {1}, {16, 3}}))},
        {"over-full code-length code", 4,
         zlibOf(dynamicWith(257, 1, std::vector<uint8_t>(19, 1), {}))},
        {"incomplete code-length code", 4,
         zlibOf(dynamicWith(257, 1, {2, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                            {{1}, {1}}))},
        {"empty code-length code", 4, zlibOf(dynamicWith(257, 1, std::vector<uint8_t>(19, 0), {}))},
        {"over-full literal/length code", 4, zlibOf(dynamicCodes(overFullLiterals, distances))},
        {"incomplete literal/length code", 4, zlibOf(dynamicCodes(incompleteLiterals, distances))},
        {"no end-of-block code", 4, zlibOf(dynamicCodes(noEndOfBlock, distances))},
        {"over-full distance code", 4, zlibOf(dynamicCodes(literals, {1, 1, 1}))},
        {"incomplete distance code", 4, zlibOf(dynamicCodes(literals, {2, 2, 0, 0}))},
        {"undefined code of a lone end-of-block", 4, zlibOf([&](BitWriter& w) {
             dynamicBlock(w, true, singleEndOfBlock, {1});
             w.bits(1, 1); // the code 1 is not defined
         })},
        {"undefined distance code", 8, zlibOf([&](BitWriter& w) {
             dynamicBlock(w, true, literals, {0, 1});
             symbol(w, literals, 'a');
             symbol(w, literals, 257);
             w.bits(1, 1); // only the code 0 is defined
         })},
        {"match with no distance code", 8, zlibOf([&](BitWriter& w) {
             dynamicBlock(w, true, literals, {0});
             symbol(w, literals, 'a');
             symbol(w, literals, 257);
         })},
        {"empty stream", 4, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Inflated result = inflateRaw(c.rawSize, c.zlib);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.error, pngErrorNotPng);
    }
}

TEST(PngInflate, WithoutImageDataTheStreamIsEmpty) {
    const Header h = rawOfSize(4);
    const Bytes empty(0);
    const std::vector<Bytes> files = {
        pngFile({chunk("IHDR", headerData(h)), chunk("IEND", {})}),
        pngFile({chunk("IHDR", headerData(h)), chunk("IDAT", {}), chunk("IEND", {})}),
        // Found as image data by the walk, but not continued by the stream.
        pngFile({chunk("IHDR", headerData(h)), chunk("iDAT", storedZlib({1, 2, 3, 4}))}),
    };
    for (const Bytes& file : files) {
        const Inflated result = inflateFile(file);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.error, pngErrorNotPng);
    }
}

TEST(PngInflate, AStreamFillingTheBufferExactlySucceeds) {
    const Inflated exact = inflateRaw(259, zlibOf([](BitWriter& w) {
                                          fixedBlockHeader(w, true);
                                          fixedSymbol(w, 7);
                                          fixedMatch(w, 285, 0, 0, 0, 0, 0);
                                          fixedSymbol(w, 256);
                                      }));
    EXPECT_TRUE(exact.ok);
    const Inflated oneOver = inflateRaw(258, zlibOf([](BitWriter& w) {
                                            fixedBlockHeader(w, true);
                                            fixedSymbol(w, 7);
                                            fixedMatch(w, 285, 0, 0, 0, 0, 0);
                                            fixedSymbol(w, 256);
                                        }));
    EXPECT_FALSE(oneOver.ok);
}

} // namespace
