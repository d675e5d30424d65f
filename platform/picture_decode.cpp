// JPEG, GIF and BMP files through stb_image, compiled here with only those
// three loaders: a PNG must never be read by anything but the player's own
// decoder, whose results and messages the quizzes rely on. Files are
// checked first for what the loader itself does not check safely: the
// picture's size, and the size of JPEG Huffman tables.
#include "platform/pixels.h"

#include <climits>
#include <cstdlib>

// The loader's records start zeroed: a JPEG scan that uses a Huffman table
// the file never defined then finds an empty table rather than whatever the
// memory held.
#define STBI_MALLOC(size) std::calloc(1, size)
#define STBI_REALLOC(pointer, size) std::realloc(pointer, size)
#define STBI_FREE(pointer) std::free(pointer)
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_ONLY_GIF
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_NO_FAILURE_STRINGS
#define STBI_MAX_DIMENSIONS maxPictureSide
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#endif
#include <stb/stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace {

// Four channels asked of the loader: red, green, blue, alpha.
constexpr int rgbaChannels = 4;

// JPEG markers (ITU T.81, table B.1).
constexpr uint8_t markerPrefix = 0xFF;
constexpr uint8_t markerStartOfImage = 0xD8;
constexpr uint8_t markerEndOfImage = 0xD9;
constexpr uint8_t markerStartOfScan = 0xDA;
constexpr uint8_t markerHuffmanTables = 0xC4;
constexpr uint8_t markerFirstRestart = 0xD0;
constexpr uint8_t markerLastRestart = 0xD7;
constexpr uint8_t markerTemporary = 0x01;
// A Huffman table holds at most 256 codes (T.81, B.2.4.2).
constexpr int maxHuffmanCodes = 256;

// Bytes past the end read as 0, as the loader reads them.
struct ByteReader {
    const uint8_t* bytes;
    size_t size;
    uint8_t at(size_t position) const { return position < size ? bytes[position] : 0; }
    int big16(size_t position) const { return at(position) << 8 | at(position + 1); }
};

// The loader stores the code lengths of a Huffman table in room for 256
// codes without counting them first, so a table claiming more would be
// written past its end. The segment whose length field is at `position` is
// read table by table as the loader reads it (T.81, B.2.4.2); false when
// one claims more codes than a table holds. A segment the loader refuses
// for another reason is no danger.
bool huffmanSegmentFits(const ByteReader& file, size_t position) {
    int remaining = file.big16(position) - 2;
    position += 2;
    while (remaining > 0 && position < file.size) {
        const uint8_t kind = file.at(position);
        if ((kind >> 4) > 1 || (kind & 15) > 3)
            return true;
        int codes = 0;
        for (size_t i = 1; i <= 16; ++i)
            codes += file.at(position + i);
        if (codes > maxHuffmanCodes)
            return false;
        position += 17 + static_cast<size_t>(codes);
        remaining -= 17 + codes;
    }
    return true;
}

// Every Huffman table segment the loader may meet in a JPEG file fits. Up
// to the first scan, segments follow each other by their lengths, so the
// walk meets the tables exactly where the loader does, and the contents of
// other segments (metadata, thumbnails) are passed over whole. From the
// first scan on, markers are found in the coded data by their prefix, so
// every marker-like pair there is checked.
bool jpegTablesFit(const uint8_t* bytes, size_t size) {
    const ByteReader file{bytes, size};
    if (file.at(0) != markerPrefix || file.at(1) != markerStartOfImage)
        return true;
    size_t position = 2;
    while (position < size) {
        if (file.at(position) != markerPrefix) {
            ++position; // padding between segments
            continue;
        }
        while (position < size && file.at(position) == markerPrefix)
            ++position;
        const uint8_t marker = file.at(position++);
        if (marker == markerEndOfImage)
            return true;
        if ((marker >= markerFirstRestart && marker <= markerLastRestart) ||
            marker == markerTemporary)
            continue;
        if (marker == markerHuffmanTables && !huffmanSegmentFits(file, position))
            return false;
        const int length = file.big16(position);
        if (length < 2)
            return true; // refused by the loader
        position += static_cast<size_t>(length);
        if (marker == markerStartOfScan)
            break;
    }
    for (; position < size; ++position) {
        if (file.at(position) != markerPrefix)
            continue;
        size_t next = position + 1;
        while (next < size && file.at(next) == markerPrefix)
            ++next;
        if (file.at(next) == markerHuffmanTables && !huffmanSegmentFits(file, next + 1))
            return false;
    }
    return true;
}

// Pixels the file leaves transparent (GIF transparency, BMP alpha) show the
// white of an empty page rather than whatever colour they happen to hold.
uint8_t overWhite(uint8_t colour, uint8_t alpha) {
    return static_cast<uint8_t>((colour * alpha + 255 * (255 - alpha) + 127) / 255);
}

} // namespace

bool decodePictureFile(const uint8_t* bytes, size_t size, PixelImage& image) {
    image = PixelImage{};
    if (bytes == nullptr || size == 0 || size > INT_MAX)
        return false;
    const int length = static_cast<int>(size);
    if (!jpegTablesFit(bytes, size))
        return false;
    // The header alone says how large the picture is; its pixels are only
    // allocated once that size is known to be reasonable.
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(bytes, length, &width, &height, &channels))
        return false;
    if (width <= 0 || height <= 0 || width > maxPictureSide || height > maxPictureSide ||
        int64_t{width} * height > maxPicturePixels)
        return false;
    int loadedWidth = 0, loadedHeight = 0;
    stbi_uc* rgba =
        stbi_load_from_memory(bytes, length, &loadedWidth, &loadedHeight, &channels, rgbaChannels);
    if (rgba == nullptr)
        return false;
    // The size decoded is the one checked: a loader that disagreed with its
    // own header would otherwise overrun the copy below.
    if (loadedWidth != width || loadedHeight != height) {
        stbi_image_free(rgba);
        return false;
    }
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    image.width = width;
    image.height = height;
    image.pixels.resize(count * 4);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* from = rgba + i * rgbaChannels;
        uint8_t* to = image.pixels.data() + i * 4;
        to[0] = overWhite(from[2], from[3]);
        to[1] = overWhite(from[1], from[3]);
        to[2] = overWhite(from[0], from[3]);
        to[3] = 0;
    }
    stbi_image_free(rgba);
    return true;
}
