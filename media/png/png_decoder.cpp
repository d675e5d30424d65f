// Container side of the PNG decoder: signature, chunks, header checks and
// the size of the filtered image data.
#include "media/png/png_decoder.h"

#include "media/png/png_adam7.h"

#include "platform/resources.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr uint8_t pngSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
// Signature, then the header chunk's length and type, then its 13 bytes.
constexpr uint32_t minimumFileSize = 16;
constexpr uint32_t headerDataOffset = 16;
constexpr uint32_t headerDataSize = 13;
// Length, type and CRC around every chunk's data.
constexpr uint32_t chunkOverhead = 12;

enum class ChunkKind { None, Header, ImageData, Palette, End, Ancillary, UnknownCritical };

struct Chunk {
    ChunkKind kind;
    uint32_t length;
    uint32_t crc;
};

struct DepthRule {
    uint8_t colourType;
    uint8_t samplesPerPixel;
    uint8_t depthMask; // bit n set: bit depth 2^n allowed
};
constexpr DepthRule depthRules[] = {
    {0, 1, 1 | 2 | 4 | 8 | 16}, // greyscale: 1, 2, 4, 8, 16
    {2, 3, 8 | 16},             // truecolour: 8, 16
    {3, 1, 1 | 2 | 4 | 8},      // indexed: 1, 2, 4, 8
    {4, 2, 8 | 16},             // greyscale with alpha: 8, 16
    {6, 4, 8 | 16},             // truecolour with alpha: 8, 16
};

uint32_t readBigEndian32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}

// Samples per pixel for an accepted colour type and bit depth, 0 otherwise.
uint32_t samplesPerPixel(uint8_t colourType, uint8_t bitDepth) {
    if (bitDepth == 0 || bitDepth > 16 || (bitDepth & (bitDepth - 1)) != 0)
        return 0;
    for (const DepthRule& rule : depthRules) {
        if (rule.colourType == colourType)
            return (rule.depthMask & bitDepth) != 0 ? rule.samplesPerPixel : 0;
    }
    return 0;
}

bool typeIs(const uint8_t* type, const char* name) {
    return (type[0] & ~0x20) == name[0] && std::memcmp(type + 1, name + 1, 3) == 0;
}

// The chunk at the cursor. The four critical types match whatever the case
// of their first letter; others are told apart by that letter's case bit.
// A chunk whose data and CRC do not lie wholly inside the file is taken as
// absent, so a cut-off file ends before the chunk it cuts. The CRC is read
// but never checked.
Chunk pngReadChunk(const PngDecoder& decoder) {
    const uint32_t offset = static_cast<uint32_t>(decoder.cursor - decoder.data);
    if (offset >= decoder.dataSize || decoder.dataSize - offset < chunkOverhead)
        return {ChunkKind::None, 0, 0};
    const uint8_t* type = decoder.cursor + 4;
    const uint32_t length = readBigEndian32(decoder.cursor);
    // Compared as a difference so that lengths near 2^32 cannot wrap.
    if (length > decoder.dataSize - offset - chunkOverhead)
        return {ChunkKind::None, 0, 0};
    ChunkKind kind = ChunkKind::Ancillary;
    if (typeIs(type, "IHDR"))
        kind = ChunkKind::Header;
    else if (typeIs(type, "IDAT"))
        kind = ChunkKind::ImageData;
    else if (typeIs(type, "PLTE"))
        kind = ChunkKind::Palette;
    else if (typeIs(type, "IEND"))
        kind = ChunkKind::End;
    else if ((type[0] & 0x20) == 0)
        kind = ChunkKind::UnknownCritical;
    return {kind, length, readBigEndian32(decoder.cursor + 8 + length)};
}

// Checks the signature and the header, and notes the first PLTE and IDAT
// chunks. Chunk order beyond the header coming first is not checked, nor
// is any CRC; the scan runs past IEND to the end of the bytes.
bool pngParse(PngDecoder& decoder) {
    decoder.cursor = nullptr;
    decoder.header = nullptr;
    decoder.firstImageChunk = nullptr;
    decoder.palette = nullptr;
    decoder.paletteCount = 0;
    decoder.error = pngErrorNone;

    if (decoder.dataSize < minimumFileSize ||
        std::memcmp(decoder.data, pngSignature, sizeof pngSignature) != 0) {
        decoder.error = pngErrorNotPng;
        return false;
    }
    decoder.cursor = decoder.data + sizeof pngSignature;
    Chunk chunk = pngReadChunk(decoder);
    // The header's 13 bytes are read where they must be, whatever length
    // the chunk declares, so they have to lie inside the file.
    if (chunk.kind != ChunkKind::Header || decoder.dataSize < headerDataOffset + headerDataSize) {
        decoder.error = pngErrorNotPng;
        return false;
    }
    decoder.header = decoder.data + headerDataOffset;
    decoder.width = readBigEndian32(decoder.header);
    decoder.height = readBigEndian32(decoder.header + 4);
    if (decoder.width == 0 || decoder.height == 0) {
        decoder.error = pngErrorNotPng;
        return false;
    }

    for (;;) {
        decoder.cursor += chunk.length + chunkOverhead;
        chunk = pngReadChunk(decoder);
        if (chunk.kind == ChunkKind::None)
            break;
        if (chunk.kind == ChunkKind::UnknownCritical) {
            decoder.error = pngErrorUnsupported;
            return false;
        }
        if (chunk.kind == ChunkKind::Palette && decoder.palette == nullptr) {
            decoder.palette = decoder.cursor + 8;
            decoder.paletteCount = chunk.length / 3;
        } else if (chunk.kind == ChunkKind::ImageData && decoder.firstImageChunk == nullptr) {
            decoder.firstImageChunk = decoder.cursor;
        }
    }

    decoder.bitDepth = decoder.header[8];
    decoder.colourType = decoder.header[9];
    decoder.interlace = decoder.header[12];
    const uint8_t compression = decoder.header[10];
    const uint8_t filter = decoder.header[11];
    if (samplesPerPixel(decoder.colourType, decoder.bitDepth) == 0 || compression != 0 ||
        filter != 0 || decoder.interlace > 1) {
        decoder.error = pngErrorUnsupported;
        return false;
    }
    return true;
}

