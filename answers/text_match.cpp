#include "answers/text_match.h"

#include <algorithm>

namespace {

// Length of a text, counting no further than a field can hold.
size_t boundedLength(const char* text) {
    size_t length = 0;
    while (length < textMaxLength && text[length] != '\0')
        ++length;
    return length;
}

// Cuts an over-long text where its field would have ended. Writing at
// textMaxLength is safe only because the text is known to reach past it.
size_t clampInPlace(char* text) {
    size_t length = boundedLength(text);
    if (length == textMaxLength && text[length] != '\0')
        text[length] = '\0';
    return length;
}

// One table for every call: both lengths are at most textMaxLength, and the
// judge runs on one thread, so no call needs memory of its own.
int distanceTable[textFieldSize][textFieldSize];

} // namespace

void trimSpaces(char* text) {
    size_t length = clampInPlace(text);
    // Trailing spaces first; position 0 is left to the leading pass, which
    // also empties a text made only of spaces.
    size_t end = length;
    while (end > 1 && text[end - 1] == ' ')
        text[--end] = '\0';
    size_t lead = 0;
    while (text[lead] == ' ')
        ++lead;
    if (lead == 0)
        return;
    size_t i = 0;
    do {
        text[i] = text[i + lead];
    } while (text[i++] != '\0');
}

void upperCaseAnsi(char* text) {
    size_t length = clampInPlace(text);
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        // Windows-1252 puts the accented small letters 0x20 above their
        // capitals from E0 on; F7 and FF follow the same rule blindly.
        if ((c >= 0x61 && c <= 0x7A) || c >= 0xE0)
            text[i] = static_cast<char>(c - 0x20);
    }
}

int editDistance(const char* a, const char* b) {
    size_t m = boundedLength(a);
    size_t n = boundedLength(b);
    for (size_t i = 0; i <= m; ++i)
        distanceTable[i][0] = static_cast<int>(i);
    for (size_t j = 0; j <= n; ++j)
        distanceTable[0][j] = static_cast<int>(j);
    for (size_t i = 1; i <= m; ++i) {
        const int* above = distanceTable[i - 1];
        int* row = distanceTable[i];
        const char letter = a[i - 1];
        int left = row[0];
        for (size_t j = 1; j <= n; ++j) {
            int cost = letter == b[j - 1] ? 0 : 1;
            int best = std::min(above[j], left) + 1;
            left = std::min(best, above[j - 1] + cost);
            row[j] = left;
        }
    }
    return distanceTable[m][n];
}

bool isAnagram(const char* a, const char* b) {
    // Comparing the sorted texts is the same as comparing byte counts, which
    // needs neither copies nor a sort.
    size_t m = boundedLength(a);
    size_t n = boundedLength(b);
    if (m != n)
        return false;
    int counts[256] = {};
    for (size_t i = 0; i < m; ++i) {
        ++counts[static_cast<unsigned char>(a[i])];
        --counts[static_cast<unsigned char>(b[i])];
    }
    for (int count : counts) {
        if (count != 0)
            return false;
    }
    return true;
}

int containmentTest(const char* first, const char* second) {
    size_t firstLength = boundedLength(first);
    size_t secondLength = boundedLength(second);
    const char* pattern = first;
    size_t patternLength = firstLength;
    const char* text = second;
    size_t textLength = secondLength;
    int sign = 1;
    if (secondLength < firstLength) {
        pattern = second;
        patternLength = secondLength;
        text = first;
        textLength = firstLength;
        sign = -1;
    }
    if (patternLength == 0)
        return sign;
    size_t p = 0;
    for (;;) {
        size_t q = p;
        while (q < textLength && text[q] != pattern[0])
            ++q;
        if (q == textLength)
            return containsNeither;
        size_t k = 0;
        while (k < patternLength && q + k < textLength && text[q + k] == pattern[k])
            ++k;
        if (k == patternLength)
            return 2 * sign;
        // Resume at the first disagreeing position: starts inside the
        // partial match are never tried, which the grading relies on.
        p = q + k;
    }
}

int countWords(const char* text) {
    size_t length = boundedLength(text);
    int words = 1;
    for (size_t i = 0; i < length; ++i) {
        char c = text[i];
        if (c == '!')
            ++i; // the escaped character is neither counted nor examined
        else if (c == ' ' || c == '\'' || c == '-')
            ++words;
    }
    return words;
}
