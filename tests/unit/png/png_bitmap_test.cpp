// From filtered rows to the bitmap: the natural format of every PNG kind,
// colour tables, the five filters, Adam7 placement, and bitmaps that cannot
// be made.
#include "media/png/png_decoder.h"
#include "platform/memory/memory_ui.h"
#include "tests/unit/png/png_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

using namespace pngtest;

namespace {

// Samples per pixel of each colour type.
int channelsOf(uint8_t colourType) {
    switch (colourType) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
    }
}

// Decodes a file made of the given filtered raw data and writes its image.
struct Written {
    bool decoded = false;
    bool written = false;
    ui::BitmapInfo info;
    Bytes bits;
};

Written writeFile(const Bytes& file) {
    Written result;
    PngDecoder decoder;
    result.decoded = loadAndDecode(decoder, file);
    if (result.decoded)
        result.written = writeImage(decoder, result.info, result.bits);
    pngFree(decoder);
    return result;
}

Written writeRaw(const Header& h, const Bytes& raw, const Bytes& palette = {}) {
    return writeFile(imageFile(h, storedZlib(raw), palette));
}

Header kind(uint8_t colourType, uint8_t bitDepth, uint32_t width, uint32_t height = 1,
            uint8_t interlace = 0) {
    Header h;
    h.colourType = colourType;
    h.bitDepth = bitDepth;
    h.width = width;
    h.height = height;
    h.interlace = interlace;
    return h;
}