// (filter byte + ceil(bpp * width / 8)) * height, or false past 32 bits.
bool addImageSize(uint64_t bitsPerPixel, uint32_t width, uint32_t height, uint64_t& total) {
    const uint64_t rowBytes = (bitsPerPixel * width + 7) / 8 + 1;
    if (rowBytes > (UINT32_MAX - total) / height)
        return false;
    total += rowBytes * height;
    return true;
}

} // namespace

void pngInit(PngDecoder& decoder) {
    std::memset(&decoder, 0, sizeof decoder);
}

bool pngLoadBytes(PngDecoder& decoder, const uint8_t* data, size_t size) {
    if (decoder.state != pngStateEmpty || decoder.source != pngSourceNone) {
        decoder.error = pngErrorNotEmpty;
        return false;
    }
    decoder.error = pngErrorNone;
    if (data == nullptr || size == 0) {
        decoder.error = pngErrorResourceUnreadable;
        return false;
    }
    // Sizes are 32-bit throughout; a larger file is not one this decoder
    // takes.
    if (size > UINT32_MAX) {
        decoder.error = pngErrorUnsupported;
        return false;
    }
    decoder.data = data;
    decoder.cursor = data;
    decoder.dataSize = static_cast<uint32_t>(size);
    decoder.source = pngSourceBytes;
    if (!pngParse(decoder)) {
        decoder.source = pngSourceNone;
        return false;
    }
    decoder.state = pngStateParsed;
    return true;
}

bool pngLoadResource(PngDecoder& decoder, int id) {
    if (decoder.state != pngStateEmpty || decoder.source != pngSourceNone) {
        decoder.error = pngErrorNotEmpty;
        return false;
    }
    decoder.error = pngErrorNone;
    const ResourceBytes resource = findResource(resourceTypeRcData, id);
    if (resource.data == nullptr) {
        decoder.error = pngErrorNoResource;
        return false;
    }
    if (!pngLoadBytes(decoder, resource.data, resource.size)) {
        releaseResource(resource);
        return false;
    }
    decoder.source = pngSourceResource;
    return true;
}

bool pngRawSize(const PngDecoder& decoder, uint32_t& size) {
    size = 0;
    const uint64_t bitsPerPixel =
        uint64_t{samplesPerPixel(decoder.colourType, decoder.bitDepth)} * decoder.bitDepth;
    if (decoder.width == 0 || decoder.height == 0)
        return true;
    uint64_t total = 0;
    if (decoder.interlace == 0) {
        if (!addImageSize(bitsPerPixel, decoder.width, decoder.height, total))
            return false;
    } else {
        for (const Adam7Pass& pass : adam7Passes) {
            const uint32_t passWidth = adam7PassSize(decoder.width, pass.x0, pass.dx);
            const uint32_t passHeight = adam7PassSize(decoder.height, pass.y0, pass.dy);
            if (passWidth == 0 || passHeight == 0)
                continue;
            if (!addImageSize(bitsPerPixel, passWidth, passHeight, total))
                return false;
        }
    }
    size = static_cast<uint32_t>(total);
    return true;
}

bool pngDecode(PngDecoder& decoder) {
    if (decoder.state != pngStateParsed) {
        decoder.error = pngErrorWrongState;
        return false;
    }
    uint32_t rawSize = 0;
    if (!pngRawSize(decoder, rawSize)) {
        decoder.error = pngErrorUnsupported;
        return false;
    }
    decoder.rawSize = rawSize;
    // Zeroed, so that rows a short stream leaves unwritten read as zeros.
    decoder.raw = static_cast<uint8_t*>(std::calloc(rawSize, 1));
    if (decoder.raw == nullptr) {
        decoder.error = pngErrorNotPng;
        return false;
    }
    if (!pngInflate(decoder)) {
        std::free(decoder.raw);
        decoder.raw = nullptr;
        return false;
    }
    decoder.state = pngStateDecoded;
    return true;
}

void pngFree(PngDecoder& decoder) {
    if (decoder.state == pngStateDecoded)
        std::free(decoder.raw);
    if (decoder.source == pngSourceResource)
        releaseResource({decoder.data, decoder.dataSize});
    pngInit(decoder);
}
