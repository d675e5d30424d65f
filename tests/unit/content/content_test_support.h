// Helpers shared by the content tests: package streams made with the
// project's encoder and scrambled here, independently of the loader.
#pragma once

#include "content/lzw_encoder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

inline const std::string scrambleText = "Donn\xE9"
                                        "es indisponibles";

inline std::vector<uint8_t> bytesOf(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

inline std::vector<uint8_t> stream(const std::string& decoded,
                                   const LzwEncodeOptions& options = LzwEncodeOptions()) {
    LzwStream out;
    int result =
        lzwEncode(reinterpret_cast<const uint8_t*>(decoded.data()), decoded.size(), options, out);
    if (result != lzwEncodeOk)
        return {};
    return out.bytes;
}

// Every byte after the first XORed with the key text, from key position key.
inline std::vector<uint8_t> scrambled(std::vector<uint8_t> bytes, size_t key) {
    for (size_t i = 1; i < bytes.size(); ++i) {
        bytes[i] ^= static_cast<uint8_t>(scrambleText[key]);
        key = (key + 1) % scrambleText.size();
    }
    return bytes;
}

// The stored link block: a stream padded with zeros to 70 bytes.
inline std::vector<uint8_t> linkBlock(const std::string& link, const std::string& footer,
                                      bool scramble) {
    std::vector<uint8_t> block = stream(std::string("\0\0", 2) + link + "|" + footer + "|");
    block.resize(70, 0);
    return scramble ? scrambled(block, 0) : block;
}

} // namespace test_support
