// The code stream of the content packages: variable-width LZW, codes packed
// most significant bit first, with three control codes (end, widen, reset).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// Results of decode; callers of the content loader test only for zero.
enum DecodeResult : int {
    decodeOk = 0,
    decodeOutOfMemory = -4,
    decodeTooShort = -5, // the input ended before the first code was complete
    decodeCorrupt = -7,
};

constexpr size_t lzwMaxInput = 32768;
constexpr size_t lzwMaxOutput = 120000;

// Decodes one stream. On success output holds a fresh buffer of lzwMaxOutput
// bytes owned by the caller, of which outputLength are decoded; on failure
// output is empty. No state survives between calls.
int decode(const uint8_t* input, size_t inputLength, std::unique_ptr<uint8_t[]>& output,
           size_t& outputLength);
