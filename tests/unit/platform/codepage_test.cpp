#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace {

struct CodepageCase {
    const char* utf8;
    const char* ansi;
};

TEST(Codepage, RoundTripsEveryMappedCharacter) {
    const CodepageCase cases[] = {
        {"", ""},
        {"abc", "abc"},
        {"Donn\xC3\xA9" "es indisponibles", "Donn\xE9" "es indisponibles"},
        {"c\xC5\x93ur", "c\x9Cur"},           // œ
        {"\xE2\x82\xAC", "\x80"},             // €
        {"\xC3\xBF", "\xFF"},                 // ÿ
        {"y a de l'id\xC3\xA9" "e", "y a de l'id\xE9" "e"},
    };
    for (const auto& c : cases) {
        std::string ansi;
        ASSERT_TRUE(codepage::fromUtf8(c.utf8, ansi)) << c.utf8;
        EXPECT_EQ(ansi, c.ansi);
        EXPECT_EQ(codepage::toUtf8(ansi), c.utf8);
    }
}

TEST(Codepage, AllBytesSurviveTheRoundTrip) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    std::string back;
    ASSERT_TRUE(codepage::fromUtf8(codepage::toUtf8(all), back));
    EXPECT_EQ(back, all);
}

TEST(Codepage, RefusesTextsWithoutAWindows1252Form) {
    const char* refused[] = {
        "\xE2\x98\x83",     // a snowman
        "\xF0\x9F\x98\x80", // an emoji, four bytes
        "\xC3",             // cut short
        "\xC0\xAF",         // overlong
        "\xED\xA0\x80",     // a surrogate
        "\xFF",             // not UTF-8
    };
    for (const char* text : refused) {
        std::string ansi;
        EXPECT_FALSE(codepage::fromUtf8(text, ansi)) << text;
    }
}

} // namespace
