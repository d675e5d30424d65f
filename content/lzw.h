// The code stream of the content packages: variable-width LZW, codes packed
// most significant bit first, with three control codes (end, widen, reset).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Results of decode; callers of the content loader test only for zero.
enum DecodeResult : int {
    decodeOk = 0,
    decodeOutOfMemory = -4,
    decodeTooShort = -5, // the input ended before the first code was complete
    decodeCorrupt = -7,  // a code above the next free code, a width beyond 32
                         // bits, the input ending inside a later code, or a
                         // stream that would overrun the decoder's fixed storage
};

constexpr size_t lzwMaxInput = 32768;
constexpr size_t lzwMaxOutput = 120000;

// Code values of the stream.
constexpr uint32_t lzwCodeEnd = 256;
constexpr uint32_t lzwCodeWiden = 257;
constexpr uint32_t lzwCodeReset = 258;
constexpr uint32_t lzwFirstEntry = 259;
constexpr uint32_t lzwDictionarySlots = 4096;
constexpr int lzwStartWidth = 9;
constexpr int lzwMaxWidth = 32;
// The longest string an entry (or the string being extended) may hold.
constexpr size_t lzwMaxString = 4096;

// Decodes one stream. On success output holds a fresh buffer of lzwMaxOutput
// bytes owned by the caller, of which outputLength are decoded; on failure
// output is empty. No state survives between calls. A null input counts as
// an empty one.
int decode(const uint8_t* input, size_t inputLength, std::unique_ptr<uint8_t[]>& output,
           size_t& outputLength);

// Test hook, not for the player: makes one allocation fail in every
// following decode, until called again with lzwAllocationNone. The
// allocations of one call are numbered in the order they are made.
enum LzwAllocation : int {
    lzwAllocationNone = 0,
    lzwAllocationInput = 1,
    lzwAllocationScratch = 2,
    lzwAllocationDictionary = 3,
    lzwAllocationPreviousString = 4,
    lzwAllocationOutput = 5,
    // The dictionary entries: lzwAllocationFirstEntry + k is the k-th entry
    // made by the call, counting from 0.
    lzwAllocationFirstEntry = 6,
};
void lzwFailAllocationForTesting(int which);
