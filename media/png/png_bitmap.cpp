// Pixel side of the PNG decoder: unfiltering, Adam7 placement and the
// conversion of every PNG kind to a bitmap format it maps onto directly.
#include "media/png/png_decoder.h"

#include "media/png/png_adam7.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint8_t filterNone = 0;
constexpr uint8_t filterSub = 1;
constexpr uint8_t filterUp = 2;
constexpr uint8_t filterAverage = 3;
constexpr uint8_t filterPaeth = 4;

// How a row of samples becomes a row of bitmap pixels.
enum class Conversion {
    Copy,       // same bits: grey and indexed at 1, 4 and 8 bits
    Widen2To4,  // 2-bit samples into 4-bit pixels
    HighByte,   // one sample, 16 bits: its high byte
    GreyOfPair, // grey and alpha: the grey byte (high byte at 16 bits)
    RgbToBgr,   // truecolour, 8 or 16 bits
    RgbaToBgra, // truecolour with alpha, 8 or 16 bits; alpha kept
};

struct Format {
    uint8_t colourType;
    uint8_t bitDepth;
    uint8_t samples;
    uint8_t bitmapBits;
    uint16_t greyRamp; // entries of the grey colour table; 0 for palette or none
    Conversion conversion;
};
// clang-format off
constexpr Format formats[] = {
    // type depth samples bits ramp conversion
    {0, 1,  1, 1,  2,   Conversion::Copy},
    {0, 2,  1, 4,  4,   Conversion::Widen2To4},
    {0, 4,  1, 4,  16,  Conversion::Copy},
    {0, 8,  1, 8,  256, Conversion::Copy},
    {0, 16, 1, 8,  256, Conversion::HighByte},
    {2, 8,  3, 24, 0,   Conversion::RgbToBgr},
    {2, 16, 3, 24, 0,   Conversion::RgbToBgr},
    {3, 1,  1, 1,  0,   Conversion::Copy},
    {3, 2,  1, 4,  0,   Conversion::Widen2To4},
    {3, 4,  1, 4,  0,   Conversion::Copy},
    {3, 8,  1, 8,  0,   Conversion::Copy},
    {4, 8,  2, 8,  256, Conversion::GreyOfPair},
    {4, 16, 2, 8,  256, Conversion::GreyOfPair},
    {6, 8,  4, 32, 0,   Conversion::RgbaToBgra},
    {6, 16, 4, 32, 0,   Conversion::RgbaToBgra},
};
// clang-format on

const Format* formatOf(const PngDecoder& decoder) {
    for (const Format& format : formats) {
        if (format.colourType == decoder.colourType && format.bitDepth == decoder.bitDepth)
            return &format;
    }
    return nullptr;
}

uint64_t pngRowBytes(uint64_t bitsPerPixel, uint32_t width) {
    return (bitsPerPixel * width + 7) / 8;
}

uint64_t bitmapStride(uint64_t bitsPerPixel, uint32_t width) {
    return (bitsPerPixel * width + 31) / 32 * 4;
}

uint8_t paeth(int a, int b, int c) {
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    if (pa <= pb && pa <= pc)
        return static_cast<uint8_t>(a);
    return static_cast<uint8_t>(pb <= pc ? b : c);
}

// Unfilters one stored row (filter byte first) into out, against previous
// (null on the first row of an image or pass). Returns the unfiltered row:
// the stored bytes themselves for filter None, which is not copied. Null for
// an unknown filter type.
const uint8_t* unfilterRow(const uint8_t* stored, const uint8_t* previous, size_t length,
                           size_t unit, uint8_t* out) {
    const uint8_t filter = stored[0];
    const uint8_t* row = stored + 1;
    if (filter == filterNone)
        return row;
    if (filter > filterPaeth)
        return nullptr;
    for (size_t x = 0; x < length; ++x) {
        const int a = x >= unit ? out[x - unit] : 0;
        const int b = previous != nullptr ? previous[x] : 0;
        const int c = previous != nullptr && x >= unit ? previous[x - unit] : 0;
        int predictor = 0;
        switch (filter) {
        case filterSub: predictor = a; break;
        case filterUp: predictor = b; break;
        case filterAverage: predictor = (a + b) / 2; break;
        default: predictor = paeth(a, b, c); break;
        }
        out[x] = static_cast<uint8_t>(row[x] + predictor);
    }
    return out;
}

