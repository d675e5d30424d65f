#include "answers/text_match.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct InPlaceCase {
    const char* input;
    const char* expected;
};

// Runs an in-place primitive on a field-sized copy, as the judge does.
template <typename Operation> std::string applyInField(Operation operation, const char* text) {
    char field[textFieldSize] = {};
    std::strncpy(field, text, textMaxLength);
    operation(field);
    return field;
}

TEST(TrimSpaces, RemovesOnlyOuterSpaces) {
    const InPlaceCase cases[] = {
        {"", ""},
        {" ", ""},
        {"   ", ""},
        {"  la mer  ", "la mer"},
        {"la  mer", "la  mer"}, // inner runs stay
        {"x", "x"},
        {" x", "x"},
        {"x ", "x"},
        {"\tParis ", "\tParis"},              // a tab is not a blank
        {"Paris\xA0", "Paris\xA0"},           // nor is the non-breaking space
        {" \xA0 mer \xA0 ", "\xA0 mer \xA0"}, // only 0x20 is stripped
    };
    for (const auto& c : cases)
        EXPECT_EQ(applyInField(trimSpaces, c.input), c.expected) << '"' << c.input << '"';
}

TEST(UpperCaseAnsi, FoldsAsciiAndTheHighBlockOnly) {
    const InPlaceCase cases[] = {
        {"", ""},
        {"paris 75!", "PARIS 75!"},
        {"\xE9l\xE8ve", "\xC9L\xC8VE"}, // élève -> ÉLÈVE, accents kept
        {"c\x9Cur", "C\x9CUR"},         // œ stays: cœur -> CœUR
        {"\x9A\x9E", "\x9A\x9E"},       // š and ž stay too
        {"\xE0\xF6\xF8\xFE", "\xC0\xD6\xD8\xDE"},
        {"\xF7\xFF", "\xD7\xDF"},         // ÷ -> ×, ÿ -> ß: the rule is blind
        {"`{@[\xDF\xC9", "`{@[\xDF\xC9"}, // neighbours of the ranges and capitals stay
    };
    for (const auto& c : cases)
        EXPECT_EQ(applyInField(upperCaseAnsi, c.input), c.expected) << c.input;
    EXPECT_NE(applyInField(upperCaseAnsi, "\xE9l\xE8ve"), "ELEVE");
}

TEST(TextMatch, OverLongTextsAreCutWhereTheFieldEnds) {
    // A caller's buffer larger than a field: the in-place primitives cut the
    // text to a field's length instead of running past it.
    const std::string longText = "  " + std::string(300, 'a') + "  ";
    for (void (*operation)(char*) : {trimSpaces, upperCaseAnsi}) {
        std::string buffer = longText;
        operation(buffer.data());
        EXPECT_EQ(std::strlen(buffer.c_str()),
                  operation == trimSpaces ? textMaxLength - 2 : textMaxLength);
    }
    const std::string a(400, 'A');
    const std::string b(300, 'B');
    EXPECT_EQ(editDistance(a.c_str(), b.c_str()), static_cast<int>(textMaxLength));
    EXPECT_EQ(editDistance(a.c_str(), std::string(259, 'A').c_str()), 0);
    EXPECT_TRUE(isAnagram(a.c_str(), std::string(300, 'A').c_str()));
    EXPECT_EQ(containmentTest(a.c_str(), (std::string(258, 'A') + "B").c_str()), 0);
    EXPECT_EQ(countWords(std::string(400, ' ').c_str()), 1 + static_cast<int>(textMaxLength));
}

struct PairCase {
    const char* a;
    const char* b;
    int expected;
};

TEST(EditDistance, CountsInsertionsDeletionsAndSubstitutions) {
    const PairCase cases[] = {
        {"CHIEN", "CHINE", 2},
        {"", "ABC", 3},
        {"ABC", "", 3},
        {"", "", 0},
        {"ABC", "ABC", 0},
        {"PARIS", "PARI", 1},
        {"MARSEILLE", "MARSIELLE", 2},
        {"MARSEILLE", "MARSEILE", 1},
        {"\xC9L\xC8VE", "ELEVE", 2}, // accented capitals are other letters
        {"abc", "ABC", 3},           // no case folding here
        {"KITTEN", "SITTING", 3},
        {"ANTICONSTITUTIONNELLEMENT", "ANTICONSTITUSIONELEMENT", 3},
        {"CONSTANTINOPLE", "KONSTANTINOPEL", 3},
        {"\xFF\x80", "\x80\xFF", 2}, // high bytes compare as bytes
    };
    for (const auto& c : cases) {
        EXPECT_EQ(editDistance(c.a, c.b), c.expected) << c.a << " / " << c.b;
        EXPECT_EQ(editDistance(c.b, c.a), c.expected) << c.b << " / " << c.a;
    }
}

TEST(IsAnagram, ComparesByteCounts) {
    const PairCase cases[] = {
        {"CHIEN", "CHINE", 1},   {"LA MER", "LAMER", 0}, // the space counts
        {"ABC", "ABC", 1},       {"", "", 1},
        {"AAB", "ABB", 0}, // same letters, other counts
        {"L'AMI", "IMAL'", 1},   {"\xE9T\xE9", "T\xE9\xE9", 1},
        {"\xE9T\xE9", "ETE", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isAnagram(c.a, c.b), c.expected != 0) << c.a << " / " << c.b;
}

TEST(ContainmentTest, SearchesTheShorterTextWithoutBackingUp) {
    const PairCase cases[] =
        {
            {"MER", "LA MER", 2},      {"LA MER", "MER", -2},
            {"AAB", "AAAB", 0}, // missed: the search does not back up
            {"AAAB", "AAB", 0}, // missed the other way round too
            {"AB", "AAB", 2},          {"ABC", "XYZ", 0},
            {"ABC", "ABC", 2},                         // equal lengths: the first is the pattern
            {"ABC", "ABD", 0},         {"", "ABC", 1}, // an empty pattern gives the sign
            {"ABC", "", -1},           {"", "", 1},
            {"ABCD", "ABC", -2},       {"ABC", "XXABC", 2},
            {"ABC", "XXAB", 0},        // the text ends inside a partial match
            {"ABAC", "ABABAC", 0},     // the match starts inside an abandoned one
            {"ABC", "ABABC", 2},       // found from the first disagreeing position
            {"AAAAB", "AAAAAAAAB", 2}, // likewise, by the length of the pattern
        };
    for (const auto& c : cases)
        EXPECT_EQ(containmentTest(c.a, c.b), c.expected) << c.a << " / " << c.b;
}

TEST(CountWords, CountsSeparatorsAndSkipsEscapedCharacters) {
    const struct {
        const char* text;
        int expected;
    } cases[] = {
        {"", 1},      {"pomme de terre", 3}, {"aujourd'hui", 2}, {"arc-en-ciel", 3},
        {"a!-b", 1},  {"fin!", 1},           {"a  b", 3}, // every separator counts, runs included
        {" - ", 4},   {"!!a b", 2},                       // the first ! escapes the second
        {"a!!-b", 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(countWords(c.text), c.expected) << c.text;
}

} // namespace
