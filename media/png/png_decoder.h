// The player's own PNG decoder: pictures stored as PNG files in raw-data
// resources become bitmaps in their natural pixel format. Every standard
// colour type and bit depth is read, plain or Adam7-interlaced; ancillary
// chunks (gamma, transparency, background...) are ignored and CRCs are not
// checked.
//
// The decoder works on the file's bytes where they are and never copies
// them: the bytes must outlive the decoder. Calling order: pngInit, a load
// (pngLoadResource or pngLoadBytes), pngDecode, pngMakeBitmap (any number of
// times), pngFree. A decoder can be loaded again after pngFree.
#pragma once

#include "platform/ui.h"

#include <cstddef>
#include <cstdint>

// Result codes kept in PngDecoder::error. Operations return true or false;
// the code says why.
constexpr uint32_t pngErrorNone = 0;
// Loading into a decoder that is not empty.
constexpr uint32_t pngErrorNotEmpty = 0x1002;
// Not a PNG (too short, wrong signature, no header chunk first, width or
// height 0), and every failure of the compressed data.
constexpr uint32_t pngErrorNotPng = 0x2000;
// A PNG of a kind this decoder does not take: an unknown critical chunk, a
// colour type and bit depth pair outside the standard, compression or filter
// method not 0, interlace method above 1; also an image whose filtered data
// would not fit in 32-bit sizes.
constexpr uint32_t pngErrorUnsupported = 0x2001;
// An operation called in the wrong state.
constexpr uint32_t pngErrorWrongState = 0x2003;
// The bitmap cannot be created.
constexpr uint32_t pngErrorBitmap = 0x2006;
// The resource does not exist.
constexpr uint32_t pngErrorNoResource = 0x3001;
// The resource cannot be loaded or has size 0.
constexpr uint32_t pngErrorResourceUnreadable = 0x3002;

constexpr uint32_t pngStateEmpty = 0;
constexpr uint32_t pngStateParsed = 1;
constexpr uint32_t pngStateDecoded = 2;

// Where the file bytes come from.
constexpr uint32_t pngSourceNone = 0;
constexpr uint32_t pngSourceResource = 1;
constexpr uint32_t pngSourceBytes = 2;

// One plain record, all zero when empty. Pointers into the file are not
// owned; raw is.
struct PngDecoder {
    uint32_t width;
    uint32_t height;
    uint32_t error;
    uint32_t paletteCount; // entries of the first PLTE chunk; 0 without one
    uint8_t colourType;
    uint8_t bitDepth;
    uint8_t interlace; // 0 none, 1 Adam7
    const uint8_t* data;
    uint32_t dataSize;
    const uint8_t* cursor;          // chunk being read while scanning
    uint8_t* raw;                   // inflated, still filtered rows
    uint32_t rawSize;               // exactly what inflating must produce
    const uint8_t* palette;         // data of the first PLTE chunk
    uint32_t source;                // pngSource...
    const uint8_t* header;          // data of the header chunk
    const uint8_t* firstImageChunk; // length field of the first IDAT chunk
    uint32_t state;                 // pngState...
};

// Sets every field to zero: state empty.
void pngInit(PngDecoder& decoder);

// Loads the PNG stored as raw-data resource id and checks its header; on
// success the state is parsed. The resource stays in use until pngFree.
bool pngLoadResource(PngDecoder& decoder, int id);

// The same from bytes the caller keeps alive until pngFree.
bool pngLoadBytes(PngDecoder& decoder, const uint8_t* data, size_t size);

// Byte length of the filtered image data (filter bytes included) of the
// parsed header, summed over the Adam7 passes for interlaced images. False
// when it does not fit in 32 bits.
bool pngRawSize(const PngDecoder& decoder, uint32_t& size);

// Allocates the raw buffer and inflates the image data into it; on success
// the state is decoded. A failed decode leaves no buffer and the state
// parsed.
bool pngDecode(PngDecoder& decoder);

// Inflates the zlib stream spread over the IDAT chunks into the raw buffer
// that pngDecode allocated (zeroed). Error 0 on success, pngErrorNotPng on
// any failure; never writes outside the raw buffer.
bool pngInflate(PngDecoder& decoder);

// The top-down bitmap description of a parsed image: bits per pixel and
// colour table of its natural format.
ui::BitmapInfo pngBitmapInfo(const PngDecoder& decoder);

// Unfilters the raw rows (de-interlacing them) and converts them into bits,
// a bitmap laid out as pngBitmapInfo says, rows padded to 4 bytes. False
// for a filter type above 4.
bool pngWriteImage(const PngDecoder& decoder, uint8_t* bits);

// A new bitmap of the decoded image, owned by the caller, or null.
ui::BitmapHandle pngMakeBitmap(PngDecoder& decoder);

// Frees the raw buffer, releases the resource and empties the decoder.
void pngFree(PngDecoder& decoder);
