// Loading a PNG: signature, chunk walk, header checks, the decoder's states
// and the size of the filtered data, including sizes that do not fit.
#include "media/png/png_decoder.h"
#include "platform/resources.h"
#include "tests/unit/png/png_test_support.h"

#include <gtest/gtest.h>

using namespace pngtest;

namespace {

const Bytes onePixel = storedZlib({0, 0x80});

// A one-pixel grey image with extra chunks put after the header.
Bytes withChunks(const std::vector<Bytes>& extra, const Header& h = {}) {
    std::vector<Bytes> chunks = {chunk("IHDR", headerData(h))};
    chunks.insert(chunks.end(), extra.begin(), extra.end());
    return pngFile(chunks);
}

struct LoadCase {
    const char* what;
    Bytes file;
    uint32_t error; // 0: loads
};

TEST(PngLoad, RefusesWhatIsNotATakenPng) {
    const Bytes good = imageFile({}, onePixel);
    Bytes badSignature = good;
    badSignature[1] = 'p';
    Bytes sixteen = signature();
    sixteen.resize(16, 0);
    auto header = [](uint8_t depth, uint8_t type) {
        Header h;
        h.bitDepth = depth;
        h.colourType = type;
        return h;
    };
    Header zeroWidth, zeroHeight, interlace2, compression1, filter1;
    zeroWidth.width = 0;
    zeroHeight.height = 0;
    interlace2.interlace = 2;
    compression1.compression = 1;
    filter1.filter = 1;
    Bytes lowerCaseHeader = good;
    lowerCaseHeader[12] = 'i';
    // The header's 13 bytes are read where they stand, whatever length the
    // chunk declares, so they must be inside the file.
    Bytes headerCutShort = pngFile({chunk("IHDR", {}, 0)});

    const LoadCase cases[] = {
        {"15 bytes", Bytes(good.begin(), good.begin() + 15), pngErrorNotPng},
        {"signature and nothing readable", sixteen, pngErrorNotPng},
        {"wrong signature", badSignature, pngErrorNotPng},
        {"first chunk not the header", pngFile({chunk("IDAT", onePixel)}), pngErrorNotPng},
        {"width 0", imageFile(zeroWidth, onePixel), pngErrorNotPng},
        {"height 0", imageFile(zeroHeight, onePixel), pngErrorNotPng},
        {"header type iHDR", lowerCaseHeader, 0},
        {"header bytes past the end", headerCutShort, pngErrorNotPng},
        {"ancillary chunk abcd", withChunks({chunk("abcd", {1, 2, 3})}), 0},
        {"unknown critical chunk ABCD", withChunks({chunk("ABCD", {})}), pngErrorUnsupported},
        {"ABCD after IEND", withChunks({chunk("IEND", {}), chunk("ABCD", {})}),
         pngErrorUnsupported},
        {"second header", withChunks({chunk("IHDR", headerData({}))}), 0},
        {"colour type 2 depth 4", imageFile(header(4, 2), onePixel), pngErrorUnsupported},
        {"colour type 3 depth 16", imageFile(header(16, 3), onePixel), pngErrorUnsupported},
        {"colour type 1", imageFile(header(8, 1), onePixel), pngErrorUnsupported},
        {"colour type 5", imageFile(header(8, 5), onePixel), pngErrorUnsupported},
        {"colour type 7", imageFile(header(8, 7), onePixel), pngErrorUnsupported},
        {"grey depth 0", imageFile(header(0, 0), onePixel), pngErrorUnsupported},
        {"grey depth 3", imageFile(header(3, 0), onePixel), pngErrorUnsupported},
        {"grey depth 32", imageFile(header(32, 0), onePixel), pngErrorUnsupported},
        {"truecolour alpha depth 4", imageFile(header(4, 6), onePixel), pngErrorUnsupported},
        {"grey alpha depth 1", imageFile(header(1, 4), onePixel), pngErrorUnsupported},
        {"interlace 2", imageFile(interlace2, onePixel), pngErrorUnsupported},
        {"compression 1", imageFile(compression1, onePixel), pngErrorUnsupported},
        {"filter method 1", imageFile(filter1, onePixel), pngErrorUnsupported},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.what);
        PngDecoder decoder;
        pngInit(decoder);
        EXPECT_EQ(pngLoadBytes(decoder, c.file.data(), c.file.size()), c.error == 0);
        EXPECT_EQ(decoder.error, c.error);
        EXPECT_EQ(decoder.state, c.error == 0 ? pngStateParsed : pngStateEmpty);
        EXPECT_EQ(decoder.source, c.error == 0 ? pngSourceBytes : pngSourceNone);
        pngFree(decoder);
    }
}

