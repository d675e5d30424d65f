// zorbe-tool png-decode: runs a PNG file through the player's own decoder
// and writes the bitmap it makes as a netpbm image, so that the result can
// be set beside any other decoder's.
#include "media/png/png_decoder.h"
#include "platform/memory/memory_ui.h"
#include "tools/tool.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int exitOk = 0;
constexpr int exitFailed = 1;
constexpr int exitUsage = 2;

void printUsage(FILE* out) {
    std::fprintf(out, "usage: zorbe-tool png-decode IN.png OUT\n"
                      "\n"
                      "Decodes IN.png as the player does and writes the bitmap it makes to OUT,\n"
                      "top row first, 8 bits per sample:\n"
                      "  - truecolour with alpha: a binary PAM (P7, TUPLTYPE RGB_ALPHA), the\n"
                      "    alpha sample as stored (the player neither blends nor drops it);\n"
                      "  - every other kind: a binary PPM (P6), grey and indexed pixels taken\n"
                      "    through the bitmap's colour table, alpha of grey images dropped.\n"
                      "16-bit samples keep their high byte. Gamma, transparency and the other\n"
                      "ancillary chunks are ignored, and CRCs are not checked.\n"
                      "\n"
                      "On failure prints 'png-decode failed: CODE' with the decoder's error\n"
                      "code and exits with 1; usage errors exit with 2.\n");
}

const char* errorMeaning(uint32_t error) {
    switch (error) {
    case pngErrorNotEmpty: return "decoder not empty";
    case pngErrorNotPng: return "not a PNG, or bad compressed data";
    case pngErrorUnsupported: return "a kind of PNG the player does not take";
    case pngErrorWrongState: return "wrong state";
    case pngErrorBitmap: return "the bitmap cannot be created";
    case pngErrorNoResource: return "no such resource";
    case pngErrorResourceUnreadable: return "empty input";
    case pngErrorNone: return "a row has an unknown filter type";
    default: return "unknown";
    }
}

int reportFailure(uint32_t error) {
    std::fprintf(stderr, "png-decode failed: %u (%s)\n", error, errorMeaning(error));
    return exitFailed;
}

// The bitmap's pixels as RGB or RGBA bytes, top row first.
std::vector<unsigned char> pixelsOf(const ui::BitmapInfo& info, const uint8_t* bits) {
    const int width = info.width;
    const int height = info.height < 0 ? -info.height : info.height;
    const int bpp = info.bitsPerPixel;
    const size_t stride = static_cast<size_t>(ui::bitmapRowBytes(width, bpp));
    std::vector<unsigned char> pixels;
    pixels.reserve(static_cast<size_t>(width) * height * (bpp == 32 ? 4 : 3));
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = bits + stride * (info.height < 0 ? y : height - 1 - y);
        for (int x = 0; x < width; ++x) {
            if (bpp >= 24) {
                const uint8_t* pixel = row + static_cast<size_t>(x) * (bpp / 8);
                pixels.insert(pixels.end(), {pixel[2], pixel[1], pixel[0]});
                if (bpp == 32)
                    pixels.push_back(pixel[3]);
                continue;
            }
            const int perByte = 8 / bpp;
            const int shift = (perByte - 1 - x % perByte) * bpp;
            const int index = (row[x / perByte] >> shift) & ((1 << bpp) - 1);
            const uint32_t colour = info.colours[index];
            pixels.insert(pixels.end(), {static_cast<unsigned char>(colour >> 16),
                                         static_cast<unsigned char>(colour >> 8),
                                         static_cast<unsigned char>(colour)});
        }
    }
    return pixels;
}

std::vector<unsigned char> netpbmOf(const ui::BitmapInfo& info, const uint8_t* bits) {
    const int height = info.height < 0 ? -info.height : info.height;
    std::string header;
    if (info.bitsPerPixel == 32) {
        header = "P7\nWIDTH " + std::to_string(info.width) + "\nHEIGHT " + std::to_string(height) +
                 "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
    } else {
        header = "P6\n" + std::to_string(info.width) + " " + std::to_string(height) + "\n255\n";
    }
    std::vector<unsigned char> out(header.begin(), header.end());
    const std::vector<unsigned char> pixels = pixelsOf(info, bits);
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

} // namespace

int commandPngDecode(int argc, char** argv) {
    if (wantsHelp(argc, argv)) {
        printUsage(stdout);
        return exitOk;
    }
    if (argc != 2) {
        printUsage(stderr);
        return exitUsage;
    }
    std::vector<unsigned char> file;
    if (!readWholeFile(argv[0], file))
        return exitFailed;

    PngDecoder decoder;
    pngInit(decoder);
    if (!pngLoadBytes(decoder, file.data(), file.size()) || !pngDecode(decoder)) {
        const uint32_t error = decoder.error;
        pngFree(decoder);
        return reportFailure(error);
    }
    ui::BitmapHandle bitmap = pngMakeBitmap(decoder);
    const uint32_t error = decoder.error;
    pngFree(decoder);
    if (bitmap == nullptr)
        return reportFailure(error);
    const std::vector<unsigned char> image =
        netpbmOf(memory::bitmapInfoOf(bitmap), memory::bitmapBits(bitmap));
    ui::deleteBitmap(bitmap);
    return writeWholeFile(argv[1], image) ? exitOk : exitFailed;
}
