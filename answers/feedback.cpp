#include "answers/feedback.h"

#include "answers/text_match.h"

#include <cstring>

namespace {

// Copies a text into a field-sized buffer, cut where the field would end.
void copyToField(const char* text, char (&field)[textFieldSize]) {
    size_t length = 0;
    while (length < textMaxLength && text[length] != '\0') {
        field[length] = text[length];
        ++length;
    }
    field[length] = '\0';
}

// Answers this short are accepted only when typed exactly: one edit away
// from a three-letter word is another word, not a near miss.
constexpr size_t shortAnswerLength = 3;
// A part of the expected answer earns a partial grade only when the
// expected answer is longer than this.
constexpr size_t partialAnswerMinLength = 9;
// Extra characters around the expected answer: up to the first bound
// "Trop long", up to the second "Pas loin".
constexpr size_t extraNear = 10;
constexpr size_t extraFar = 20;

// The typed text is a part of the expected one. Shares above 70 per cent
// are near, above 50 per cent far, both strict on integers so that no
// rounding decides a grade.
const char* gradePart(size_t expectedLength, size_t typedLength) {
    if (expectedLength <= partialAnswerMinLength)
        return feedback::faux;
    if (10 * typedLength > 7 * expectedLength)
        return feedback::tropCourt;
    if (2 * typedLength > expectedLength)
        return feedback::pasLoin;
    return feedback::faux;
}

// The typed text holds the whole expected answer and more.
const char* gradeSurplus(size_t expectedLength, size_t typedLength) {
    size_t extra = typedLength - expectedLength;
    if (extra > extraFar)
        return feedback::faux;
    if (extra > extraNear)
        return feedback::pasLoin;
    return feedback::tropLong;
}

// Neither text holds the other: similar when the distance is under a fifth
// of the longer length (similarity above 80 per cent, exactly).
const char* gradeSimilar(size_t expectedLength, size_t typedLength, int distance) {
    size_t longer = expectedLength > typedLength ? expectedLength : typedLength;
    if (longer > 5 * static_cast<size_t>(distance))
        return feedback::yaDeLIdee;
    return feedback::faux;
}

} // namespace

const char* gradeAnswer(const char* expected, const char* typed) {
    char typedField[textFieldSize];
    char expectedField[textFieldSize];
    copyToField(typed, typedField);
    trimSpaces(typedField);
    upperCaseAnsi(typedField);
    // The expected answer is not trimmed: a stored blank is part of it.
    copyToField(expected, expectedField);
    upperCaseAnsi(expectedField);
    size_t typedLength = std::strlen(typedField);
    size_t expectedLength = std::strlen(expectedField);

    if (expectedLength <= shortAnswerLength) {
        if (typedLength == 0)
            return feedback::unanswered;
        // Equality is a byte comparison, like the distance test that decides
        // longer answers. A locale-aware comparison could call texts equal
        // that differ by an ignorable character (a soft hyphen, say), and a
        // short answer is meant to be typed exactly.
        if (std::strcmp(typedField, expectedField) == 0)
            return feedback::bravo;
        return feedback::faux;
    }
    if (typedLength == 0)
        return feedback::unanswered;
    // The distance is never below the difference of the lengths. When that
    // difference alone is above 2 and at least a fifth of the longer length,
    // every rule that reads the distance (0, 1, 2, or under a fifth) says no
    // for any value from the difference up, so the table is not filled.
    const size_t gap = expectedLength > typedLength ? expectedLength - typedLength
                                                    : typedLength - expectedLength;
    const size_t longer = expectedLength > typedLength ? expectedLength : typedLength;
    const bool distanceDecides = gap <= 2 || 5 * gap < longer;
    int distance = distanceDecides ? editDistance(expectedField, typedField)
                                   : static_cast<int>(gap);
    if (distance == 0)
        return feedback::bravo;
    // The anagram test comes before the distance bands: two swapped letters
    // are two edits but read better as "the same letters".
    if (isAnagram(expectedField, typedField))
        return feedback::anagramme;
    if (distance == 1)
        return feedback::quasiment;
    if (distance == 2)
        return feedback::presque;
    int containment = containmentTest(expectedField, typedField);
    if (containment == containsSecondInFirst)
        return gradePart(expectedLength, typedLength);
    if (containment == containsFirstInSecond)
        return gradeSurplus(expectedLength, typedLength);
    return gradeSimilar(expectedLength, typedLength, distance);
}