TEST(PngLoad, AcceptsEveryStandardColourTypeAndDepth) {
    const struct {
        uint8_t colourType;
        std::vector<uint8_t> depths;
    } kinds[] = {
        {0, {1, 2, 4, 8, 16}}, {2, {8, 16}}, {3, {1, 2, 4, 8}}, {4, {8, 16}}, {6, {8, 16}}};
    for (const auto& kind : kinds) {
        for (uint8_t depth : kind.depths) {
            SCOPED_TRACE(testing::Message() << int{kind.colourType} << "/" << int{depth});
            Header h;
            h.colourType = kind.colourType;
            h.bitDepth = depth;
            h.interlace = 1;
            const Bytes file = imageFile(h, onePixel);
            PngDecoder decoder;
            pngInit(decoder);
            EXPECT_TRUE(pngLoadBytes(decoder, file.data(), file.size()));
            EXPECT_EQ(decoder.colourType, kind.colourType);
            EXPECT_EQ(decoder.bitDepth, depth);
            EXPECT_EQ(decoder.interlace, 1);
            pngFree(decoder);
        }
    }
}

TEST(PngLoad, KeepsTheFirstPaletteAndImageChunk) {
    const Bytes file =
        withChunks({chunk("tEXt", {'a', 0, 'b'}), chunk("PLTE", {1, 2, 3, 4, 5, 6, 7}),
                    chunk("IDAT", onePixel), chunk("PLTE", {9, 9, 9}), chunk("IDAT", {1, 2}),
                    chunk("IEND", {})});
    PngDecoder decoder;
    pngInit(decoder);
    ASSERT_TRUE(pngLoadBytes(decoder, file.data(), file.size()));
    EXPECT_EQ(decoder.data, file.data());
    EXPECT_EQ(decoder.dataSize, file.size());
    EXPECT_EQ(decoder.header, file.data() + 16);
    EXPECT_EQ(decoder.width, 1u);
    EXPECT_EQ(decoder.height, 1u);
    // Signature 8, header chunk 25, tEXt 15, PLTE chunk header 8.
    EXPECT_EQ(decoder.palette, file.data() + 8 + 25 + 15 + 8);
    EXPECT_EQ(decoder.paletteCount, 2u); // 7 bytes: two whole entries
    EXPECT_EQ(decoder.firstImageChunk, file.data() + 8 + 25 + 15 + 19);
    pngFree(decoder);
}

TEST(PngLoad, IgnoresChecksums) {
    Bytes file = imageFile({}, onePixel);
    for (size_t crc : {size_t{29}, file.size() - 4}) // the header's and IEND's
        file[crc] ^= 0x5A;
    PngDecoder decoder;
    ASSERT_TRUE(loadAndDecode(decoder, file));
    EXPECT_EQ(decoder.raw[1], 0x80);
    pngFree(decoder);
}

// A chunk whose length runs past the end of the file is taken as absent,
// whatever the length: the walk stops before it without wrapping around.
TEST(PngLoad, ChunkLengthsPastTheEndEndTheWalk) {
    for (uint32_t length : {0xFFFFFFFFu, 0xFFFFFFF4u, 0xFFFFFFF3u, 0x80000000u, 16u}) {
        SCOPED_TRACE(length);
        // A chunk that would hide an unknown critical chunk, and an IDAT
        // that would be the image, if the walk went on.
        const Bytes file =
            withChunks({chunk("abcd", {}, length), chunk("ABCD", {}), chunk("IDAT", onePixel)});
        PngDecoder decoder;
        pngInit(decoder);
        ASSERT_TRUE(pngLoadBytes(decoder, file.data(), file.size()));
        EXPECT_EQ(decoder.firstImageChunk, nullptr);
        EXPECT_FALSE(pngDecode(decoder));
        EXPECT_EQ(decoder.error, pngErrorNotPng);
        pngFree(decoder);
    }
}

TEST(PngLoad, AFileCutInsideAChunkEndsBeforeIt) {
    const Bytes whole = withChunks({chunk("IDAT", onePixel), chunk("ABCD", {1, 2, 3, 4})});
    const Bytes cut(whole.begin(), whole.end() - 1);
    PngDecoder decoder;
    ASSERT_TRUE(loadAndDecode(decoder, cut));
    pngFree(decoder);
    pngInit(decoder);
    EXPECT_FALSE(pngLoadBytes(decoder, whole.data(), whole.size()));
    EXPECT_EQ(decoder.error, pngErrorUnsupported);
}

