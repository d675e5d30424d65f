// Reading bitmaps back as pixels and resampling them: what the memory-held
// bitmaps use in place of the screen's halftone stretch.
#include "picture_test_support.h"
#include "platform/pixels.h"

#include <gtest/gtest.h>

namespace {

using picturetest::Rgb;

// Pixels from a list of rows of colours.
PixelImage imageOf(const std::vector<std::vector<Rgb>>& rows) {
    PixelImage image;
    image.height = static_cast<int>(rows.size());
    image.width = static_cast<int>(rows[0].size());
    for (const auto& row : rows) {
        for (const Rgb& c : row) {
            image.pixels.insert(image.pixels.end(),
                                {static_cast<uint8_t>(c.blue), static_cast<uint8_t>(c.green),
                                 static_cast<uint8_t>(c.red), 0});
        }
    }
    return image;
}

Rgb at(const PixelImage& image, int x, int y) {
    const uint8_t* p = image.pixels.data() + (static_cast<size_t>(y) * image.width + x) * 4;
    return {p[2], p[1], p[0]};
}

PixelImage flat(int width, int height, Rgb colour) {
    return imageOf(std::vector<std::vector<Rgb>>(
        static_cast<size_t>(height), std::vector<Rgb>(static_cast<size_t>(width), colour)));
}

TEST(Resample, AFlatColourStaysFlatAtEverySize) {
    struct Case {
        int fromWidth, fromHeight, toWidth, toHeight;
    };
    const Case cases[] = {
        {1, 1, 260, 260},     {1, 1, 1, 1},      {3, 7, 111, 260}, {400, 300, 260, 195},
        {260, 260, 260, 260}, {7, 3, 2, 1},      {5, 5, 3, 8},     {1000, 1, 260, 1},
        {2, 2, 3, 3},         {97, 13, 260, 34},
    };
    const Rgb colours[] = {{0, 0, 0}, {255, 255, 255}, {213, 43, 30}, {1, 254, 128}};
    for (const Case& c : cases) {
        for (const Rgb& colour : colours) {
            SCOPED_TRACE(testing::Message() << c.fromWidth << "x" << c.fromHeight << " to "
                                            << c.toWidth << "x" << c.toHeight << " " << colour);
            PixelImage result;
            ASSERT_TRUE(resamplePixels(flat(c.fromWidth, c.fromHeight, colour), c.toWidth,
                                       c.toHeight, result));
            ASSERT_EQ(result.width, c.toWidth);
            ASSERT_EQ(result.height, c.toHeight);
            for (int y = 0; y < c.toHeight; ++y) {
                for (int x = 0; x < c.toWidth; ++x)
                    ASSERT_EQ(at(result, x, y), colour) << x << "," << y;
            }
            for (size_t i = 3; i < result.pixels.size(); i += 4)
                ASSERT_EQ(result.pixels[i], 0);
        }
    }
}

TEST(Resample, ReductionsAverageWhatEachPixelCoversAndEnlargementsInterpolate) {
    const Rgb black{0, 0, 0}, white{255, 255, 255}, red{255, 0, 0}, blue{0, 0, 255};
    struct Case {
        const char* what;
        std::vector<std::vector<Rgb>> source;
        int width, height;
        std::vector<std::vector<Rgb>> expected;
    };
    const Case cases[] = {
        {"2x2 box", {{red, blue}, {black, white}}, 1, 1, {{{128, 64, 128}}}},
        {"pairs", {{black, white, red, blue}}, 2, 1, {{{128, 128, 128}, {128, 0, 128}}}},
        // 3 to 2: each result pixel covers one and a half source pixels.
        {"thirds", {{black, white, {90, 90, 90}}}, 2, 1, {{{85, 85, 85}, {145, 145, 145}}}},
        // 2 to 4: centres at -1/4, 1/4, 3/4 and 5/4, held at the edges.
        {"widen", {{black, white}}, 4, 1, {{black, {64, 64, 64}, {191, 191, 191}, white}}},
        {"heighten",
         {{black}, {white}},
         1,
         4,
         {{black}, {{64, 64, 64}}, {{191, 191, 191}}, {white}}},
        {"one pixel", {{red}}, 3, 2, {{red, red, red}, {red, red, red}}},
        // Narrowed and heightened at once.
        {"mixed", {{black, black, white, white}}, 2, 2, {{black, white}, {black, white}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PixelImage result;
        ASSERT_TRUE(resamplePixels(imageOf(c.source), c.width, c.height, result));
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x)
                EXPECT_EQ(at(result, x, y), c.expected[y][x]) << x << "," << y;
        }
    }
}

TEST(Resample, RefusesEmptySourcesAndSizesOutOfBounds) {
    const PixelImage source = flat(4, 4, {1, 2, 3});
    const int sizes[][2] = {
        {0, 4}, {4, 0}, {-1, 4}, {maxPictureSide + 1, 1}, {1, maxPictureSide + 1}};
    for (const auto& size : sizes) {
        PixelImage result;
        EXPECT_FALSE(resamplePixels(source, size[0], size[1], result)) << size[0] << "x" << size[1];
        EXPECT_TRUE(result.pixels.empty());
    }
    PixelImage result;
    EXPECT_FALSE(resamplePixels(PixelImage{}, 4, 4, result));
    PixelImage truncated = source;
    truncated.pixels.pop_back();
    EXPECT_FALSE(resamplePixels(truncated, 4, 4, result));
}

// Bitmaps of every depth the seam allows, bottom-up and top-down, read back
// as the same picture: red, green / blue, white (1 bit: red, green / green,
// green), indexed depths through the table red, green, blue, white.
TEST(BitmapPixels, EveryDepthReadsBackThroughItsColourTable) {
    const Rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, white{255, 255, 255};
    struct Case {
        int depth;
        bool topDown;
        std::vector<uint8_t> bits; // two rows, in stored order
        Rgb expected[2][2];
    };
    const Case cases[] = {
        {1, true, {0x40, 0, 0, 0, 0xC0, 0, 0, 0}, {{red, green}, {green, green}}},
        {4, true, {0x01, 0, 0, 0, 0x23, 0, 0, 0}, {{red, green}, {blue, white}}},
        {4, false, {0x23, 0, 0, 0, 0x01, 0, 0, 0}, {{red, green}, {blue, white}}},
        {8, true, {0, 1, 0, 0, 2, 3, 0, 0}, {{red, green}, {blue, white}}},
        {24,
         false,
         {255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0},
         {{red, green}, {blue, white}}},
        // The fourth byte of 32-bit pixels is not a colour.
        {32,
         true,
         {0, 0, 255, 9, 0, 255, 0, 9, 255, 0, 0, 9, 255, 255, 255, 9},
         {{red, green}, {blue, white}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.depth << " bits, top-down " << c.topDown);
        ui::BitmapInfo info;
        info.width = 2;
        info.height = c.topDown ? -2 : 2;
        info.bitsPerPixel = c.depth;
        const uint32_t table[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
        for (int i = 0; i < 4; ++i)
            info.colours[i] = table[i];
        PixelImage image;
        ASSERT_TRUE(bitmapPixels(info, c.bits.data(), image));
        ASSERT_EQ(image.width, 2);
        ASSERT_EQ(image.height, 2);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 2; ++x)
                EXPECT_EQ(at(image, x, y), c.expected[y][x]) << x << "," << y;
        }
        // Resampling reads the rows the same way.
        PixelImage same;
        ASSERT_TRUE(resampleBitmap(info, c.bits.data(), 2, 2, same));
        EXPECT_EQ(same.pixels, image.pixels);
    }
}

TEST(BitmapPixels, RefusesDepthsAndSizesTheSeamDoesNotHave) {
    uint8_t bits[64] = {};
    struct Case {
        int width, height, depth;
    };
    const Case cases[] = {{2, 2, 16}, {2, 2, 2}, {0, 2, 24}, {2, 0, 24}, {1 << 20, 1 << 20, 32}};
    for (const Case& c : cases) {
        ui::BitmapInfo info;
        info.width = c.width;
        info.height = c.height;
        info.bitsPerPixel = c.depth;
        PixelImage image;
        EXPECT_FALSE(bitmapPixels(info, bits, image))
            << c.width << "x" << c.height << "x" << c.depth;
        EXPECT_FALSE(resampleBitmap(info, bits, 2, 2, image));
    }
    ui::BitmapInfo info;
    info.width = 2;
    info.height = 2;
    info.bitsPerPixel = 24;
    PixelImage image;
    EXPECT_FALSE(bitmapPixels(info, nullptr, image));
}

} // namespace
