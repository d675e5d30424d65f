#include "answers/feedback.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(FeedbackText, TextsAreTheLabelsBytes) {
    // Labels are read back and compared byte for byte, so the texts are
    // pinned here as the bytes the player writes.
    const struct {
        const char* text;
        const char* bytes;
    } cases[] = {
        {feedback::unanswered, "?"},
        {feedback::bravo, "BRAVO"},
        {feedback::faux, "FAUX"},
        {feedback::anagramme, "Anagramme"},
        {feedback::quasiment, "Quasiment"},
        {feedback::presque, "Presque"},
        {feedback::tropCourt, "Trop court"},
        {feedback::tropLong, "Trop long"},
        {feedback::pasLoin, "Pas loin"},
        {feedback::yaDeLIdee, "y a de l'id\xE9"
                              "e"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.text, c.bytes);
    EXPECT_EQ(std::strlen(feedback::yaDeLIdee), 13u);
}

struct GradeCase {
    const char* expected;
    const char* typed;
    const char* feedback;
};

void expectGrades(const GradeCase* begin, const GradeCase* end) {
    for (const GradeCase* c = begin; c != end; ++c) {
        // The grade is always one of the texts themselves, not a copy.
        EXPECT_EQ(gradeAnswer(c->expected, c->typed), c->feedback)
            << '"' << c->expected << "\" / \"" << c->typed << "\": got \""
            << gradeAnswer(c->expected, c->typed) << "\", want \"" << c->feedback << '"';
    }
}

TEST(GradeAnswer, RuleOrder) {
    const GradeCase cases[] = {
        {"Paris", " paris ", feedback::bravo}, // blanks trimmed, case folded
        {"Paris", "Pari", feedback::quasiment},
        {"Chien", "chine", feedback::anagramme}, // anagram before the distance of 2
        {"Marseille", "Marsielle", feedback::anagramme},
        {"Marseille", "Marseile", feedback::quasiment},
        {"Jules Verne", "jules vernes", feedback::quasiment}, // distance before containment
        {"Boulanger", "boulang", feedback::presque},
        {"Boulanger", "boula", feedback::faux}, // a part, but the answer is only 9 long
        {"La mer", "LAMER", feedback::quasiment},
        {"La mer", "mer la", feedback::anagramme}, // the space is one of the characters
        {"Anticonstitutionnellement", "anticonstitusionelement", feedback::yaDeLIdee},
        {"Constantinople", "Konstantinopel", feedback::faux},
    };
    expectGrades(std::begin(cases), std::end(cases));
}

TEST(GradeAnswer, BlanksAndEmptyTexts) {
    const GradeCase cases[] = {
        {"Paris", "", feedback::unanswered},
        {"Paris", "     ", feedback::unanswered},
        {"Paris", "\tParis", feedback::quasiment},   // only spaces are trimmed
        {"Paris", "Paris\xA0", feedback::quasiment}, // a non-breaking space stays
        {"La mer", "la  mer", feedback::quasiment},  // inner spaces stay
        {"Paris ", "paris", feedback::quasiment},    // the expected answer keeps its blank
        {"Paris ", "paris ", feedback::quasiment},   // the typed blank is trimmed away
        {" Paris", "paris", feedback::quasiment},
        {"", "", feedback::unanswered},
        {"", "x", feedback::faux},
    };
    expectGrades(std::begin(cases), std::end(cases));
}

TEST(GradeAnswer, ShortAnswersNeedAnExactMatch) {
    const GradeCase cases[] = {
        {"Oui", "ouii", feedback::faux},
        {"Oui", "OUI", feedback::bravo},
        {"Oui", "  oui ", feedback::bravo},
        {"Oui", "", feedback::unanswered},
        {"Oui", "   ", feedback::unanswered},
        {"Oui", "iou", feedback::faux}, // no anagram for short answers
        {"Oui", "ou", feedback::faux},
        {"Oui", "Ou\xEF", feedback::faux}, // ï is not i
        {"Io", "oi", feedback::faux},
        {"X", "x", feedback::bravo},
        {"Oui ", "oui", feedback::quasiment}, // four characters: the blank counts
        {"Rome", "rom", feedback::quasiment}, // four characters: the full rules apply
        {"Rome", "orme", feedback::anagramme},
    };
    expectGrades(std::begin(cases), std::end(cases));
}

TEST(GradeAnswer, AccentsAndLigatures) {
    const GradeCase cases[] = {
        {"\xC9l\xE8ve", "eleve", feedback::presque},     // Élève: accents are other letters
        {"\xC9l\xE8ve", "\xE9L\xC8VE", feedback::bravo}, // but their case folds
        {"No\xEBl", "NO\xCBL", feedback::bravo},
        {"No\xEBl", "noel", feedback::quasiment},
        {"C\x9Cur", "c\x9Cur", feedback::bravo},     // œ matches itself
        {"c\x9Cur", "C\x8CUR", feedback::quasiment}, // œ is not folded to Œ
        {"B\x9C"
         "uf",
         "boeuf", feedback::presque},
        {"Fran\xE7ois", "FRAN\xC7OIS", feedback::bravo},
        {"Fran\xE7ois", "francois", feedback::quasiment},
    };
    expectGrades(std::begin(cases), std::end(cases));
}

