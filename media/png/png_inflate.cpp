// Inflate (zlib around deflate) for the PNG decoder. The raw buffer holds
// the whole output, so it doubles as the history window: back-references
// copy straight out of it. Codes are decoded one bit at a time with small
// per-length tables, and nothing is allocated.
#include "media/png/png_decoder.h"

#include <cstring>

namespace {

constexpr int maxCodeLength = 15;
constexpr int maxLiteralLengthCodes = 286; // symbols 0..285 can be sent
constexpr int maxDistanceCodes = 30;       // symbols 0..29
constexpr int fixedLiteralLengthCodes = 288;
constexpr int codeLengthCodes = 19;
constexpr int endOfBlock = 256;
constexpr int firstLengthSymbol = 257;

// Order in which the code-length code's lengths are sent.
constexpr uint8_t codeLengthOrder[codeLengthCodes] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                      11, 4,  12, 3, 13, 2, 14, 1, 15};

// Length symbols 257..285: base match length and extra bits.
constexpr uint16_t lengthBase[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                     15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                     67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t lengthExtraBits[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                         2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};

// Distance symbols 0..29: base distance and extra bits.
constexpr uint16_t distanceBase[maxDistanceCodes] = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t distanceExtraBits[maxDistanceCodes] = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                         4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                         9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// Fixed literal/length code lengths, by symbol range.
struct FixedRange {
    int last;
    uint8_t length;
};
constexpr FixedRange fixedLiteralLengths[] = {{143, 8}, {255, 9}, {279, 7}, {287, 8}};
constexpr int fixedLongestCode = 9;
constexpr int fixedDistanceBits = 5;
constexpr int codeLengthLongestCode = 7;

// A canonical code, decoded bit by bit: for each length, the first code of
// that length, how many codes have it, and where its symbols start in the
// symbol list.
struct PngHuffman {
    int longest;
    int shortest; // no code is shorter; longest + 1 when there is none
    int first[maxCodeLength + 1];
    int count[maxCodeLength + 1];
    int offset[maxCodeLength + 1];
    uint16_t symbols[fixedLiteralLengthCodes];
};

// The zlib stream as the data of consecutive IDAT chunks.
struct PngStream {
    const uint8_t* position; // next unread byte of the current chunk's data
    uint32_t bytesLeft;      // in the current chunk's data
    const uint8_t* next;     // length field of the next chunk; null once the stream ended
    const uint8_t* end;      // end of the file's bytes
};

// Every byte after the end of the stream is 0. The stream continues into a
// chunk that follows directly and is of type IDAT (its fourth letter's case
// ignored); any other chunk, or one that does not lie wholly in the file,
// ends it. Zero-length IDAT chunks are stepped over.
uint8_t pngNextStreamByte(PngStream& stream) {
    while (stream.bytesLeft == 0) {
        if (stream.next == nullptr)
            return 0;
        const uint8_t* chunk = stream.next;
        const size_t available = static_cast<size_t>(stream.end - chunk);
        uint32_t length = 0;
        if (available >= 12) {
            length = static_cast<uint32_t>(chunk[0]) << 24 | static_cast<uint32_t>(chunk[1]) << 16 |
                     static_cast<uint32_t>(chunk[2]) << 8 | chunk[3];
        }
        if (available < 12 || length > available - 12 || std::memcmp(chunk + 4, "IDA", 3) != 0 ||
            (chunk[7] & ~0x20) != 'T') {
            stream.next = nullptr;
            return 0;
        }
        stream.position = chunk + 8;
        stream.bytesLeft = length;
        stream.next = chunk + 12 + length;
    }
    --stream.bytesLeft;
    return *stream.position++;
}

struct Inflater {
    PngStream stream;
    uint32_t bitBuffer;
    int bitCount;
    uint8_t* out;
    uint8_t* outStart;
    uint8_t* outEnd;
};

// The common case, a byte left in the current chunk, stays inline.
inline uint8_t nextByte(PngStream& stream) {
    if (stream.bytesLeft != 0) {
        --stream.bytesLeft;
        return *stream.position++;
    }
    return pngNextStreamByte(stream);
}

inline int readBit(Inflater& s) {
    if (s.bitCount == 0) {
        s.bitBuffer = nextByte(s.stream);
        s.bitCount = 8;
    }
    const int bit = s.bitBuffer & 1;
    s.bitBuffer >>= 1;
    --s.bitCount;
    return bit;
}

// A field of n bits (at most 16), least significant bit first. Whole bytes
// are taken into the bit buffer, which then holds at most 23 bits.
uint32_t readBits(Inflater& s, int n) {
    while (s.bitCount < n) {
        s.bitBuffer |= static_cast<uint32_t>(nextByte(s.stream)) << s.bitCount;
        s.bitCount += 8;
    }
    const uint32_t value = s.bitBuffer & ((1u << n) - 1);
    s.bitBuffer >>= n;
    s.bitCount -= n;
    return value;
}

void dropBits(Inflater& s) {
    s.bitBuffer = 0;
    s.bitCount = 0;
}

// Builds the canonical code for lengths[0..symbolCount) with count[]
// giving how many symbols have each length. Returns the number of codes left
// unused at the longest length: 0 for a complete code, positive for an
// incomplete one, negative for an over-full one.
int pngBuildCode(PngHuffman& code, const uint8_t* lengths, const int* count, int symbolCount,
                 int longest) {
    code.longest = longest;
    code.shortest = longest + 1;
    int left = 1;
    int first = 0;
    int offset = 0;
    code.first[0] = 0;
    code.count[0] = 0;
    code.offset[0] = 0;
    for (int length = 1; length <= maxCodeLength; ++length) {
        first = (first + code.count[length - 1]) * 2;
        code.first[length] = first;
        code.count[length] = length <= longest ? count[length] : 0;
        code.offset[length] = offset;
        offset += code.count[length];
        if (length <= longest) {
            left = left * 2 - count[length];
            if (left < 0)
                return left;
        }
    }
    code.shortest = 1;
    while (code.shortest <= longest && code.count[code.shortest] == 0)
        ++code.shortest;
    int next[maxCodeLength + 1];
    std::memcpy(next, code.offset, sizeof next);
    for (int symbol = 0; symbol < symbolCount; ++symbol) {
        if (lengths[symbol] != 0)
            code.symbols[next[lengths[symbol]]++] = static_cast<uint16_t>(symbol);
    }
    return left;
}

// One symbol, or -1 for a bit pattern the code does not define.
int decodeSymbol(Inflater& s, const PngHuffman& code) {
    // The bit buffer is worked on in locals: this loop is where inflating
    // spends its time.
    uint32_t bits = s.bitBuffer;
    int left = s.bitCount;
    int value = 0;
    // No code is shorter than the shortest: its leading bits need no test.
    for (int length = 1; length < code.shortest; ++length) {
        if (left == 0) {
            bits = nextByte(s.stream);
            left = 8;
        }
        value = value * 2 + static_cast<int>(bits & 1);
        bits >>= 1;
        --left;
    }
    for (int length = code.shortest; length <= code.longest; ++length) {
        if (left == 0) {
            bits = nextByte(s.stream);
            left = 8;
        }
        value = value * 2 + static_cast<int>(bits & 1);
        bits >>= 1;
        --left;
        // Codes of this length start at first[length]; shorter codes were
        // ruled out, so value is never below it.
        const int index = value - code.first[length];
        if (index < code.count[length]) {
            s.bitBuffer = bits;
            s.bitCount = left;
            return code.symbols[code.offset[length] + index];
        }
    }
    s.bitBuffer = bits;
    s.bitCount = left;
    return -1;
}

// Lengths never exceed 15: they are sent as symbols 0..15 or as 3-bit
// fields.
void countLengths(const uint8_t* lengths, int symbolCount, int* count) {
    for (int length = 0; length <= maxCodeLength; ++length)
        count[length] = 0;
    for (int symbol = 0; symbol < symbolCount; ++symbol)
        ++count[lengths[symbol]];
}

// A literal/length or distance code may be incomplete only when it holds a
// single code of length 1 (or, for distances, none at all); the code-length
// code must be complete. Anything else cannot have come from a sound
// encoder and could leave bit patterns undefined.
bool acceptable(int left, const int* count, bool allowEmpty) {
    if (left == 0)
        return true;
    if (left < 0)
        return false;
    int codes = 0;
    for (int length = 1; length <= maxCodeLength; ++length)
        codes += count[length];
    return (codes == 1 && count[1] == 1) || (codes == 0 && allowEmpty);
}

bool inflateStored(Inflater& s) {
    dropBits(s);
    const uint32_t length = readBits(s, 16);
    const uint32_t complement = readBits(s, 16);
    if ((length ^ 0xFFFF) != complement)
        return false;
    if (length > static_cast<size_t>(s.outEnd - s.out))
        return false;
    for (uint32_t i = 0; i < length; ++i)
        *s.out++ = pngNextStreamByte(s.stream);
    dropBits(s);
    return true;
}

// Symbols of one coded block until end-of-block. A null distance code means
// the fixed one: 5-bit codes read most significant bit first.
bool inflateCodes(Inflater& s, const PngHuffman& literalLength, const PngHuffman* distance) {
    for (;;) {
        const int symbol = decodeSymbol(s, literalLength);
        if (symbol < 0)
            return false;
        if (symbol < endOfBlock) {
            if (s.out == s.outEnd)
                return false;
            *s.out++ = static_cast<uint8_t>(symbol);
            continue;
        }
        if (symbol == endOfBlock)
            return true;
        const int lengthIndex = symbol - firstLengthSymbol;
        if (lengthIndex >= static_cast<int>(sizeof lengthBase / sizeof lengthBase[0]))
            return false; // 286 and 287
        const uint32_t length = lengthBase[lengthIndex] + readBits(s, lengthExtraBits[lengthIndex]);
        int distanceSymbol = 0;
        if (distance != nullptr) {
            distanceSymbol = decodeSymbol(s, *distance);
        } else {
            for (int i = 0; i < fixedDistanceBits; ++i)
                distanceSymbol = distanceSymbol * 2 + readBit(s);
        }
        if (distanceSymbol < 0 || distanceSymbol >= maxDistanceCodes)
            return false;
        const uint32_t back =
            distanceBase[distanceSymbol] + readBits(s, distanceExtraBits[distanceSymbol]);
        if (back > static_cast<size_t>(s.out - s.outStart) ||
            length > static_cast<size_t>(s.outEnd - s.out))
            return false;
        // Byte by byte, so that a match overlapping its own output repeats.
        const uint8_t* from = s.out - back;
        for (uint32_t i = 0; i < length; ++i)
            *s.out++ = *from++;
    }
}

bool inflateFixed(Inflater& s) {
    uint8_t lengths[fixedLiteralLengthCodes];
    int symbol = 0;
    for (const FixedRange& range : fixedLiteralLengths) {
        for (; symbol <= range.last; ++symbol)
            lengths[symbol] = range.length;
    }
    int count[maxCodeLength + 1];
    countLengths(lengths, fixedLiteralLengthCodes, count);
    PngHuffman literalLength;
    pngBuildCode(literalLength, lengths, count, fixedLiteralLengthCodes, fixedLongestCode);
    return inflateCodes(s, literalLength, nullptr);
}

bool inflateDynamic(Inflater& s) {
    const int literalCount = static_cast<int>(readBits(s, 5)) + 257;
    const int distanceCount = static_cast<int>(readBits(s, 5)) + 1;
    const int lengthCodeCount = static_cast<int>(readBits(s, 4)) + 4;
    if (literalCount > maxLiteralLengthCodes || distanceCount > maxDistanceCodes)
        return false;

    uint8_t lengths[maxLiteralLengthCodes + maxDistanceCodes] = {};
    int count[maxCodeLength + 1];
    uint8_t codeLengthLengths[codeLengthCodes] = {};
    for (int i = 0; i < lengthCodeCount; ++i)
        codeLengthLengths[codeLengthOrder[i]] = static_cast<uint8_t>(readBits(s, 3));
    countLengths(codeLengthLengths, codeLengthCodes, count);
    PngHuffman lengthCode;
    if (pngBuildCode(lengthCode, codeLengthLengths, count, codeLengthCodes,
                     codeLengthLongestCode) != 0)
        return false;

    const int total = literalCount + distanceCount;
    int index = 0;
    while (index < total) {
        const int symbol = decodeSymbol(s, lengthCode);
        if (symbol < 0)
            return false;
        if (symbol < 16) {
            lengths[index++] = static_cast<uint8_t>(symbol);
            continue;
        }
        uint8_t repeated = 0;
        int times = 0;
        if (symbol == 16) {
            if (index == 0)
                return false; // nothing to repeat
            repeated = lengths[index - 1];
            times = 3 + static_cast<int>(readBits(s, 2));
        } else if (symbol == 17) {
            times = 3 + static_cast<int>(readBits(s, 3));
        } else {
            times = 11 + static_cast<int>(readBits(s, 7));
        }
        if (times > total - index)
            return false;
        while (times-- > 0)
            lengths[index++] = repeated;
    }
    if (lengths[endOfBlock] == 0)
        return false; // a block that could never end

    PngHuffman literalLength;
    countLengths(lengths, literalCount, count);
    if (!acceptable(pngBuildCode(literalLength, lengths, count, literalCount, maxCodeLength), count,
                    false))
        return false;
    PngHuffman distance;
    countLengths(lengths + literalCount, distanceCount, count);
    if (!acceptable(
            pngBuildCode(distance, lengths + literalCount, count, distanceCount, maxCodeLength),
            count, true))
        return false;
    return inflateCodes(s, literalLength, &distance);
}

bool inflateStream(Inflater& s) {
    const uint32_t cmf = readBits(s, 8);
    const uint32_t flg = readBits(s, 8);
    // Deflate with a window of at most 32 KiB, no preset dictionary. The
    // header check value is not tested.
    if ((cmf & 0x0F) != 8 || (cmf >> 4) > 7 || (flg & 0x20) != 0)
        return false;
    bool final = false;
    while (!final) {
        final = readBit(s) != 0;
        const uint32_t type = readBits(s, 2);
        bool ok = false;
        switch (type) {
        case 0: ok = inflateStored(s); break;
        case 1: ok = inflateFixed(s); break;
        case 2: ok = inflateDynamic(s); break;
        default: ok = false; break;
        }
        if (!ok)
            return false;
    }
    // The Adler-32 trailer is read but not compared with the output; it is
    // read in halves, as fields are at most 16 bits.
    dropBits(s);
    readBits(s, 16);
    readBits(s, 16);
    return true;
}

} // namespace

bool pngInflate(PngDecoder& decoder) {
    decoder.error = pngErrorNotPng;
    if (decoder.raw == nullptr)
        return false;
    Inflater s{};
    s.stream.end = decoder.data + decoder.dataSize;
    s.stream.next = decoder.firstImageChunk;
    s.out = decoder.raw;
    s.outStart = decoder.raw;
    s.outEnd = decoder.raw + decoder.rawSize;
    if (!inflateStream(s))
        return false;
    decoder.error = pngErrorNone;
    return true;
}