TEST(PngBitmap, EveryKindMapsToItsNaturalFormat) {
    const struct {
        const char* what;
        uint8_t colourType, bitDepth;
        uint32_t width;
        Bytes row; // unfiltered
        int bitsPerPixel;
        Bytes bitmapRow; // its first bytes
    } cases[] = {
        {"grey 1", 0, 1, 10, {0xB0, 0x40}, 1, {0xB0, 0x40}},
        // Samples 2, 1, 3, 0, 2 widened to 4 bits, first in the high half.
        {"grey 2", 0, 2, 5, {0x9C, 0x80}, 4, {0x21, 0x30, 0x20}},
        {"grey 4", 0, 4, 3, {0x1F, 0x80}, 4, {0x1F, 0x80}},
        {"grey 8", 0, 8, 3, {0, 0x80, 0xFF}, 8, {0, 0x80, 0xFF}},
        {"grey 16: high bytes", 0, 16, 2, {0x12, 0xAB, 0xFF, 0x00}, 8, {0x12, 0xFF}},
        {"truecolour 8", 2, 8, 2, {1, 2, 3, 4, 5, 6}, 24, {3, 2, 1, 6, 5, 4}},
        {"truecolour 16", 2, 16, 1, {0x10, 0x11, 0x20, 0x21, 0x30, 0x31}, 24, {0x30, 0x20, 0x10}},
        {"indexed 1", 3, 1, 9, {0x55, 0x80}, 1, {0x55, 0x80}},
        // The padding sample past the last pixel is widened along.
        {"indexed 2", 3, 2, 3, {0x1B}, 4, {0x01, 0x23}},
        {"indexed 4", 3, 4, 2, {0x21}, 4, {0x21}},
        {"indexed 8", 3, 8, 2, {7, 200}, 8, {7, 200}},
        {"grey alpha 8: alpha dropped", 4, 8, 2, {10, 200, 20, 100}, 8, {10, 20}},
        {"grey alpha 16", 4, 16, 1, {0x12, 0x34, 0x56, 0x78}, 8, {0x12}},
        // Alpha kept as stored, not blended: (10, 20, 30, 0) stays visible.
        {"truecolour alpha 8", 6, 8, 1, {10, 20, 30, 0}, 32, {30, 20, 10, 0}},
        {"truecolour alpha 16", 6, 16, 1, {10, 1, 20, 2, 30, 3, 0x80, 4}, 32, {30, 20, 10, 0x80}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Written w = writeRaw(kind(c.colourType, c.bitDepth, c.width), unfilteredRows({c.row}),
                                   c.colourType == 3 ? Bytes(3 * 256, 0) : Bytes{});
        ASSERT_TRUE(w.written);
        EXPECT_EQ(w.info.width, static_cast<int>(c.width));
        EXPECT_EQ(w.info.height, -1); // top-down
        EXPECT_EQ(w.info.bitsPerPixel, c.bitsPerPixel);
        ASSERT_EQ(w.bits.size(), static_cast<size_t>(ui::bitmapRowBytes(c.width, c.bitsPerPixel)));
        EXPECT_EQ(Bytes(w.bits.begin(), w.bits.begin() + static_cast<long>(c.bitmapRow.size())),
                  c.bitmapRow);
    }
}

TEST(PngBitmap, GreyImagesGetAGreyRamp) {
    const struct {
        uint8_t colourType, bitDepth;
        std::vector<uint32_t> ramp; // every entry used
    } cases[] = {
        {0, 1, {0x000000, 0xFFFFFF}},
        {0, 2, {0x000000, 0x555555, 0xAAAAAA, 0xFFFFFF}},
        {0, 4, {}}, // steps of 17
        {0, 8, {}}, // steps of 1
        {0, 16, {}},
        {4, 8, {}},
        {4, 16, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int{c.colourType} << "/" << int{c.bitDepth});
        PngDecoder decoder{};
        decoder.colourType = c.colourType;
        decoder.bitDepth = c.bitDepth;
        decoder.width = 1;
        decoder.height = 1;
        const ui::BitmapInfo info = pngBitmapInfo(decoder);
        std::vector<uint32_t> ramp = c.ramp;
        if (ramp.empty()) {
            const uint32_t step = c.bitDepth == 4 ? 0x111111 : 0x010101;
            for (uint32_t i = 0; i < (c.bitDepth == 4 ? 16u : 256u); ++i)
                ramp.push_back(i * step);
        }
        for (size_t i = 0; i < 256; ++i)
            EXPECT_EQ(info.colours[i], i < ramp.size() ? ramp[i] : 0u) << "entry " << i;
    }
    // A 2-bit sample of value 2 shows grey 170.
    const Written w = writeRaw(kind(0, 2, 1), unfilteredRows({{0x80}}));
    ASSERT_TRUE(w.written);
    EXPECT_EQ(pixelsOf(w.info, w.bits.data()), Bytes({170, 170, 170}));
}

TEST(PngBitmap, PalettesFillTheColourTableAndTheRestIsBlack) {
    // Three entries: the rest of the table, which the indices can reach,
    // is black.
    const Written three =
        writeRaw(kind(3, 2, 4), unfilteredRows({{0x1B}}), {255, 0, 0, 0, 255, 0, 1, 2, 3});
    ASSERT_TRUE(three.written);
    EXPECT_EQ(three.info.colours[0], 0xFF0000u);
    EXPECT_EQ(three.info.colours[1], 0x00FF00u);
    EXPECT_EQ(three.info.colours[2], 0x010203u);
    EXPECT_EQ(three.info.colours[3], 0u);
    EXPECT_EQ(pixelsOf(three.info, three.bits.data()),
              Bytes({255, 0, 0, 0, 255, 0, 1, 2, 3, 0, 0, 0}));

    // More than 256 entries: the first 256 are taken.
    Bytes big(3 * 300);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<uint8_t>(i / 3);
    const Written many = writeRaw(kind(3, 8, 1), unfilteredRows({{255}}), big);
    ASSERT_TRUE(many.written);
    EXPECT_EQ(many.info.colours[255], 0xFFFFFFu);
    EXPECT_EQ(many.info.colours[0], 0u);

    // No palette at all: the image is black, not garbage.
    const Written none = writeRaw(kind(3, 8, 3), unfilteredRows({{0, 17, 255}}));
    ASSERT_TRUE(none.written);
    EXPECT_EQ(pixelsOf(none.info, none.bits.data()), Bytes(9, 0));
    for (uint32_t colour : none.info.colours)
        EXPECT_EQ(colour, 0u);

    // A palette in a truecolour file (a suggestion for viewers) is ignored.
    const Written truecolour = writeRaw(kind(2, 8, 1), unfilteredRows({{1, 2, 3}}), {9, 9, 9});
    ASSERT_TRUE(truecolour.written);
    EXPECT_EQ(truecolour.info.colours[0], 0u);
}

// An image as samples, packed into rows and filtered by the encoder's rules
// (independent of the decoder), so that decoding must give back the rows.
struct Image {
    Header header;
    std::vector<std::vector<uint16_t>> samples; // per row, channels per pixel
};

Image randomImage(const Header& h, std::mt19937& random) {
    Image image{h, {}};
    const uint32_t maximum = (1u << h.bitDepth) - 1;
    const int channels = channelsOf(h.colourType);
    for (uint32_t y = 0; y < h.height; ++y) {
        std::vector<uint16_t> row(h.width * channels);
        for (uint16_t& sample : row)
            sample = static_cast<uint16_t>(random() % (maximum + 1));
        image.samples.push_back(row);
    }
    return image;
}

// The samples of the pixels (x0 + k dx) of a row, packed: under 8 bits the
// first sample in the highest bits, 16 bits big-endian.
Bytes packRow(const Image& image, uint32_t y, uint32_t x0, uint32_t dx) {
    const int channels = channelsOf(image.header.colourType);
    const int depth = image.header.bitDepth;
    Bytes out;
    int bitsUsed = 8;
    for (uint32_t x = x0; x < image.header.width; x += dx) {
        for (int c = 0; c < channels; ++c) {
            const uint16_t sample = image.samples[y][x * channels + c];
            if (depth == 16) {
                out.insert(out.end(),
                           {static_cast<uint8_t>(sample >> 8), static_cast<uint8_t>(sample)});
            } else if (depth == 8) {
                out.push_back(static_cast<uint8_t>(sample));
            } else {
                if (bitsUsed == 8) {
                    out.push_back(0);
                    bitsUsed = 0;
                }
                bitsUsed += depth;
                out.back() |= static_cast<uint8_t>(sample << (8 - bitsUsed));
            }
        }
    }
    return out;
}

int paethPredictor(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return a;
    return pb <= pc ? b : c;
}

// Filters a sequence of rows (one image or one pass) with the filter types
// given in turn.
Bytes filterRows(const std::vector<Bytes>& rows, size_t unit, const std::vector<uint8_t>& types) {
    Bytes out;
    for (size_t y = 0; y < rows.size(); ++y) {
        const uint8_t type = types[y % types.size()];
        out.push_back(type);
        for (size_t x = 0; x < rows[y].size(); ++x) {
            const int a = x >= unit ? rows[y][x - unit] : 0;
            const int b = y > 0 ? rows[y - 1][x] : 0;
            const int c = y > 0 && x >= unit ? rows[y - 1][x - unit] : 0;
            const int predictor[] = {0, a, b, (a + b) / 2, paethPredictor(a, b, c)};
            out.push_back(static_cast<uint8_t>(rows[y][x] - predictor[type]));
        }
    }
    return out;
}

size_t filterUnit(const Header& h) {
    const size_t bits = static_cast<size_t>(channelsOf(h.colourType)) * h.bitDepth;
    return bits < 8 ? 1 : bits / 8;
}

Bytes rawOf(const Image& image, const std::vector<uint8_t>& types) {
    const Header& h = image.header;
    if (h.interlace == 0) {
        std::vector<Bytes> rows;
        for (uint32_t y = 0; y < h.height; ++y)
            rows.push_back(packRow(image, y, 0, 1));
        return filterRows(rows, filterUnit(h), types);
    }
    static constexpr uint32_t passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8},
                                              {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2},
                                              {0, 1, 1, 2}};
    Bytes raw;
    for (const auto& pass : passes) {
        if (h.width <= pass[0] || h.height <= pass[1])
            continue;
        std::vector<Bytes> rows;
        for (uint32_t y = pass[1]; y < h.height; y += pass[3])
            rows.push_back(packRow(image, y, pass[0], pass[2]));
        append(raw, filterRows(rows, filterUnit(h), types));
    }
    return raw;
}