TEST(GradeAnswer, PartsOfTheExpectedAnswer) {
    const GradeCase cases[] = {
        {"La tour Eiffel", "tour Eiffel", feedback::tropCourt}, // 11 of 14
        {"La tour Eiffel", "la tour E", feedback::pasLoin},     // 9 of 14
        {"La tour Eiffel", "la tour", feedback::faux},          // exactly half
        {"La tour Eiffel", "Eiffel", feedback::faux},
        // Exactly 70 per cent is the farther band.
        {"abcdefghij", "abcdefg", feedback::pasLoin},
        {"abcdefghijklmnopqrst", "abcdefghijklmn", feedback::pasLoin},
        {"abcdefghijklmnopqrst", "abcdefghijklmno", feedback::tropCourt},
        {"abcdefghijklmnopqrstuvwxyz0123", "abcdefghijklmnopqrstu", feedback::pasLoin},
        {"abcdefghijklmnopqrstuvwxyz0123", "abcdefghijklmnopqrstuv", feedback::tropCourt},
        // Exactly 50 per cent is wrong.
        {"abcdefghijklmnopqrst", "abcdefghij", feedback::faux},
        {"abcdefghijklmnopqrst", "abcdefghijk", feedback::pasLoin},
        {"abcdefghijklmnopqrst", "klmnopqrst", feedback::faux},
        {"abcdefghijklmnopqrst", "jklmnopqrst", feedback::pasLoin},
        // Nine characters are too few for partial credit, ten are enough.
        {"abcdefghi", "abcdef", feedback::faux},
        {"abcdefghij", "abcdef", feedback::pasLoin},
    };
    expectGrades(std::begin(cases), std::end(cases));
}

TEST(GradeAnswer, ExpectedAnswerWithExtraCharacters) {
    const GradeCase cases[] = {
        {"Napol\xE9on", "Napol\xE9on Bonaparte", feedback::tropLong},          // 10 extra
        {"Napol\xE9on", "Napol\xE9on premier empereur", feedback::pasLoin},    // 17 extra
        {"Napol\xE9on", "Napol\xE9on Ier", feedback::tropLong},                // 4 extra
        {"Napol\xE9on", "Napol\xE9on  Bonaparte", feedback::pasLoin},          // 11 extra
        {"Napol\xE9on", "Napol\xE9on, le premier empires", feedback::pasLoin}, // 20 extra
        {"Napol\xE9on", "Napol\xE9on, le premier empereur", feedback::faux},   // 21 extra
        {"Napol\xE9on", "L'empereur Napol\xE9on", feedback::pasLoin},          // before it, too
        {"Victor Hugo", "vvvictor hugooo", feedback::tropLong},
    };
    expectGrades(std::begin(cases), std::end(cases));
}

TEST(GradeAnswer, SimilarityAboveEightyPerCent) {
    const GradeCase cases[] = {
        // Three substitutions: 15 characters are exactly 80 per cent similar.
        {"abcdefghijklmno", "xbcdefgxijklmnx", feedback::faux},
        {"abcdefghijklmnop", "xbcdefgxijklmnox", feedback::yaDeLIdee},
        // Four edits: 20 is the limit, 21 is over it.
        {"abcdefghijklmnopqrst", "xbcdexghijklmxopqrsx", feedback::faux},
        {"abcdefghijklmnopqrstu", "xbcdexghijklmxopqrstx", feedback::yaDeLIdee},
        // The longer text sets the length, whichever it is.
        {"abcdefghijklmno", "xbcdefgxijklmnoq", feedback::yaDeLIdee},
        {"xbcdefgxijklmnoq", "abcdefghijklmno", feedback::yaDeLIdee},
    };
    expectGrades(std::begin(cases), std::end(cases));
}

TEST(GradeAnswer, ContainmentMissedByTheSearchIsGradedBySimilarity) {
    const GradeCase cases[] = {
        // The typed text starts one character into the expected answer, but
        // the search gives up on the partial match at position 0.
        {"AAAABCDEFGHIJ", "AAABCDEFG", feedback::faux}, // found, it would be "Pas loin"
        {"AAAABCDEFGHIJKLMNOPQ", "AAABCDEFGHIJKLMNO", feedback::yaDeLIdee}, // found, "Trop court"
        {"XABCDEFGHIJKLMNOPQRS", "ABCDEFGHIJKLMNOPQ", feedback::tropCourt}, // no repeat to miss it
        {"AAB", "AAAB", feedback::faux},
    };
    expectGrades(std::begin(cases), std::end(cases));
}

TEST(GradeAnswer, OverLongTextsAreCutLikeTheirFields) {
    const std::string expected300(300, 'A');
    const std::string typed259(259, 'a');
    EXPECT_EQ(gradeAnswer(expected300.c_str(), typed259.c_str()), feedback::bravo);
    EXPECT_EQ(gradeAnswer(typed259.c_str(), expected300.c_str()), feedback::bravo);
    // The typed text is cut before it is trimmed, as the field read is.
    const std::string padded = std::string(259, ' ') + "ab";
    EXPECT_EQ(gradeAnswer("Abc", padded.c_str()), feedback::unanswered);
}

} // namespace
