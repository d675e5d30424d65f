// Encoder of the content packages' code stream. The usual greedy scheme:
// write the code of the longest known string, make that string plus the
// next byte the next entry, go on from that byte. The decoder makes each
// entry one code later, from the same strings, so the numbering agrees.
#include "content/lzw_encoder.h"

#include "content/lzw.h"

#include <algorithm>

namespace {

// An entry is the string written plus one byte, and no string may pass
// lzwMaxString, so a string is only extended while it stays below that.
constexpr size_t longestMatch = lzwMaxString - 1;
constexpr uint32_t lowestResetAt = lzwFirstEntry + 1;
constexpr uint32_t highestWidenEarlyBy = 1u << 30;

// Codes are packed most significant bit first, without gaps; the last byte
// is padded with zero bits.
struct BitWriter {
    std::vector<uint8_t>* bytes = nullptr;
    uint64_t pending = 0;
    int pendingCount = 0;
};

void putCode(BitWriter& writer, uint32_t code, int width) {
    writer.pending = writer.pending << width | code;
    writer.pendingCount += width;
    while (writer.pendingCount >= 8) {
        writer.pendingCount -= 8;
        writer.bytes->push_back(static_cast<uint8_t>(writer.pending >> writer.pendingCount));
    }
    writer.pending &= (uint64_t{1} << writer.pendingCount) - 1;
}

void flush(BitWriter& writer) {
    if (writer.pendingCount > 0)
        writer.bytes->push_back(static_cast<uint8_t>(writer.pending << (8 - writer.pendingCount)));
    writer.pendingCount = 0;
    writer.pending = 0;
}

struct Encoder {
    LzwEncodeOptions options;
    LzwStream* stream = nullptr;
    BitWriter writer;
    int width = lzwStartWidth;
    uint32_t nextFree = lzwFirstEntry;
    // The entry that extends code p by byte c, at child[p * 256 + c]; 0 when
    // there is none. touched lists the slots set since the last reset.
    std::vector<uint16_t> child;
    std::vector<uint32_t> touched;
    size_t nextWiden = 0; // into options.widenBefore, sorted
};

// The decoder reads a widen code in the current width and every later code
// one bit wider; a width beyond 32 cannot be read.
bool widen(Encoder& e) {
    if (e.width >= lzwMaxWidth)
        return false;
    putCode(e.writer, lzwCodeWiden, e.width);
    ++e.width;
    ++e.stream->widens;
    return true;
}

bool extraWidens(Encoder& e) {
    const std::vector<size_t>& positions = e.options.widenBefore;
    while (e.nextWiden < positions.size() && positions[e.nextWiden] == e.stream->dataCodes) {
        if (!widen(e))
            return false;
        ++e.nextWiden;
    }
    return true;
}

// Every code is written in the current width, after the widen codes it
// needs; the first code stays a literal in 9 bits.
bool putDataCode(Encoder& e, uint32_t code) {
    if (!extraWidens(e))
        return false;
    if (e.stream->dataCodes > 0) {
        while (uint64_t{code} + e.options.widenEarlyBy >= uint64_t{1} << e.width) {
            if (!widen(e))
                return false;
        }
    }
    putCode(e.writer, code, e.width);
    ++e.stream->dataCodes;
    return true;
}

void remember(Encoder& e, uint32_t prefix, uint8_t byte, uint32_t code) {
    uint32_t slot = prefix * 256 + byte;
    if (e.child[slot] != 0)
        return; // the same string again, after a string reached longestMatch
    e.child[slot] = static_cast<uint16_t>(code);
    e.touched.push_back(slot);
}

// After writing the code of string w, followed by byte: w + byte becomes
// the next entry. When that entry would be resetAt, a reset code goes in its
// place; the decoder still makes w + byte its entry 259, from the string it
// decoded before the reset, so the encoder takes it as 259 too and goes on
// from 260 in 9 bits. That entry can only be found again when w is a single
// byte: a longer w has no code after the reset.
void addEntry(Encoder& e, uint32_t w, size_t wLength, uint8_t byte) {
    if (e.nextFree >= e.options.resetAt) {
        putCode(e.writer, lzwCodeReset, e.width);
        ++e.stream->resets;
        e.width = lzwStartWidth;
        for (uint32_t slot : e.touched)
            e.child[slot] = 0;
        e.touched.clear();
        if (wLength == 1)
            remember(e, w, byte, lzwFirstEntry);
        e.nextFree = lzwFirstEntry + 1;
        return;
    }
    remember(e, w, byte, e.nextFree);
    ++e.nextFree;
}

bool validOptions(const LzwEncodeOptions& options) {
    if (options.resetAt < lowestResetAt || options.resetAt > lzwDictionarySlots)
        return false;
    if (options.widenEarlyBy > highestWidenEarlyBy)
        return false;
    for (size_t position : options.widenBefore) {
        if (position == 0)
            return false;
    }
    return true;
}

bool streamTooLong(const Encoder& e) {
    return e.options.withinPlayerLimits && e.stream->bytes.size() > lzwMaxInput;
}

int encodeAll(Encoder& e, const uint8_t* input, size_t inputLength) {
    uint32_t w = input[0];
    size_t wLength = 1;
    for (size_t i = 1; i < inputLength; ++i) {
        uint8_t byte = input[i];
        uint16_t longer = e.child[w * 256 + byte];
        if (longer != 0 && wLength < longestMatch) {
            w = longer;
            ++wLength;
            continue;
        }
        if (!putDataCode(e, w))
            return lzwEncodeBadOptions;
        if (streamTooLong(e))
            return lzwEncodeStreamTooLong;
        addEntry(e, w, wLength, byte);
        w = byte;
        wLength = 1;
    }
    if (!putDataCode(e, w) || !extraWidens(e))
        return lzwEncodeBadOptions;
    if (e.nextWiden != e.options.widenBefore.size())
        return lzwEncodeBadOptions; // a position past the end code
    putCode(e.writer, lzwCodeEnd, e.width);
    flush(e.writer);
    if (streamTooLong(e))
        return lzwEncodeStreamTooLong;
    return lzwEncodeOk;
}

} // namespace

int lzwEncode(const uint8_t* input, size_t inputLength, const LzwEncodeOptions& options,
              LzwStream& stream) {
    stream = {};
    if (!validOptions(options))
        return lzwEncodeBadOptions;
    if (!input || inputLength == 0)
        return lzwEncodeEmpty;
    if (options.withinPlayerLimits && inputLength > lzwMaxOutput)
        return lzwEncodeInputTooLong;

    Encoder e;
    e.options = options;
    std::sort(e.options.widenBefore.begin(), e.options.widenBefore.end());
    e.stream = &stream;
    e.writer.bytes = &stream.bytes;
    e.child.assign(size_t{lzwDictionarySlots} * 256, 0);

    int result = encodeAll(e, input, inputLength);
    if (result != lzwEncodeOk)
        stream = {};
    return result;
}

int lzwEncode(const uint8_t* input, size_t inputLength, LzwStream& stream) {
    return lzwEncode(input, inputLength, LzwEncodeOptions{}, stream);
}