// A palette of distinct colours, so that pixels compared through it differ
// whenever their indices do.
Bytes distinctPalette() {
    Bytes palette;
    for (int i = 0; i < 256; ++i)
        palette.insert(palette.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                       static_cast<uint8_t>(i * 7)});
    return palette;
}

const Header kinds[] = {
    kind(0, 1, 0), kind(0, 2, 0),  kind(0, 4, 0),  kind(0, 8, 0), kind(0, 16, 0),
    kind(2, 8, 0), kind(2, 16, 0), kind(3, 1, 0),  kind(3, 2, 0), kind(3, 4, 0),
    kind(3, 8, 0), kind(4, 8, 0),  kind(4, 16, 0), kind(6, 8, 0), kind(6, 16, 0),
};

TEST(PngBitmap, EveryFilterIsUndone) {
    std::mt19937 random(1234);
    const std::vector<std::vector<uint8_t>> filterings = {{1}, {2}, {3}, {4}, {4, 3, 2, 1, 0}};
    for (Header h : kinds) {
        h.width = 7;
        h.height = 5;
        const Image image = randomImage(h, random);
        const Written plain = writeRaw(h, rawOf(image, {0}), distinctPalette());
        ASSERT_TRUE(plain.written);
        for (const auto& types : filterings) {
            SCOPED_TRACE(testing::Message() << int{h.colourType} << "/" << int{h.bitDepth}
                                            << " filter " << int{types[0]});
            const Written filtered = writeRaw(h, rawOf(image, types), distinctPalette());
            ASSERT_TRUE(filtered.written);
            EXPECT_EQ(filtered.bits, plain.bits);
        }
    }
}

