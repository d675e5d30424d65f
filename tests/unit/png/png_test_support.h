// Builders for crafted PNG files and deflate streams, and readers of the
// bitmaps the decoder makes. The encoders here are written from the file
// formats, independently of the decoder, so that round trips test it.
#pragma once

#include "media/png/png_decoder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace pngtest {

using Bytes = std::vector<uint8_t>;

inline std::string suitePath(const std::string& name) {
    return std::string(ZORBE_SOURCE_DIR) + "/tests/unit/png/pngsuite/" + name + ".png";
}

inline Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void append(Bytes& to, const Bytes& more) {
    to.insert(to.end(), more.begin(), more.end());
}

inline void appendBigEndian32(Bytes& to, uint32_t value) {
    to.insert(to.end(), {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                         static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)});
}

inline uint32_t crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

inline uint32_t adler32(const Bytes& data) {
    uint32_t a = 1;
    uint32_t b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

inline uint64_t fnv1a64(const Bytes& data) {
    uint64_t hash = 0xCBF29CE484222325ull;
    for (uint8_t byte : data) {
        hash ^= byte;
        hash *= 0x100000001B3ull;
    }
    return hash;
}

// One chunk with its CRC; declaredLength overrides the length field.
inline Bytes chunk(const char* type, const Bytes& data, int64_t declaredLength = -1) {
    Bytes out;
    appendBigEndian32(out, declaredLength < 0 ? static_cast<uint32_t>(data.size())
                                              : static_cast<uint32_t>(declaredLength));
    out.insert(out.end(), type, type + 4);
    append(out, data);
    appendBigEndian32(out, crc32(out.data() + 4, out.size() - 4));
    return out;
}

struct Header {
    uint32_t width = 1;
    uint32_t height = 1;
    uint8_t bitDepth = 8;
    uint8_t colourType = 0;
    uint8_t interlace = 0;
    uint8_t compression = 0;
    uint8_t filter = 0;
};

inline Bytes headerData(const Header& h) {
    Bytes out;
    appendBigEndian32(out, h.width);
    appendBigEndian32(out, h.height);
    out.insert(out.end(), {h.bitDepth, h.colourType, h.compression, h.filter, h.interlace});
    return out;
}

inline Bytes signature() {
    return {137, 80, 78, 71, 13, 10, 26, 10};
}

// Signature followed by the chunks given.
inline Bytes pngFile(const std::vector<Bytes>& chunks) {
    Bytes out = signature();
    for (const Bytes& c : chunks)
        append(out, c);
    return out;
}

// A zlib stream of stored blocks holding data (split every 65535 bytes).
inline Bytes storedZlib(const Bytes& data, uint32_t adler) {
    Bytes out = {0x78, 0x01};
    size_t at = 0;
    do {
        const size_t length = std::min<size_t>(data.size() - at, 65535);
        const bool last = at + length == data.size();
        out.push_back(last ? 1 : 0);
        out.insert(out.end(), {static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8),
                               static_cast<uint8_t>(~length), static_cast<uint8_t>(~length >> 8)});
        out.insert(out.end(), data.begin() + at, data.begin() + at + length);
        at += length;
    } while (at < data.size());
    appendBigEndian32(out, adler);
    return out;
}
inline Bytes storedZlib(const Bytes& data) {
    return storedZlib(data, adler32(data));
}

// A whole file: header, optional palette, the zlib stream in one IDAT, IEND.
inline Bytes imageFile(const Header& h, const Bytes& zlib, const Bytes& palette = {}) {
    std::vector<Bytes> chunks = {chunk("IHDR", headerData(h))};
    if (!palette.empty())
        chunks.push_back(chunk("PLTE", palette));
    chunks.push_back(chunk("IDAT", zlib));
    chunks.push_back(chunk("IEND", {}));
    return pngFile(chunks);
}

// Deflate bits: fields least significant bit first, Huffman codes most
// significant bit first.
struct BitWriter {
    Bytes bytes;
    int used = 8;
    void bit(int b) {
        if (used == 8) {
            bytes.push_back(0);
            used = 0;
        }
        bytes.back() |= static_cast<uint8_t>((b & 1) << used++);
    }
    void bits(uint32_t value, int count) {
        for (int i = 0; i < count; ++i)
            bit(static_cast<int>(value >> i));
    }
    void code(uint32_t value, int length) {
        for (int i = length - 1; i >= 0; --i)
            bit(static_cast<int>(value >> i));
    }
    void align() { used = 8; }
};

// Canonical codes for a list of code lengths (RFC 1951, 3.2.2).
inline std::vector<uint32_t> canonicalCodes(const std::vector<uint8_t>& lengths) {
    uint32_t count[16] = {};
    for (uint8_t length : lengths)
        ++count[length];
    count[0] = 0;
    uint32_t next[16] = {};
    uint32_t code = 0;
    for (int length = 1; length < 16; ++length) {
        code = (code + count[length - 1]) << 1;
        next[length] = code;
    }
    std::vector<uint32_t> codes(lengths.size());
    for (size_t symbol = 0; symbol < lengths.size(); ++symbol) {
        if (lengths[symbol] != 0)
            codes[symbol] = next[lengths[symbol]]++;
    }
    return codes;
}

