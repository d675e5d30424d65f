#include "platform/codepage.h"

#include <cstdint>

namespace codepage {
namespace {

// Code points of bytes 80 to 9F; the unassigned ones keep their own value.
constexpr char32_t highControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t codePointOf(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F)
        return highControls[byte - 0x80];
    return byte;
}

bool byteOf(char32_t codePoint, unsigned char& byte) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
        byte = static_cast<unsigned char>(codePoint);
        return true;
    }
    for (int i = 0; i < 32; ++i) {
        if (highControls[i] == codePoint) {
            byte = static_cast<unsigned char>(0x80 + i);
            return true;
        }
    }
    return false;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

std::string toUtf8(std::string_view ansi) {
    std::string out;
    out.reserve(ansi.size() * 2);
    for (char ch : ansi)
        appendUtf8(out, codePointOf(static_cast<unsigned char>(ch)));
    return out;
}

bool fromUtf8(std::string_view utf8, std::string& ansi) {
    ansi.clear();
    size_t i = 0;
    while (i < utf8.size()) {
        auto lead = static_cast<unsigned char>(utf8[i]);
        int extra;
        char32_t c;
        if (lead < 0x80) {
            extra = 0;
            c = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            c = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            c = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            c = lead & 0x07;
        } else {
            return false;
        }
        if (utf8.size() - i <= static_cast<size_t>(extra))
            return false;
        for (int k = 1; k <= extra; ++k) {
            auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (next & 0x3F);
        }
        // Overlong forms and surrogates are not UTF-8.
        static constexpr char32_t smallest[4] = {0, 0x80, 0x800, 0x10000};
        if (c < smallest[extra] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
            return false;
        unsigned char byte;
        if (!byteOf(c, byte))
            return false;
        ansi += static_cast<char>(byte);
        i += extra + 1;
    }
    return true;
}

} // namespace codepage