TEST(PngBitmap, Adam7GivesTheSamePixelsAsThePlainImage) {
    std::mt19937 random(99);
    for (Header h : kinds) {
        for (uint32_t width : {1u, 2u, 3u, 4u, 5u, 7u, 8u, 9u, 17u}) {
            for (uint32_t height : {1u, 2u, 3u, 5u, 8u, 11u}) {
                SCOPED_TRACE(testing::Message() << int{h.colourType} << "/" << int{h.bitDepth}
                                                << " " << width << "x" << height);
                h.width = width;
                h.height = height;
                h.interlace = 0;
                Image image = randomImage(h, random);
                const Written plain = writeRaw(h, rawOf(image, {0}), distinctPalette());
                image.header.interlace = 1;
                h.interlace = 1;
                // Paeth and Up on the first row of each pass see a zero row.
                const Written interlaced = writeRaw(h, rawOf(image, {4, 2, 0}), distinctPalette());
                ASSERT_TRUE(plain.written);
                ASSERT_TRUE(interlaced.written);
                if (plain.info.bitsPerPixel < 8) {
                    // Bits past the last pixel of a row are the stored
                    // padding in one and cleared in the other: compare pixels.
                    EXPECT_EQ(pixelsOf(interlaced.info, interlaced.bits.data()),
                              pixelsOf(plain.info, plain.bits.data()));
                } else {
                    EXPECT_EQ(interlaced.bits, plain.bits);
                }
            }
        }
    }
}

TEST(PngBitmap, UnknownFilterTypesMakeNoBitmap) {
    const struct {
        const char* what;
        Header header;
        Bytes raw;
    } cases[] = {
        {"5 on the first row", kind(0, 8, 2, 2), {5, 1, 2, 0, 3, 4}},
        {"0x90", kind(0, 8, 2, 2), {0x90, 1, 2, 0, 3, 4}},
        {"255 on the last row", kind(2, 8, 1, 3), {0, 1, 2, 3, 1, 1, 2, 3, 255, 1, 2, 3}},
        // 2 x 2 Adam7: pass 1 (one pixel), pass 6 (one), pass 7 (two).
        {"in the last pass", kind(0, 8, 2, 2, 1), {0, 9, 0, 9, 6, 9, 9}},
    };
    memory::reset();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PngDecoder decoder;
        ASSERT_TRUE(loadAndDecode(decoder, imageFile(c.header, storedZlib(c.raw))));
        EXPECT_EQ(pngMakeBitmap(decoder), nullptr);
        EXPECT_EQ(decoder.error, pngErrorNone);
        EXPECT_EQ(memory::liveBitmaps(), 0);
        pngFree(decoder);
    }
}

