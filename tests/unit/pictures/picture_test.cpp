// Loading pictures from the program's resources and fitting them into their
// box: the two stored forms, the scrambled answer pictures, the messages of
// the PNG form, and who owns which bitmap.
#include "media/picture.h"
#include "picture_test_support.h"
#include "platform/resources.h"

#include "../png/png_test_support.h"

#include <gtest/gtest.h>

namespace {

using namespace picturetest;

class PictureTest : public ::testing::Test {
protected:
    void SetUp() override {
        memory::reset();
        clearResources();
    }
    void TearDown() override {
        clearResources();
        memory::reset();
    }

    // A bitmap of the in-memory backend, width × height, all one colour.
    static ui::BitmapHandle solidBitmap(int width, int height, Rgb colour) {
        ui::BitmapInfo info;
        info.width = width;
        info.height = height;
        info.bitsPerPixel = 24;
        uint8_t* bits = nullptr;
        ui::BitmapHandle bitmap = ui::createDibSection(info, bits);
        const int rowBytes = ui::bitmapRowBytes(width, 24);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                uint8_t* p = bits + y * rowBytes + x * 3;
                p[0] = static_cast<uint8_t>(colour.blue);
                p[1] = static_cast<uint8_t>(colour.green);
                p[2] = static_cast<uint8_t>(colour.red);
            }
        }
        return bitmap;
    }

    static void expectSize(ui::BitmapHandle bitmap, int width, int height) {
        int w = 0, h = 0;
        ASSERT_TRUE(ui::bitmapSize(bitmap, w, h));
        EXPECT_EQ(w, width);
        EXPECT_EQ(h, height);
    }
};

// A grey PNG of width × height, every pixel `grey`, stored uncompressed.
Bytes greyPng(uint32_t width, uint32_t height, uint8_t grey) {
    pngtest::Header header;
    header.width = width;
    header.height = height;
    Bytes raw;
    for (uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), width, grey);
    }
    return pngtest::imageFile(header, pngtest::storedZlib(raw));
}

TEST_F(PictureTest, FittingKeepsTheProportionsAndMeetsTheBoxOnOneSide) {
    struct Case {
        int width, height, boxWidth, boxHeight, fittedWidth, fittedHeight;
    };
    const Case cases[] = {
        {400, 300, 260, 260, 260, 195},
        {300, 400, 260, 260, 195, 260},
        {100, 50, 260, 260, 260, 130},
        {3, 7, 260, 260, 111, 260},
        {260, 260, 260, 260, 260, 260},
        {1, 1, 260, 260, 260, 260},
        {520, 100, 260, 260, 260, 50},
        {200, 100, 100, 300, 100, 50},
        // A sliver keeps one pixel rather than vanishing.
        {1000, 1, 260, 260, 260, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.width << "x" << c.height << " in " << c.boxWidth << "x" << c.boxHeight);
        ui::BitmapHandle source = solidBitmap(c.width, c.height, {12, 34, 56});
        ui::BitmapHandle fitted = fitBitmap(source, c.boxWidth, c.boxHeight);
        ASSERT_NE(fitted, nullptr);
        expectSize(fitted, c.fittedWidth, c.fittedHeight);
        EXPECT_EQ(pixelOf(fitted, c.fittedWidth / 2, c.fittedHeight / 2), (Rgb{12, 34, 56}));
        // The source went with the call: only the fitted bitmap is left.
        EXPECT_EQ(memory::liveBitmaps(), 1);
        ui::deleteBitmap(fitted);
    }
}

TEST_F(PictureTest, FittingConsumesItsBitmapEvenWhenNoneCanBeMade) {
    ui::BitmapHandle source = solidBitmap(40, 30, {1, 2, 3});
    memory::failNextBitmap();
    EXPECT_EQ(fitBitmap(source, 260, 260), nullptr);
    EXPECT_EQ(memory::liveBitmaps(), 0);

    source = solidBitmap(40, 30, {1, 2, 3});
    EXPECT_EQ(fitBitmap(source, 0, 260), nullptr) << "an empty box";
    EXPECT_EQ(memory::liveBitmaps(), 0);

    EXPECT_EQ(fitBitmap(nullptr, 260, 260), nullptr);
}

// Answer pictures (above 10000) are stored with the halves of each byte
// swapped in the "IMG" form; 10000 itself and below are not.
TEST_F(PictureTest, OnlyIdentifiersAbove10000AreUnscrambled) {
    const Bytes picture = bmpFile(4, 2, [](int x, int) { return Rgb{x * 60, 100, 200}; });
    struct Case {
        int id;
        bool storedSwapped;
        bool shown;
    };
    const Case cases[] = {
        {401, false, true},  {10000, false, true},  {10000, true, false},
        {10001, true, true}, {10001, false, false}, {10403, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.id << (c.storedSwapped ? " swapped" : " plain"));
        clearResources();
        installResource("IMG", c.id, c.storedSwapped ? swapped(picture) : picture);
        ui::BitmapHandle bitmap = loadPicture(c.id, "IMG", 260, 260);
        EXPECT_EQ(bitmap != nullptr, c.shown);
        if (bitmap != nullptr) {
            expectSize(bitmap, 260, 130);
            EXPECT_EQ(pixelOf(bitmap, 0, 0), (Rgb{0, 100, 200}));
            EXPECT_EQ(pixelOf(bitmap, 259, 129), (Rgb{180, 100, 200}));
        }
        ui::deleteBitmap(bitmap);
        EXPECT_EQ(memory::liveBitmaps(), 0);
        EXPECT_TRUE(memory::messages().empty());
    }
}