// Converts one unfiltered row of width pixels into bitmap pixels at out.
void convertRow(const Format& format, const uint8_t* row, uint32_t width, uint8_t* out) {
    const size_t sampleBytes = format.bitDepth / 8; // 1 or 2 where it matters
    switch (format.conversion) {
    case Conversion::Copy: std::memcpy(out, row, pngRowBytes(format.bitmapBits, width)); break;
    case Conversion::Widen2To4: {
        // Four samples per byte, first in the high bits; two per output byte.
        const size_t outBytes = (size_t{width} + 1) / 2;
        for (size_t i = 0; i < outBytes; ++i) {
            const uint8_t pair = static_cast<uint8_t>(row[i / 2] << (i % 2 * 4));
            out[i] = static_cast<uint8_t>((pair >> 6) << 4 | ((pair >> 4) & 3));
        }
        break;
    }
    case Conversion::HighByte:
        for (uint32_t x = 0; x < width; ++x)
            out[x] = row[x * 2];
        break;
    case Conversion::GreyOfPair:
        for (uint32_t x = 0; x < width; ++x)
            out[x] = row[x * 2 * sampleBytes];
        break;
    case Conversion::RgbToBgr:
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* pixel = row + size_t{x} * 3 * sampleBytes;
            out[x * 3] = pixel[2 * sampleBytes];
            out[x * 3 + 1] = pixel[sampleBytes];
            out[x * 3 + 2] = pixel[0];
        }
        break;
    case Conversion::RgbaToBgra:
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* pixel = row + size_t{x} * 4 * sampleBytes;
            out[x * 4] = pixel[2 * sampleBytes];
            out[x * 4 + 1] = pixel[sampleBytes];
            out[x * 4 + 2] = pixel[0];
            out[x * 4 + 3] = pixel[3 * sampleBytes];
        }
        break;
    }
}

// Puts the pixels of a converted pass row in their places in a bitmap row.
// Pixels under 8 bits are OR-ed in, the bitmap having been cleared.
void placePassRow(const uint8_t* pixels, uint32_t count, uint32_t x0, uint32_t dx,
                  uint32_t bitsPerPixel, uint8_t* bitmapRow) {
    if (bitsPerPixel < 8) {
        const uint32_t perByte = 8 / bitsPerPixel;
        const uint32_t mask = (1u << bitsPerPixel) - 1;
        for (uint32_t k = 0; k < count; ++k) {
            const uint32_t value =
                (pixels[k / perByte] >> ((perByte - 1 - k % perByte) * bitsPerPixel)) & mask;
            const size_t x = x0 + size_t{k} * dx;
            bitmapRow[x / perByte] |=
                static_cast<uint8_t>(value << ((perByte - 1 - x % perByte) * bitsPerPixel));
        }
        return;
    }
    const size_t pixelBytes = bitsPerPixel / 8;
    for (uint32_t k = 0; k < count; ++k)
        std::memcpy(bitmapRow + (x0 + size_t{k} * dx) * pixelBytes, pixels + k * pixelBytes,
                    pixelBytes);
}

} // namespace

ui::BitmapInfo pngBitmapInfo(const PngDecoder& decoder) {
    ui::BitmapInfo info;
    const Format* format = formatOf(decoder);
    if (format == nullptr)
        return info;
    info.width = static_cast<int>(decoder.width);
    info.height = -static_cast<int>(decoder.height);
    info.bitsPerPixel = format->bitmapBits;
    if (format->greyRamp != 0) {
        for (uint32_t i = 0; i < format->greyRamp; ++i) {
            const uint32_t grey = i * 255 / (format->greyRamp - 1u);
            info.colours[i] = grey << 16 | grey << 8 | grey;
        }
    } else if (decoder.colourType == 3 && decoder.palette != nullptr) {
        // Entries the file does not give, and every entry of an image
        // without a palette, stay black.
        const uint32_t count = decoder.paletteCount < 256 ? decoder.paletteCount : 256;
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t* rgb = decoder.palette + i * 3;
            info.colours[i] = uint32_t{rgb[0]} << 16 | uint32_t{rgb[1]} << 8 | rgb[2];
        }
    }
    return info;
}

