// JPEG, GIF and BMP files made into bitmaps, as the platform's picture
// loader does, and everything else refused.
#include "picture_test_support.h"
#include "platform/pixels.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace picturetest;

// A GIF of 2 × 1 pixels: red, then the table's second entry (blue) marked
// transparent. LZW codes of 3 bits: clear, 0, 1, end.
Bytes twoPixelGif() {
    Bytes out = {'G', 'I', 'F', '8', '9', 'a'};
    put16(out, 2);
    put16(out, 1);
    out.insert(out.end(), {0x80, 0, 0, 255, 0, 0, 0, 0, 255});
    out.insert(out.end(), {0x21, 0xF9, 4, 0x01, 0, 0, 1, 0});
    out.insert(out.end(), {0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0});
    out.insert(out.end(), {2, 2, 0x44, 0x02, 0, 0x3B});
    return out;
}

class DecodePictureTest : public ::testing::Test {
protected:
    void SetUp() override { memory::reset(); }
    void TearDown() override { memory::reset(); }
};

TEST_F(DecodePictureTest, EachFormatBecomesATopDownBitmapOfItsOwnSize) {
    const Rgb blue{0, 35, 149}, red{237, 41, 57}, white{255, 255, 255};
    struct Probe {
        int x, y;
        Rgb colour;
    };
    struct Case {
        const char* what;
        Bytes file;
        int width, height;
        int tolerance;
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        {"BMP, bottom-up rows",
         bmpFile(3, 2,
                 [](int x, int y) {
                     return Rgb{x * 100, y * 200, 7};
                 }),
         3,
         2,
         0,
         {{0, 0, {0, 0, 7}}, {2, 0, {200, 0, 7}}, {1, 1, {100, 200, 7}}}},
        {"GIF, transparency on white",
         twoPixelGif(),
         2,
         1,
         0,
         {{0, 0, {255, 0, 0}}, {1, 0, white}}},
        {"JPEG",
         readFile(demoPicture("france.jpg")),
         300,
         200,
         12,
         {{20, 100, blue}, {150, 100, white}, {280, 100, red}}},
        {"progressive JPEG",
         readFile(demoPicture("grece-progressif.jpg")),
         405,
         270,
         12,
         {{75, 15, white}, {300, 15, {13, 94, 175}}, {300, 45, white}}},
        {"GIF in a palette",
         readFile(demoPicture("japon.gif")),
         150,
         100,
         0,
         {{75, 50, {188, 0, 45}}, {5, 5, white}}},
        {"4-bit BMP",
         readFile(demoPicture("italie.bmp")),
         81,
         54,
         0,
         {{10, 27, {0, 146, 70}}, {40, 27, white}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(c.file.empty());
        ui::BitmapHandle bitmap = ui::decodePicture(c.file.data(), c.file.size());
        ASSERT_NE(bitmap, nullptr);
        const ui::BitmapInfo info = memory::bitmapInfoOf(bitmap);
        EXPECT_EQ(info.width, c.width);
        EXPECT_EQ(info.height, -c.height);
        EXPECT_EQ(info.bitsPerPixel, 32);
        for (const Probe& p : c.probes) {
            EXPECT_TRUE(near(pixelOf(bitmap, p.x, p.y), p.colour, c.tolerance))
                << p.x << "," << p.y << ": " << pixelOf(bitmap, p.x, p.y) << " for " << p.colour;
        }
        ui::deleteBitmap(bitmap);
    }
    EXPECT_EQ(memory::liveBitmaps(), 0);
}

// A BMP header claiming a size, with no pixels behind it.
Bytes bmpClaiming(uint32_t width, uint32_t height) {
    Bytes file = solidBmp(1, 1, {1, 2, 3});
    Bytes claimed;
    put32(claimed, width);
    put32(claimed, height);
    std::copy(claimed.begin(), claimed.end(), file.begin() + 18);
    return file;
}

TEST_F(DecodePictureTest, AnythingButAWholeJpegGifOrBmpGivesNoBitmap) {
    const Bytes bmp = solidBmp(4, 4, {10, 20, 30});
    const Bytes jpeg = readFile(demoPicture("france.jpg"));
    const Bytes gif = twoPixelGif();
    struct Case {
        const char* what;
        Bytes file;
    };
    const Case cases[] = {
        {"empty", {}},
        {"PNG, left to the player's own decoder", readFile(demoPicture("suisse.png"))},
        {"text", Bytes{'B', 'o', 'n', 'j', 'o', 'u', 'r'}},
        {"BMP cut in its header", Bytes(bmp.begin(), bmp.begin() + 20)},
        {"JPEG cut in its header", Bytes(jpeg.begin(), jpeg.begin() + 100)},
        {"GIF cut in its header", Bytes(gif.begin(), gif.begin() + 8)},
        {"BMP of 20000 × 20000", bmpClaiming(20000, 20000)},
        {"BMP of 16000 × 16000, too many pixels", bmpClaiming(16000, 16000)},
        {"BMP of 0 × 5", bmpClaiming(0, 5)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ui::decodePicture(c.file.data(), c.file.size()), nullptr);
        PixelImage image;
        EXPECT_FALSE(decodePictureFile(c.file.data(), c.file.size(), image));
        EXPECT_TRUE(image.pixels.empty());
    }
    EXPECT_EQ(ui::decodePicture(nullptr, 10), nullptr);
    EXPECT_EQ(memory::liveBitmaps(), 0);
    EXPECT_TRUE(memory::messages().empty());
}

// A Huffman table segment whose one table claims `codes` codes.
Bytes huffmanSegment(int codes) {
    Bytes segment = {0xFF, 0xC4};
    put16(segment, 0);       // length, big-endian, set below
    segment.push_back(0x10); // AC table 0
    for (int length = 1; length <= 16; ++length) {
        const int here = std::min(codes, 255);
        segment.push_back(static_cast<uint8_t>(length >= 15 ? here : 0));
        codes -= length >= 15 ? here : 0;
    }
    int total = 0;
    for (size_t i = 5; i < segment.size(); ++i)
        total += segment[i];
    segment.insert(segment.end(), static_cast<size_t>(total), 0x01);
    const size_t length = segment.size() - 2;
    segment[2] = static_cast<uint8_t>(length >> 8);
    segment[3] = static_cast<uint8_t>(length);
    return segment;
}

// The demo's JPEG with `extra` inserted after its first segment marker
// (start of image), or just before its end-of-image marker.
Bytes jpegWith(const Bytes& extra, bool atEnd) {
    Bytes file = readFile(demoPicture("france.jpg"));
    file.insert(atEnd ? file.end() - 2 : file.begin() + 2, extra.begin(), extra.end());
    return file;
}

// A table of more than 256 codes would be written past the loader's room
// for it: such files are refused, wherever the table stands, while the
// same bytes inside a metadata segment are only data.
TEST_F(DecodePictureTest, JpegHuffmanTablesOfMoreThan256CodesAreRefused) {
    Bytes metadata = {0xFF, 0xE1};
    const Bytes hidden = huffmanSegment(400);
    put16(metadata, 0);
    metadata.insert(metadata.end(), hidden.begin(), hidden.end());
    metadata[2] = static_cast<uint8_t>((metadata.size() - 2) >> 8);
    metadata[3] = static_cast<uint8_t>(metadata.size() - 2);
    struct Case {
        const char* what;
        Bytes file;
        bool shown;
    };
    const Case cases[] = {
        {"before the frame", jpegWith(huffmanSegment(300), false), false},
        {"after the scan", jpegWith(huffmanSegment(257), true), false},
        {"256 codes", jpegWith(huffmanSegment(256), false), true},
        {"inside a metadata segment", jpegWith(metadata, false), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PixelImage image;
        EXPECT_EQ(decodePictureFile(c.file.data(), c.file.size(), image), c.shown);
        if (c.shown) {
            EXPECT_EQ(image.width, 300);
        }
    }
}

// Every shortening and single-byte changes all through small files end in a
// picture or a refusal, never outside the file (the sanitizer build
// watches). A file cut inside its pixels is shown as far as it goes, the
// rest left as the loader fills it.
TEST_F(DecodePictureTest, DamagedFilesAreReadSafely) {
    const Bytes files[] = {twoPixelGif(), solidBmp(3, 3, {9, 8, 7}),
                           readFile(demoPicture("japon.gif")),
                           Bytes(readFile(demoPicture("france.jpg")))};
    for (const Bytes& file : files) {
        for (size_t length = 0; length < file.size(); length += 1 + length / 16) {
            PixelImage image;
            decodePictureFile(file.data(), length, image);
        }
        const size_t step = file.size() / 200 + 1;
        for (size_t at = 0; at < file.size(); at += step) {
            for (uint8_t value : {uint8_t{0x00}, uint8_t{0xFF}, uint8_t(file[at] ^ 0x55)}) {
                Bytes damaged = file;
                damaged[at] = value;
                PixelImage image;
                if (decodePictureFile(damaged.data(), damaged.size(), image)) {
                    EXPECT_EQ(image.pixels.size(), size_t(image.width) * image.height * 4);
                }
            }
        }
    }
}

} // namespace