TEST_F(PictureTest, AScrambledPictureLoadedTwiceIsTheSamePictureBothTimes) {
    const Bytes picture = bmpFile(5, 5, [](int x, int y) { return Rgb{x * 50, y * 50, 9}; });
    installResource("IMG", 10401, swapped(picture));
    ui::BitmapHandle first = loadPicture(10401, "IMG", 260, 260);
    ui::BitmapHandle second = loadPicture(10401, "IMG", 260, 260);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    const size_t size = 260 * 260 * 4;
    EXPECT_EQ(Bytes(memory::bitmapBits(first), memory::bitmapBits(first) + size),
              Bytes(memory::bitmapBits(second), memory::bitmapBits(second) + size));
    // The stored bytes are as they were.
    ResourceBytes stored = findResource("IMG", 10401);
    EXPECT_EQ(Bytes(stored.data, stored.data + stored.size), swapped(picture));
    ui::deleteBitmap(first);
    ui::deleteBitmap(second);
}

TEST_F(PictureTest, PngPicturesComeFromRawDataResourcesAndAreNeverUnscrambled) {
    struct Case {
        const char* what;
        int id;
        bool withImg; // an "IMG" picture of the same identifier too
        Rgb expected;
    };
    const Case cases[] = {
        {"question picture only as PNG", 401, false, {90, 90, 90}},
        {"answer picture only as PNG, stored plain", 10401, false, {90, 90, 90}},
        {"the IMG form comes first", 401, true, {250, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clearResources();
        installResource(resourceTypeRcData, c.id, greyPng(20, 10, 90));
        if (c.withImg)
            installResource("IMG", c.id, solidBmp(20, 10, {250, 0, 0}));
        ui::BitmapHandle bitmap = loadPicture(c.id, "IMG", 260, 260);
        ASSERT_NE(bitmap, nullptr);
        expectSize(bitmap, 260, 130);
        EXPECT_EQ(pixelOf(bitmap, 100, 60), c.expected);
        ui::deleteBitmap(bitmap);
        EXPECT_EQ(memory::liveBitmaps(), 0) << "the PNG's own bitmap went with the fitting";
        EXPECT_TRUE(memory::messages().empty());
    }
}

TEST_F(PictureTest, MissingOrUnreadablePicturesGiveNoneWithoutAWord) {
    struct Case {
        const char* what;
        Bytes img;
        Bytes png;
    };
    const Case cases[] = {
        {"nothing stored", {}, {}},
        {"IMG that no loader reads", Bytes{'?', '?', '?', '?'}, {}},
        // A picture whose IMG form exists is not looked for elsewhere.
        {"IMG unreadable beside a good PNG", Bytes{'?', '?'}, greyPng(2, 2, 7)},
        {"raw data that is not a PNG", {}, Bytes{'G', 'I', 'F', '8', '9', 'a'}},
        {"PNG of an unsupported kind",
         {},
         [] {
             pngtest::Header header;
             header.bitDepth = 3;
             return pngtest::imageFile(header, pngtest::storedZlib({0, 0}));
         }()},
        {"PNG stored in IMG, which only the PNG decoder reads", greyPng(2, 2, 7), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clearResources();
        if (!c.img.empty())
            installResource("IMG", 402, c.img);
        if (!c.png.empty())
            installResource(resourceTypeRcData, 402, c.png);
        EXPECT_EQ(loadPicture(402, "IMG", 260, 260), nullptr);
        EXPECT_EQ(memory::liveBitmaps(), 0);
        EXPECT_TRUE(memory::messages().empty());
    }
}

TEST_F(PictureTest, APngThatBreaksWhileDecodingOrMakingItsBitmapSaysSo) {
    // A zlib stream whose only block has the reserved type 3.
    pngtest::Header header;
    header.width = 4;
    header.height = 4;
    const Bytes badData = pngtest::imageFile(header, Bytes{0x78, 0x01, 0x07, 0, 0, 0, 0, 0});
    struct Case {
        const char* what;
        Bytes png;
        bool failBitmap;
        const char* message;
    };
    const Case cases[] = {
        {"bad compressed data", badData, false, "Error: couldn't decode PNG resource"},
        {"no bitmap to be had", greyPng(4, 4, 50), true, "Error: couldn't create bitmap"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        memory::reset();
        installResource(resourceTypeRcData, 403, c.png);
        if (c.failBitmap)
            memory::failNextBitmap();
        EXPECT_EQ(loadPicture(403, "IMG", 260, 260), nullptr);
        ASSERT_EQ(memory::messages().size(), 1u);
        EXPECT_EQ(memory::messages()[0].text, c.message);
        EXPECT_EQ(memory::messages()[0].caption, "Information");
        EXPECT_EQ(memory::messages()[0].icon, ui::MessageIcon::Error);
        EXPECT_EQ(memory::liveBitmaps(), 0);
    }
}

} // namespace