// The fixed literal/length code of a symbol.
inline void fixedSymbol(BitWriter& w, int symbol) {
    if (symbol < 144)
        w.code(0x30 + symbol, 8);
    else if (symbol < 256)
        w.code(0x190 + symbol - 144, 9);
    else if (symbol < 280)
        w.code(symbol - 256, 7);
    else
        w.code(0xC0 + symbol - 280, 8);
}

// A symbol of the code-length alphabet with its extra bits.
struct LengthSymbol {
    int symbol;
    uint32_t extra = 0;
};

// Literal/length and distance code lengths written as one run, with
// repeats 16, 17 and 18 wherever they fit.
inline std::vector<LengthSymbol> runLengthSymbols(const std::vector<uint8_t>& lengths) {
    std::vector<LengthSymbol> out;
    size_t i = 0;
    while (i < lengths.size()) {
        size_t run = 1;
        while (i + run < lengths.size() && lengths[i + run] == lengths[i])
            ++run;
        if (lengths[i] == 0 && run >= 11) {
            const size_t n = std::min<size_t>(run, 138);
            out.push_back({18, static_cast<uint32_t>(n - 11)});
            i += n;
        } else if (lengths[i] == 0 && run >= 3) {
            out.push_back({17, static_cast<uint32_t>(run - 3)});
            i += run;
        } else if (run >= 4) {
            out.push_back({lengths[i]});
            const size_t n = std::min<size_t>(run - 1, 6);
            out.push_back({16, static_cast<uint32_t>(n - 3)});
            i += 1 + n;
        } else {
            out.push_back({lengths[i]});
            ++i;
        }
    }
    return out;
}

// A complete code for the code-length alphabet: 13 codes of 4 bits and 6
// of 5 bits, every symbol usable.
inline std::vector<uint8_t> fullLengthCode() {
    return {4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 5, 5, 5, 5, 5, 5};
}

constexpr uint8_t codeLengthOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                         11, 4,  12, 3, 13, 2, 14, 1, 15};

// The header of a dynamic block: counts, the code-length code and the
// lengths written as the symbols given. hlit and hdist are the symbol
// counts (257.., 1..), written as count - 257 and count - 1.
inline void dynamicHeader(BitWriter& w, bool final, int hlit, int hdist,
                          const std::vector<uint8_t>& lengthCode,
                          const std::vector<LengthSymbol>& symbols) {
    w.bits(final ? 1 : 0, 1);
    w.bits(2, 2);
    w.bits(static_cast<uint32_t>(hlit - 257), 5);
    w.bits(static_cast<uint32_t>(hdist - 1), 5);
    w.bits(19 - 4, 4);
    for (uint8_t symbol : codeLengthOrder)
        w.bits(lengthCode[symbol], 3);
    const std::vector<uint32_t> codes = canonicalCodes(lengthCode);
    static constexpr int extraBits[3] = {2, 3, 7};
    for (const LengthSymbol& s : symbols) {
        w.code(codes[s.symbol], lengthCode[s.symbol]);
        if (s.symbol >= 16)
            w.bits(s.extra, extraBits[s.symbol - 16]);
    }
}

// Filtered rows for an image given as unfiltered rows (filter byte None).
inline Bytes unfilteredRows(const std::vector<Bytes>& rows) {
    Bytes out;
    for (const Bytes& row : rows) {
        out.push_back(0);
        append(out, row);
    }
    return out;
}

// Runs load and decode; the decoder is left for the caller to inspect and
// free.
inline bool loadAndDecode(PngDecoder& decoder, const Bytes& file) {
    pngInit(decoder);
    return pngLoadBytes(decoder, file.data(), file.size()) && pngDecode(decoder);
}

// The bitmap written by pngWriteImage into a buffer of the size its
// description asks for.
inline bool writeImage(const PngDecoder& decoder, ui::BitmapInfo& info, Bytes& bits) {
    info = pngBitmapInfo(decoder);
    const int height = info.height < 0 ? -info.height : info.height;
    bits.assign(static_cast<size_t>(ui::bitmapRowBytes(info.width, info.bitsPerPixel)) * height,
                0xEE);
    return pngWriteImage(decoder, bits.data());
}

// A bitmap's pixels as RGB (or RGBA at 32 bits), top row first, colour
// tables applied.
inline Bytes pixelsOf(const ui::BitmapInfo& info, const uint8_t* bits) {
    const int height = info.height < 0 ? -info.height : info.height;
    const int bpp = info.bitsPerPixel;
    const size_t stride = static_cast<size_t>(ui::bitmapRowBytes(info.width, bpp));
    Bytes out;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = bits + stride * (info.height < 0 ? y : height - 1 - y);
        for (int x = 0; x < info.width; ++x) {
            if (bpp >= 24) {
                const uint8_t* p = row + static_cast<size_t>(x) * (bpp / 8);
                out.insert(out.end(), {p[2], p[1], p[0]});
                if (bpp == 32)
                    out.push_back(p[3]);
                continue;
            }
            const int perByte = 8 / bpp;
            const int index =
                (row[x / perByte] >> ((perByte - 1 - x % perByte) * bpp)) & ((1 << bpp) - 1);
            const uint32_t colour = info.colours[index];
            out.insert(out.end(),
                       {static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8),
                        static_cast<uint8_t>(colour)});
        }
    }
    return out;
}

} // namespace pngtest