bool pngWriteImage(const PngDecoder& decoder, uint8_t* bits) {
    const Format* format = formatOf(decoder);
    if (format == nullptr || decoder.raw == nullptr)
        return false;
    const uint64_t bitsPerPixel = uint64_t{format->samples} * format->bitDepth;
    const size_t unit = bitsPerPixel >= 8 ? bitsPerPixel / 8 : 1;
    const uint64_t rowBytes64 = pngRowBytes(bitsPerPixel, decoder.width);
    const uint64_t stride64 = bitmapStride(format->bitmapBits, decoder.width);
    const bool interlaced = decoder.interlace != 0;
    // Two unfiltered rows, and for Adam7 a pass row in bitmap format.
    const uint64_t workBytes = rowBytes64 * 2 + (interlaced ? stride64 : 0);
    if (workBytes > SIZE_MAX || stride64 * decoder.height > SIZE_MAX)
        return false;
    const size_t rowBytes = static_cast<size_t>(rowBytes64);
    const size_t stride = static_cast<size_t>(stride64);
    uint8_t* rows = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(workBytes)));
    if (rows == nullptr)
        return false;
    uint8_t* buffers[2] = {rows, rows + rowBytes};
    uint8_t* scratch = rows + rowBytes * 2;

    bool ok = true;
    const uint8_t* stored = decoder.raw;
    if (!interlaced) {
        const uint8_t* previous = nullptr;
        for (uint32_t y = 0; y < decoder.height && ok; ++y) {
            uint8_t* out = previous == buffers[0] ? buffers[1] : buffers[0];
            const uint8_t* row = unfilterRow(stored, previous, rowBytes, unit, out);
            ok = row != nullptr;
            if (ok)
                convertRow(*format, row, decoder.width, bits + y * stride);
            stored += rowBytes + 1;
            previous = row;
        }
    } else {
        if (format->bitmapBits < 8)
            std::memset(bits, 0, stride * decoder.height);
        for (const Adam7Pass& pass : adam7Passes) {
            const uint32_t passWidth = adam7PassSize(decoder.width, pass.x0, pass.dx);
            const uint32_t passHeight = adam7PassSize(decoder.height, pass.y0, pass.dy);
            if (passWidth == 0 || passHeight == 0)
                continue;
            const size_t passRowBytes = pngRowBytes(bitsPerPixel, passWidth);
            const uint8_t* previous = nullptr;
            for (uint32_t r = 0; r < passHeight && ok; ++r) {
                uint8_t* out = previous == buffers[0] ? buffers[1] : buffers[0];
                const uint8_t* row = unfilterRow(stored, previous, passRowBytes, unit, out);
                ok = row != nullptr;
                if (ok) {
                    convertRow(*format, row, passWidth, scratch);
                    placePassRow(scratch, passWidth, pass.x0, pass.dx, format->bitmapBits,
                                 bits + (pass.y0 + size_t{r} * pass.dy) * stride);
                }
                stored += passRowBytes + 1;
                previous = row;
            }
            if (!ok)
                break;
        }
    }
    std::free(rows);
    return ok;
}

ui::BitmapHandle pngMakeBitmap(PngDecoder& decoder) {
    if (decoder.state != pngStateDecoded) {
        decoder.error = pngErrorWrongState;
        return nullptr;
    }
    // Bitmaps are measured in int: width, height, bits of a row and bytes
    // of the whole.
    const Format* format = formatOf(decoder);
    const uint64_t rowBits = format != nullptr ? uint64_t{format->bitmapBits} * decoder.width : 0;
    if (format == nullptr || decoder.width > INT_MAX || decoder.height > INT_MAX ||
        rowBits + 31 > INT_MAX || (rowBits + 31) / 32 * 4 * decoder.height > INT_MAX) {
        decoder.error = pngErrorBitmap;
        return nullptr;
    }
    const ui::BitmapInfo info = pngBitmapInfo(decoder);
    uint8_t* bits = nullptr;
    ui::BitmapHandle bitmap = ui::createDibSection(info, bits);
    if (bitmap == nullptr) {
        decoder.error = pngErrorBitmap;
        return nullptr;
    }
    if (!pngWriteImage(decoder, bits)) {
        ui::deleteBitmap(bitmap);
        return nullptr;
    }
    return bitmap;
}
