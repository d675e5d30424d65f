// Writes the code stream that content/lzw.h decodes: for the authoring
// tool's packer and for tests, which can ask for widen and reset codes
// earlier than the stream needs them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum LzwEncodeResult : int {
    lzwEncodeOk = 0,
    lzwEncodeEmpty = -1,         // a stream always decodes to at least one byte
    lzwEncodeInputTooLong = -2,  // more than lzwMaxOutput bytes: the player refuses it
    lzwEncodeStreamTooLong = -3, // more than lzwMaxInput bytes of stream: the same
    lzwEncodeBadOptions = -4,
};

struct LzwEncodeOptions {
    // The encoder resets when its next entry would be this code: 4096 (the
    // latest a stream may) or lower, down to 260.
    uint32_t resetAt = 4096;
    // Widening ahead of need: before a code v other than the first, the
    // width grows until v + widenEarlyBy fits in it. 0 widens only for a code
    // that would not fit. At most 2^30.
    uint32_t widenEarlyBy = 0;
    // One extra widen code before each data code whose position (from 0,
    // counting literals and entries written, not control codes) is listed; a
    // position may appear several times. Position 0 is refused (the stream
    // begins with a literal in 9 bits); the number of data codes puts the
    // widen before the end code. A width beyond 32 is refused.
    std::vector<size_t> widenBefore;
    // Refuse what the player would refuse (an input above lzwMaxOutput
    // bytes, a stream above lzwMaxInput). Tests turn it off to make such
    // streams.
    bool withinPlayerLimits = true;
};

struct LzwStream {
    std::vector<uint8_t> bytes;
    // What went into it: literal and entry codes, widen and reset codes.
    size_t dataCodes = 0;
    size_t widens = 0;
    size_t resets = 0;
};

// On any result but lzwEncodeOk the stream is left empty.
int lzwEncode(const uint8_t* input, size_t inputLength, const LzwEncodeOptions& options,
              LzwStream& stream);
int lzwEncode(const uint8_t* input, size_t inputLength, LzwStream& stream);