TEST(PngDecoderState, OperationsOutOfOrderAreRefused) {
    const Bytes file = imageFile({}, onePixel);
    PngDecoder decoder;
    pngInit(decoder);
    EXPECT_FALSE(pngDecode(decoder));
    EXPECT_EQ(decoder.error, pngErrorWrongState);
    EXPECT_EQ(pngMakeBitmap(decoder), nullptr);
    EXPECT_EQ(decoder.error, pngErrorWrongState);

    ASSERT_TRUE(pngLoadBytes(decoder, file.data(), file.size()));
    EXPECT_FALSE(pngLoadBytes(decoder, file.data(), file.size()));
    EXPECT_EQ(decoder.error, pngErrorNotEmpty);
    EXPECT_EQ(pngMakeBitmap(decoder), nullptr);
    EXPECT_EQ(decoder.error, pngErrorWrongState);

    ASSERT_TRUE(pngDecode(decoder));
    EXPECT_EQ(decoder.state, pngStateDecoded);
    EXPECT_EQ(decoder.error, pngErrorNone);
    uint8_t* raw = decoder.raw;
    EXPECT_FALSE(pngDecode(decoder)); // would lose the buffer
    EXPECT_EQ(decoder.error, pngErrorWrongState);
    EXPECT_EQ(decoder.raw, raw);
    EXPECT_FALSE(pngLoadBytes(decoder, file.data(), file.size()));
    EXPECT_EQ(decoder.error, pngErrorNotEmpty);

    pngFree(decoder);
    static const PngDecoder empty{}; // static: its padding is zero too
    EXPECT_EQ(std::memcmp(&decoder, &empty, sizeof decoder), 0);
    EXPECT_TRUE(pngLoadBytes(decoder, file.data(), file.size()));
    pngFree(decoder);
}

TEST(PngDecoderState, AFailedLoadOrDecodeLeavesNothingBehind) {
    const Bytes bad = withChunks({chunk("ABCD", {})});
    const Bytes noImage = withChunks({});
    const Bytes good = imageFile({}, onePixel);
    PngDecoder decoder;
    pngInit(decoder);
    EXPECT_FALSE(pngLoadBytes(decoder, bad.data(), bad.size()));
    EXPECT_EQ(decoder.state, pngStateEmpty);
    EXPECT_EQ(decoder.source, pngSourceNone);
    ASSERT_TRUE(pngLoadBytes(decoder, noImage.data(), noImage.size())); // loads again
    EXPECT_FALSE(pngDecode(decoder));
    EXPECT_EQ(decoder.state, pngStateParsed);
    EXPECT_EQ(decoder.raw, nullptr);
    pngFree(decoder);
    EXPECT_TRUE(loadAndDecode(decoder, good));
    pngFree(decoder);
}

TEST(PngDecoderState, LoadsFromRawDataResources) {
    clearResources();
    const Bytes file = imageFile({}, onePixel);
    installResource(resourceTypeRcData, 401, file);
    installResource("IMG", 402, file);

    PngDecoder decoder;
    pngInit(decoder);
    EXPECT_FALSE(pngLoadResource(decoder, 402)); // only raw data resources hold PNGs
    EXPECT_EQ(decoder.error, pngErrorNoResource);
    EXPECT_FALSE(pngLoadResource(decoder, 403));
    EXPECT_EQ(decoder.error, pngErrorNoResource);

    ASSERT_TRUE(pngLoadResource(decoder, 401));
    EXPECT_EQ(decoder.source, pngSourceResource);
    EXPECT_EQ(decoder.state, pngStateParsed);
    EXPECT_FALSE(pngLoadResource(decoder, 401));
    EXPECT_EQ(decoder.error, pngErrorNotEmpty);
    ASSERT_TRUE(pngDecode(decoder));
    EXPECT_EQ(decoder.raw[1], 0x80);
    pngFree(decoder);
    EXPECT_EQ(decoder.source, pngSourceNone);

    installResource(resourceTypeRcData, 404, {137, 80, 78});
    EXPECT_FALSE(pngLoadResource(decoder, 404));
    EXPECT_EQ(decoder.error, pngErrorNotPng);
    EXPECT_EQ(decoder.source, pngSourceNone);
    clearResources();
}

