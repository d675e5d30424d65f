// Byte-string primitives behind the grading of typed answers and the word
// count hint. Texts are 8-bit Windows-1252, NUL-terminated, and live in
// 260-byte fields, so a text holds at most textMaxLength characters.
//
// Longer texts are clamped, never overrun: the two in-place normalisations
// cut the text to textMaxLength characters (a NUL at that position, which
// exists since the text is longer), and the read-only primitives look at its
// first textMaxLength characters only.
#pragma once

#include <cstddef>

constexpr size_t textFieldSize = 260;
constexpr size_t textMaxLength = textFieldSize - 1;

// Removes leading and trailing spaces (byte 0x20 only; tabs and the
// non-breaking space 0xA0 stay). Spaces inside the text stay as they are.
void trimSpaces(char* text);

// Upper-cases a-z and the bytes E0-FF by lowering them by 0x20; accents stay
// (e-acute becomes E-acute, never E). The ligature and caron letters below
// 0xE0 are left alone.
void upperCaseAnsi(char* text);

// Levenshtein distance with unit costs, comparing bytes exactly.
int editDistance(const char* a, const char* b);

// True when both texts hold the same bytes the same number of times, in any
// order; every byte counts, blanks and punctuation included.
bool isAnagram(const char* a, const char* b);

// Containment results: the first text lies inside the second (which is at
// least as long), or the second inside the first (strictly shorter).
constexpr int containsFirstInSecond = 2;
constexpr int containsSecondInFirst = -2;
constexpr int containsNeither = 0;

// Searches the shorter text in the longer one (the first text when both are
// as long). The search never backs up after a partial match, so a pattern
// whose start repeats inside itself can be missed ("AAB" in "AAAB"). An
// empty pattern gives +1, or -1 when the empty one is the second text.
int containmentTest(const char* first, const char* second);

// Words of an answer for the hint: 1 plus one per space, apostrophe and
// hyphen; the character after an exclamation mark is skipped.
int countWords(const char* text);
