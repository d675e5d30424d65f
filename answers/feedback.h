// The feedback texts of the result labels and the grading of one typed
// answer against its expected answer.
#pragma once

// The texts a result label can hold, in Windows-1252. The label text is the
// only record of a judgement: score, reveal and label colours compare it
// with these, so they must stay byte for byte as they are. Arrays, so that
// each text has one address in the whole program.
namespace feedback {
inline constexpr char unanswered[] = "?"; // nothing typed; also the label's first text
inline constexpr char bravo[] = "BRAVO";
inline constexpr char faux[] = "FAUX";
inline constexpr char anagramme[] = "Anagramme";
inline constexpr char quasiment[] = "Quasiment"; // one edit away
inline constexpr char presque[] = "Presque";     // two edits away
inline constexpr char tropCourt[] = "Trop court";
inline constexpr char tropLong[] = "Trop long";
inline constexpr char pasLoin[] = "Pas loin";
inline constexpr char yaDeLIdee[] = "y a de l'id\xE9"
                                    "e";
} // namespace feedback

// Grades a typed text against an expected answer, both as stored (typed as
// read from the field, expected as in the quiz). The typed text is trimmed
// and upper-cased, the expected one upper-cased only; texts longer than 259
// characters are cut there, as their fields would. Returns one of the
// feedback texts above (the pointer itself, so callers may compare either
// the pointer or the bytes).
const char* gradeAnswer(const char* expected, const char* typed);