TEST(PngDecoderState, EmptyBytesCannotBeLoaded) {
    PngDecoder decoder;
    pngInit(decoder);
    const uint8_t byte = 0;
    EXPECT_FALSE(pngLoadBytes(decoder, &byte, 0));
    EXPECT_EQ(decoder.error, pngErrorResourceUnreadable);
    EXPECT_FALSE(pngLoadBytes(decoder, nullptr, 0));
    EXPECT_EQ(decoder.error, pngErrorResourceUnreadable);
}

PngDecoder parsedHeader(uint32_t width, uint32_t height, uint8_t depth, uint8_t colourType,
                        uint8_t interlace) {
    PngDecoder decoder{};
    decoder.width = width;
    decoder.height = height;
    decoder.bitDepth = depth;
    decoder.colourType = colourType;
    decoder.interlace = interlace;
    decoder.state = pngStateParsed;
    return decoder;
}

TEST(PngRawSize, CountsFilterBytesAndTheAdam7PassesThatExist) {
    const struct {
        uint32_t width, height;
        uint8_t depth, colourType, interlace;
        uint32_t size;
    } cases[] = {
        {1, 1, 1, 0, 0, 2},
        {9, 2, 1, 0, 0, 6},    // 9 bits round up to 2 bytes
        {3, 5, 16, 6, 0, 125}, // 24 bytes a row
        {5, 1, 2, 3, 0, 3},
        {1, 1, 8, 2, 1, 4}, // pass 1 only
        // 3 wide, 100 high: passes 1, 3, 4, 5, 6, 7 (pass 2 starts at column 4).
        {3, 100, 8, 0, 1, 13 * 2 + 12 * 2 + 25 * 2 + 25 * 3 + 50 * 2 + 50 * 4},
        // 100 wide, 3 high: passes 1, 2, 4, 5, 6, 7 (pass 3 starts at row 4).
        {100, 3, 8, 0, 1, 14 + 13 + 26 + 51 + 51 * 2 + 101},
        {2, 1, 8, 0, 1, 2 + 2}, // passes 1 and 6
        {1, 2, 8, 0, 1, 2 + 2}, // passes 1 and 7
        {8, 8, 1, 0, 1, 2 + 2 + 2 * 1 + 2 * 2 + 2 * 2 + 2 * 4 + 2 * 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.width << "x" << c.height << " depth " << int{c.depth} << " type "
                     << int{c.colourType} << " interlace " << int{c.interlace});
        uint32_t size = 0;
        EXPECT_TRUE(
            pngRawSize(parsedHeader(c.width, c.height, c.depth, c.colourType, c.interlace), size));
        EXPECT_EQ(size, c.size);
    }
}

TEST(PngRawSize, SizesBeyond32BitsAreRefusedBeforeAnyAllocation) {
    const struct {
        uint32_t width, height;
        uint8_t depth, colourType, interlace;
        bool fits;
    } cases[] = {
        {65536, 65535, 8, 0, 0, true},  // 65537 x 65535 = 2^32 - 1
        {65536, 65536, 8, 0, 0, false}, // 65537 x 65536
        {65535, 65536, 8, 0, 0, false}, // exactly 2^32
        {0xFFFFFFFF, 0xFFFFFFFF, 16, 6, 0, false},
        {0xFFFFFFFF, 1, 16, 6, 0, false}, // one row of 32 GiB
        {0xFFFFFFFF, 1, 1, 0, 0, true},   // one row of 512 MiB
        {0x7FFFFFFF, 0x7FFFFFFF, 1, 0, 1, false},
        {0xFFFFFFFF, 0xFFFFFFFF, 8, 0, 1, false},
        {0xFFFFFFFF, 0xFFFFFFFF, 1, 0, 1, false},
        {4096, 131072, 16, 6, 1, false}, // every pass fits; their sum does not
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        PngDecoder decoder = parsedHeader(c.width, c.height, c.depth, c.colourType, c.interlace);
        uint32_t size = 0;
        EXPECT_EQ(pngRawSize(decoder, size), c.fits);
        if (!c.fits) {
            EXPECT_FALSE(pngDecode(decoder));
            EXPECT_EQ(decoder.error, pngErrorUnsupported);
            EXPECT_EQ(decoder.raw, nullptr);
            EXPECT_EQ(decoder.state, pngStateParsed);
        }
    }
}

} // namespace
