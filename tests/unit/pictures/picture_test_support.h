// Picture files written here from their formats, and readers of the bitmaps
// the in-memory backend holds.
#pragma once

#include "platform/memory/memory_ui.h"
#include "platform/ui.h"

#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

namespace picturetest {

using Bytes = std::vector<uint8_t>;

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Rgb&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.red << "," << c.green << "," << c.blue << ")";
}

inline Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string demoPicture(const std::string& name) {
    return std::string(ZORBE_SOURCE_DIR) + "/resources/demo/pictures/" + name;
}

inline void put16(Bytes& to, uint32_t value) {
    to.push_back(static_cast<uint8_t>(value));
    to.push_back(static_cast<uint8_t>(value >> 8));
}

inline void put32(Bytes& to, uint32_t value) {
    put16(to, value & 0xFFFF);
    put16(to, value >> 16);
}

// A 24-bit uncompressed BMP, rows bottom-up and padded to 4 bytes, the
// pixel at (x, y from the top) coloured by colourAt.
inline Bytes bmpFile(int width, int height, const std::function<Rgb(int, int)>& colourAt) {
    const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) / 4 * 4;
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(height);
    Bytes out = {'B', 'M'};
    put32(out, 14 + 40 + imageBytes);
    put32(out, 0);
    put32(out, 14 + 40);
    put32(out, 40);
    put32(out, static_cast<uint32_t>(width));
    put32(out, static_cast<uint32_t>(height));
    put16(out, 1);
    put16(out, 24);
    put32(out, 0); // no compression
    put32(out, imageBytes);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (int y = height - 1; y >= 0; --y) {
        const size_t start = out.size();
        for (int x = 0; x < width; ++x) {
            Rgb c = colourAt(x, y);
            out.insert(out.end(), {static_cast<uint8_t>(c.blue), static_cast<uint8_t>(c.green),
                                   static_cast<uint8_t>(c.red)});
        }
        out.resize(start + rowBytes, 0);
    }
    return out;
}

inline Bytes solidBmp(int width, int height, Rgb colour) {
    return bmpFile(width, height, [colour](int, int) { return colour; });
}

// The two halves of every byte swapped, as answer pictures are stored.
inline Bytes swapped(Bytes bytes) {
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(b << 4 | b >> 4);
    return bytes;
}

// The colour of pixel (x, y from the top) of a bitmap of the in-memory
// backend, through its colour table for indexed bitmaps.
inline Rgb pixelOf(ui::BitmapHandle bitmap, int x, int y) {
    const ui::BitmapInfo info = memory::bitmapInfoOf(bitmap);
    const uint8_t* bits = memory::bitmapBits(bitmap);
    const int rows = info.height < 0 ? -info.height : info.height;
    const int stored = info.height < 0 ? y : rows - 1 - y;
    const uint8_t* row =
        bits + static_cast<size_t>(stored) * ui::bitmapRowBytes(info.width, info.bitsPerPixel);
    if (info.bitsPerPixel >= 24) {
        const uint8_t* p = row + static_cast<size_t>(x) * (info.bitsPerPixel / 8);
        return {p[2], p[1], p[0]};
    }
    const int perByte = 8 / info.bitsPerPixel;
    const int shift = 8 - info.bitsPerPixel * (x % perByte + 1);
    const int index = (row[x / perByte] >> shift) & ((1 << info.bitsPerPixel) - 1);
    const uint32_t entry = info.colours[index];
    return {static_cast<int>(entry >> 16 & 0xFF), static_cast<int>(entry >> 8 & 0xFF),
            static_cast<int>(entry & 0xFF)};
}

inline bool near(const Rgb& a, const Rgb& b, int tolerance) {
    auto close = [tolerance](int u, int v) { return u - v <= tolerance && v - u <= tolerance; };
    return close(a.red, b.red) && close(a.green, b.green) && close(a.blue, b.blue);
}

} // namespace picturetest