TEST(PngBitmap, RowsArePaddedToFourBytes) {
    memory::reset();
    PngDecoder decoder;
    ASSERT_TRUE(loadAndDecode(
        decoder, imageFile(kind(0, 1, 1, 3), storedZlib({0, 0x80, 0, 0x7F, 1, 0x80}))));
    ui::BitmapHandle bitmap = pngMakeBitmap(decoder);
    ASSERT_NE(bitmap, nullptr);
    const uint8_t* bits = memory::bitmapBits(bitmap);
    // Row 2 is Sub-filtered: 0x80 + 0 (no pixel to its left).
    const Bytes expected = {0x80, 0, 0, 0, 0x7F, 0, 0, 0, 0x80, 0, 0, 0};
    EXPECT_EQ(Bytes(bits, bits + 12), expected);
    ui::deleteBitmap(bitmap);
    pngFree(decoder);
}

TEST(PngBitmap, EachCallMakesANewBitmapThatOutlivesTheDecoder) {
    memory::reset();
    PngDecoder decoder;
    ASSERT_TRUE(loadAndDecode(
        decoder,
        imageFile(kind(6, 8, 2, 3),
                  storedZlib(unfilteredRows({Bytes(8, 0x40), Bytes(8, 0x40), Bytes(8, 0x40)})))));
    ui::BitmapHandle first = pngMakeBitmap(decoder);
    ui::BitmapHandle second = pngMakeBitmap(decoder);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(decoder.state, pngStateDecoded);
    pngFree(decoder);
    int width = 0, height = 0;
    ASSERT_TRUE(ui::bitmapSize(first, width, height));
    EXPECT_EQ(width, 2);
    EXPECT_EQ(height, 3);
    EXPECT_EQ(memory::bitmapInfoOf(first).height, -3);
    EXPECT_EQ(memory::bitmapBits(first)[0], 0x40);
    ui::deleteBitmap(first);
    ui::deleteBitmap(second);
    EXPECT_EQ(memory::liveBitmaps(), 0);
}

TEST(PngBitmap, RowsAShortStreamLeavesOutAreZero) {
    // Only the first of three rows is in the stream.
    const Written w = writeFile(imageFile(kind(2, 8, 1, 3), storedZlib({0, 1, 2, 3})));
    ASSERT_TRUE(w.written);
    EXPECT_EQ(pixelsOf(w.info, w.bits.data()), Bytes({1, 2, 3, 0, 0, 0, 0, 0, 0}));
}

// Sizes a bitmap cannot have are refused before one is asked for, whatever
// the raw data holds (the decoder is set up as decoding would leave it).
TEST(PngBitmap, BitmapsTooLargeToAddressAreRefused) {
    const struct {
        uint32_t width, height;
        uint8_t colourType, bitDepth;
    } cases[] = {
        {0x80000000u, 1, 0, 1}, // width beyond int
        {1, 0x80000000u, 0, 1}, // height beyond int
        {0x7FFFFFFFu, 1, 6, 8}, // a row of 64 Gbit
        {70000, 70000, 6, 8},   // 19 GB
        {0x40000000u, 2, 0, 2}, // 4-bit pixels: the bitmap is twice the raw data
    };
    memory::reset();
    uint8_t raw[16] = {};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        PngDecoder decoder{};
        decoder.width = c.width;
        decoder.height = c.height;
        decoder.colourType = c.colourType;
        decoder.bitDepth = c.bitDepth;
        decoder.state = pngStateDecoded;
        decoder.raw = raw;
        EXPECT_EQ(pngMakeBitmap(decoder), nullptr);
        EXPECT_EQ(decoder.error, pngErrorBitmap);
        EXPECT_EQ(memory::liveBitmaps(), 0);
    }
}

} // namespace
