// Hostile PNG files through the whole road of a picture (load, decode,
// bitmap), and where each stops. The PNG tests already try chunk lengths
// past the end before the image data, raw sizes beyond 32 bits one by one,
// and streams cut or overrunning the buffer at the inflate level; here the
// same faults sit in the image data itself and in whole files.
#include "media/png/png_decoder.h"
#include "platform/memory/memory_ui.h"

#include "tests/unit/png/png_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace pngtest;

namespace {

// How far a file gets, and the error it is refused with (0: none).
enum class Reaches { nothing, loaded, decoded, bitmap };

struct FileCase {
    std::string name;
    Bytes file;
    Reaches reaches;
    uint32_t error;
    int firstPixel = -1; // the first byte of the bitmap, when one is made; -1: not checked
};

// Grey 8-bit, one pixel of 0x80: filter byte 0, then the pixel.
const Bytes onePixelRaw = {0, 0x80};

Header grey(uint32_t width, uint32_t height, uint8_t depth = 8) {
    Header h;
    h.width = width;
    h.height = height;
    h.bitDepth = depth;
    return h;
}

Bytes fileOf(const Header& h, const std::vector<Bytes>& imageChunks) {
    std::vector<Bytes> chunks = {chunk("IHDR", headerData(h))};
    chunks.insert(chunks.end(), imageChunks.begin(), imageChunks.end());
    chunks.push_back(chunk("IEND", {}));
    return pngFile(chunks);
}

void expectCase(const FileCase& c) {
    SCOPED_TRACE(c.name);
    memory::reset();
    PngDecoder decoder;
    pngInit(decoder);
    Reaches reached = Reaches::nothing;
    ui::BitmapHandle bitmap = nullptr;
    if (pngLoadBytes(decoder, c.file.data(), c.file.size())) {
        reached = Reaches::loaded;
        if (pngDecode(decoder)) {
            reached = Reaches::decoded;
            bitmap = pngMakeBitmap(decoder);
            if (bitmap)
                reached = Reaches::bitmap;
        } else {
            EXPECT_EQ(decoder.raw, nullptr);
        }
    }
    EXPECT_EQ(static_cast<int>(reached), static_cast<int>(c.reaches));
    EXPECT_EQ(decoder.error, c.error);
    if (bitmap && c.firstPixel >= 0) {
        EXPECT_EQ(memory::bitmapBits(bitmap)[0], c.firstPixel);
    }
    if (bitmap)
        ui::deleteBitmap(bitmap);
    pngFree(decoder);
    EXPECT_EQ(memory::liveBitmaps(), 0);
    memory::reset();
}

TEST(HostilePngFiles, StopWhereTheirFaultIsWithTheirError) {
    const Bytes stream = storedZlib(onePixelRaw);
    // The stored block's header (zlib header, block header, LEN, NLEN) in
    // one image chunk, its data and the checksum in the next.
    const Bytes streamHead(stream.begin(), stream.begin() + 7);
    const Bytes streamTail(stream.begin() + 7, stream.end());
    auto cutAt = [](Bytes file, size_t size) {
        file.resize(size);
        return file;
    };
    const Bytes whole = fileOf(grey(1, 1), {chunk("IDAT", stream)});
    Header interlacedHuge = grey(4096, 131072, 16);
    interlacedHuge.colourType = 6;
    interlacedHuge.interlace = 1;
    Header widestRgba = grey(0xFFFFFFFFu, 0xFFFFFFFFu, 16);
    widestRgba.colourType = 6;

    const std::vector<FileCase> cases = {
        {"a whole image", whole, Reaches::bitmap, pngErrorNone, 0x80},
        // Chunk lengths near 2^32: the chunk would end past the file (or
        // wrap around the address space); the walk takes it as absent.
        {"image data of length 2^32 - 1", fileOf(grey(1, 1), {chunk("IDAT", stream, 0xFFFFFFFFll)}),
         Reaches::loaded, pngErrorNotPng},
        {"image data of length 2^32 - 12",
         fileOf(grey(1, 1), {chunk("IDAT", stream, 0xFFFFFFF4ll)}), Reaches::loaded,
         pngErrorNotPng},
        // The header's data is read where it stands, but its chunk too must
        // lie within the file.
        {"header of length 2^32 - 1",
         pngFile({chunk("IHDR", headerData(grey(1, 1)), 0xFFFFFFFFll), chunk("IDAT", stream)}),
         Reaches::nothing, pngErrorNotPng},
        // The continuation of the stream claims more than the file holds:
        // the stream ends with the first chunk and reads on as zeros.
        {"second image chunk of length 2^32 - 12",
         fileOf(grey(1, 1), {chunk("IDAT", streamHead), chunk("IDAT", streamTail, 0xFFFFFFF4ll)}),
         Reaches::bitmap, pngErrorNone, 0},
        {"second image chunk of length 2^31",
         fileOf(grey(1, 1), {chunk("IDAT", streamHead), chunk("IDAT", streamTail, 0x80000000ll)}),
         Reaches::bitmap, pngErrorNone, 0},
        // Widths and heights whose filtered data would not fit 32 bits are
        // refused before any allocation.
        {"65536 x 65536 grey", fileOf(grey(65536, 65536), {chunk("IDAT", stream)}), Reaches::loaded,
         pngErrorUnsupported},
        {"2^32 - 1 squared, 64-bit pixels", fileOf(widestRgba, {chunk("IDAT", stream)}),
         Reaches::loaded, pngErrorUnsupported},
        {"interlaced, every pass fitting but not their sum",
         fileOf(interlacedHuge, {chunk("IDAT", stream)}), Reaches::loaded, pngErrorUnsupported},
        // Image data that ends early: what is missing reads as zeros.
        {"stream ending inside its stored block",
         fileOf(grey(1, 1), {chunk("IDAT", Bytes(stream.begin(), stream.begin() + 8))}),
         Reaches::bitmap, pngErrorNone, 0},
        {"stream ending after its zlib header",
         fileOf(grey(1, 1), {chunk("IDAT", Bytes(stream.begin(), stream.begin() + 2))}),
         Reaches::loaded, pngErrorNotPng},
        {"file cut inside the image chunk: no image data", cutAt(whole, whole.size() - 12 - 5),
         Reaches::loaded, pngErrorNotPng},
        // Image data that runs past the raw buffer fails the decode.
        {"stored block one byte longer than the image",
         fileOf(grey(1, 1), {chunk("IDAT", storedZlib({0, 0x80, 0x81}))}), Reaches::loaded,
         pngErrorNotPng},
        {"stored block of 65535 bytes for one pixel",
         fileOf(grey(1, 1), {chunk("IDAT", storedZlib(Bytes(65535, 1)))}), Reaches::loaded,
         pngErrorNotPng},
    };
    for (const FileCase& c : cases)
        expectCase(c);
}

} // namespace
