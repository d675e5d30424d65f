// Shared by the code stream tests: a bit writer of their own, so that the
// decoder is checked against streams written out bit by bit and not only
// against the encoder, and a few kinds of test data.
#pragma once

#include "content/lzw.h"

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace lzwtest {

struct Code {
    uint32_t value;
    int width;
};

// Writes each code one bit at a time, most significant bit first, and pads
// the last byte with zero bits.
inline std::vector<uint8_t> packBits(const std::vector<Code>& codes) {
    std::vector<uint8_t> bytes;
    int used = 8;
    for (const Code& code : codes) {
        for (int bit = code.width - 1; bit >= 0; --bit) {
            if (used == 8) {
                bytes.push_back(0);
                used = 0;
            }
            if ((uint64_t{code.value} >> bit) & 1)
                bytes.back() |= static_cast<uint8_t>(0x80 >> used);
            ++used;
        }
    }
    return bytes;
}

inline std::vector<Code> nineBits(const std::vector<uint32_t>& values) {
    std::vector<Code> codes;
    for (uint32_t v : values)
        codes.push_back({v, 9});
    return codes;
}

struct Decoded {
    int result = 0;
    std::string output;
    bool outputHeld = false; // the buffer handed back, whatever the result
};

inline Decoded decodeBytes(const std::vector<uint8_t>& input) {
    std::unique_ptr<uint8_t[]> output;
    size_t length = 12345;
    Decoded d;
    d.result = decode(input.data(), input.size(), output, length);
    d.outputHeld = output != nullptr;
    if (output)
        d.output.assign(reinterpret_cast<const char*>(output.get()), length);
    else if (length != 0)
        d.output = "<length without a buffer>";
    return d;
}

inline std::vector<uint8_t> randomBytes(size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(count);
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(random());
    return bytes;
}

// Words of a small vocabulary, as a quiz record's texts: long repeats,
// many dictionary entries, and (at this size) several resets.
inline std::vector<uint8_t> wordyBytes(size_t count, unsigned seed) {
    static const char* const words[] = {
        "Paris|",
        "Londres|",
        "la Seine|",
        "le Rh\xF4ne|",
        "BRAVO",
        "\r\n",
        "Quelle est la capitale ",
        "de la France ?|",
        "Donn\xE9"
        "es|",
        "|",
    };
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes;
    while (bytes.size() < count) {
        const char* word = words[random() % (sizeof words / sizeof *words)];
        for (const char* p = word; *p && bytes.size() < count; ++p)
            bytes.push_back(static_cast<uint8_t>(*p));
    }
    return bytes;
}

inline std::vector<uint8_t> bytesOf(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

} // namespace lzwtest
