// The decoder against the PNG test suite: the pixels of every valid file
// as an independent decoder sees them, the broken files refused with their
// error, and damaged copies (cut short, bytes changed) refused or decoded
// without ever reading or writing outside their buffers.
#include "media/png/png_decoder.h"
#include "platform/memory/memory_ui.h"
#include "tests/unit/png/png_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace pngtest;

namespace {

struct Reference {
    const char* name;
    int width;
    int height;
    int channels; // 3 RGB, 4 RGBA
    uint64_t hash;
};

// ImageMagick's decoding, reduced to what the bitmap shows (see the script
// that writes it).
constexpr Reference references[] = {
#include "tests/unit/png/pngsuite_reference.inc"
};

// Decodes as the player does and returns the bitmap's pixels as RGB(A).
bool decodePixels(const Bytes& file, ui::BitmapInfo& info, Bytes& pixels, uint32_t& error) {
    PngDecoder decoder;
    pngInit(decoder);
    bool ok = pngLoadBytes(decoder, file.data(), file.size()) && pngDecode(decoder);
    ui::BitmapHandle bitmap = ok ? pngMakeBitmap(decoder) : nullptr;
    error = decoder.error;
    pngFree(decoder);
    if (bitmap == nullptr)
        return false;
    info = memory::bitmapInfoOf(bitmap);
    pixels = pixelsOf(info, memory::bitmapBits(bitmap));
    ui::deleteBitmap(bitmap);
    return true;
}

TEST(PngSuite, EveryValidFileGivesTheSamePixelsAsAnIndependentDecoder) {
    for (const Reference& reference : references) {
        SCOPED_TRACE(reference.name);
        const Bytes file = readFile(suitePath(reference.name));
        ASSERT_FALSE(file.empty());
        ui::BitmapInfo info;
        Bytes pixels;
        uint32_t error = 0;
        ASSERT_TRUE(decodePixels(file, info, pixels, error)) << "error " << error;
        EXPECT_EQ(info.width, reference.width);
        EXPECT_EQ(-info.height, reference.height);
        EXPECT_EQ(info.bitsPerPixel == 32 ? 4 : 3, reference.channels);
        EXPECT_EQ(fnv1a64(pixels), reference.hash);
    }
}

enum class Stage { Load, Decode };

struct BrokenCase {
    const char* name;
    Stage stage;
    uint32_t error;
};

TEST(PngSuite, BrokenFilesAreRefusedWithTheirError) {
    const BrokenCase cases[] = {
        {"xc1n0g08", Stage::Load, pngErrorUnsupported}, // colour type 1
        {"xc9n2c08", Stage::Load, pngErrorUnsupported}, // colour type 9
        {"xcrn0g04", Stage::Load, pngErrorNotPng},      // signature damaged by CR conversion
        {"xlfn0g04", Stage::Load, pngErrorNotPng},      // by LF conversion
        {"xs1n0g01", Stage::Load, pngErrorNotPng},      // signature bytes
        {"xs2n0g01", Stage::Load, pngErrorNotPng},
        {"xs4n0g01", Stage::Load, pngErrorNotPng},
        {"xs7n0g01", Stage::Load, pngErrorNotPng},
        {"xd0n2c08", Stage::Load, pngErrorUnsupported}, // bit depth 0
        {"xd3n2c08", Stage::Load, pngErrorUnsupported}, // bit depth 3
        {"xd9n2c08", Stage::Load, pngErrorUnsupported}, // bit depth 99
        {"xdtn0g01", Stage::Decode, pngErrorNotPng},    // no IDAT chunk
    };
    for (const BrokenCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes file = readFile(suitePath(c.name));
        ASSERT_FALSE(file.empty());
        PngDecoder decoder;
        pngInit(decoder);
        const bool loaded = pngLoadBytes(decoder, file.data(), file.size());
        EXPECT_EQ(loaded, c.stage != Stage::Load);
        if (loaded) {
            EXPECT_FALSE(pngDecode(decoder));
            EXPECT_EQ(decoder.raw, nullptr);
        }
        EXPECT_EQ(decoder.error, c.error);
        pngFree(decoder);
    }
}

TEST(PngSuite, DamagedChecksumsAreNotNoticed) {
    const char* pairs[][2] = {{"xcsn0g01", "basn0g01"}, {"xhdn0g08", "basn0g08"}};
    for (const auto& pair : pairs) {
        SCOPED_TRACE(pair[0]);
        ui::BitmapInfo damagedInfo, intactInfo;
        Bytes damaged, intact;
        uint32_t error = 0;
        ASSERT_TRUE(decodePixels(readFile(suitePath(pair[0])), damagedInfo, damaged, error));
        ASSERT_TRUE(decodePixels(readFile(suitePath(pair[1])), intactInfo, intact, error));
        EXPECT_EQ(damaged, intact);
    }
}

constexpr uint32_t maxPixelBytes = 1 << 20;

// Runs the whole road on damaged bytes: whatever happens must be one of the
// defined outcomes, and nothing may be left allocated.
void expectDefinedOutcome(const Bytes& file) {
    const int bitmapsBefore = memory::liveBitmaps();
    PngDecoder decoder;
    pngInit(decoder);
    if (!pngLoadBytes(decoder, file.data(), file.size())) {
        EXPECT_TRUE(decoder.error == pngErrorNotPng || decoder.error == pngErrorUnsupported ||
                    (file.empty() && decoder.error == pngErrorResourceUnreadable))
            << decoder.error;
        EXPECT_EQ(decoder.state, pngStateEmpty);
        pngFree(decoder);
        return;
    }
    if (!pngDecode(decoder)) {
        EXPECT_TRUE(decoder.error == pngErrorNotPng || decoder.error == pngErrorUnsupported)
            << decoder.error;
        EXPECT_EQ(decoder.raw, nullptr);
        EXPECT_EQ(decoder.state, pngStateParsed);
        pngFree(decoder);
        return;
    }
    EXPECT_EQ(decoder.error, pngErrorNone);
    // A changed size byte can ask for gigabytes of rows; those are decoded
    // (the buffer is taken lazily) but not turned into pixels here.
    if (decoder.rawSize <= maxPixelBytes) {
        ui::BitmapHandle bitmap = pngMakeBitmap(decoder);
        // A row with an unknown filter type.
        if (bitmap == nullptr) {
            EXPECT_EQ(decoder.error, pngErrorNone);
        }
        ui::deleteBitmap(bitmap);
    }
    pngFree(decoder);
    EXPECT_EQ(memory::liveBitmaps(), bitmapsBefore);
}

// A spread of kinds: every colour type, low and high depths, interlaced,
// stored and compressed data, odd sizes, ancillary chunks.
const char* const damageSamples[] = {
    "basn0g01", "basi0g02", "basn2c16", "basi3p01", "basi4a16", "basn6a08",
    "f04n2c08", "z00n2c08", "z09n2c08", "s07i3p02", "ctzn0g04",
};

TEST(PngSuite, FilesCutShortAnywhereEndDefinedly) {
    for (const Reference& reference : references) {
        SCOPED_TRACE(reference.name);
        const Bytes file = readFile(suitePath(reference.name));
        for (size_t size = 0; size < file.size(); ++size) {
            // An exact-size copy, so that a read past the cut is caught.
            const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
            expectDefinedOutcome(cut);
            if (HasFailure())
                FAIL() << "cut at " << size;
        }
    }
}

constexpr size_t sizeFieldsStart = 16;
constexpr size_t sizeFieldsEnd = 24;

TEST(PngSuite, FilesWithAnyByteChangedEndDefinedly) {
    const uint8_t flips[] = {0x01, 0xFF};
    for (const char* name : damageSamples) {
        SCOPED_TRACE(name);
        const Bytes file = readFile(suitePath(name));
        ASSERT_FALSE(file.empty());
        for (size_t at = 0; at < file.size(); ++at) {
            // Width and height have tests of their own: changed here they
            // mostly ask for huge images that take long to fill.
            if (at >= sizeFieldsStart && at < sizeFieldsEnd)
                continue;
            for (uint8_t flip : flips) {
                Bytes changed = file;
                changed[at] ^= flip;
                expectDefinedOutcome(changed);
                if (HasFailure())
                    FAIL() << "byte " << at << " xor " << int{flip};
            }
        }
    }
}

#ifndef _WIN32
// The tool writes what the decoder makes: the netpbm payload carries the
// same pixels as the reference, PAM with alpha, PPM without.
TEST(PngDecodeTool, WritesTheBitmapAsNetpbm) {
    const struct {
        const char* name;
        const char* magic;
    } cases[] = {{"basn6a16", "P7\n"}, {"basi3p02", "P6\n"}, {"basn0g04", "P6\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string out = testing::TempDir() + "png_tool_" + c.name + ".pnm";
        const std::string command =
            std::string(ZORBE_TOOL_PATH) + " png-decode " + suitePath(c.name) + " " + out;
        ASSERT_EQ(std::system(command.c_str()), 0);
        const Bytes written = readFile(out);
        std::remove(out.c_str());
        ASSERT_GE(written.size(), 3u);
        EXPECT_EQ(std::string(written.begin(), written.begin() + 3), c.magic);
        // The header ends at the third line break (PPM) or after ENDHDR (PAM).
        const std::string text(written.begin(), written.end());
        size_t start = 0;
        if (text.compare(0, 2, "P7") == 0) {
            start = text.find("ENDHDR\n") + 7;
        } else {
            for (int line = 0; line < 3; ++line)
                start = text.find('\n', start) + 1;
        }
        const Bytes pixels(written.begin() + static_cast<std::ptrdiff_t>(start), written.end());
        for (const Reference& reference : references) {
            if (std::string(reference.name) == c.name) {
                EXPECT_EQ(fnv1a64(pixels), reference.hash);
            }
        }
    }
}

TEST(PngDecodeTool, ReportsTheErrorCodeOfABrokenFile) {
    const std::string out = testing::TempDir() + "png_tool_broken.pnm";
    const std::string log = testing::TempDir() + "png_tool_broken.txt";
    const std::string command = std::string(ZORBE_TOOL_PATH) + " png-decode " +
                                suitePath("xs1n0g01") + " " + out + " 2>" + log;
    const int status = std::system(command.c_str());
    const Bytes message = readFile(log);
    std::remove(log.c_str());
    EXPECT_NE(status, 0);
    EXPECT_EQ(std::string(message.begin(), message.end()).rfind("png-decode failed: 8192", 0), 0u);
    EXPECT_TRUE(readFile(out).empty());
}
#endif

} // namespace
