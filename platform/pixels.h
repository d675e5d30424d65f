// Pixel work shared by the backends that keep their bitmaps as
// device-independent bitmaps in memory (FLTK and the in-memory backend):
// reading JPEG, GIF and BMP files, reading any such bitmap back as plain
// pixels, and resampling pixels to another size.
#pragma once

#include "platform/ui.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Rows top-down, four bytes a pixel: blue, green, red, 0 — the layout of a
// top-down 32-bit bitmap, so a picture can be copied into one as it is.
struct PixelImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels; // width × height × 4 bytes
};

// Pictures larger than this on either side, or with more pixels than
// maxPicturePixels, are refused before anything is allocated for them.
constexpr int maxPictureSide = 16384;
constexpr int64_t maxPicturePixels = int64_t{1} << 25;

// Decodes a whole JPEG (baseline or progressive), GIF (its first frame) or
// BMP (uncompressed or bit fields) file. Transparent pixels are laid on
// white. PNG files are not read here: they belong to the player's own
// decoder. False, with image empty, for anything else or anything damaged.
bool decodePictureFile(const uint8_t* bytes, size_t size, PixelImage& image);

// The pixels of a device-independent bitmap of 1, 4, 8 (through its colour
// table), 24 or 32 bits per pixel, bottom-up or top-down. The fourth byte of
// 32-bit pixels is ignored, as the screen ignores it. False for another
// depth, a missing bits pointer or a size out of bounds.
bool bitmapPixels(const ui::BitmapInfo& info, const uint8_t* bits, PixelImage& image);

// Resamples the picture of a device-independent bitmap (as bitmapPixels
// reads it) to width × height: along each axis a reduction averages the
// source pixels each result pixel covers, in proportion to how much of each
// it covers, and an enlargement interpolates linearly between the two
// nearest source pixel centres. The source is read a row at a time, never
// expanded whole. False, with result empty, for a bitmap bitmapPixels
// refuses or a size out of bounds.
bool resampleBitmap(const ui::BitmapInfo& info, const uint8_t* bits, int width, int height,
                    PixelImage& result);

// The same for pixels already read.
bool resamplePixels(const PixelImage& source, int width, int height, PixelImage& result);
