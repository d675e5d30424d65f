// The quiz a program carries: three content packages (the link block, the
// quiz record and the code list), each an LZW stream stored plain or
// scrambled, decoded once at start-up into the quiz state.
#pragma once

#include "content/link_block.h"
#include "content/quiz_state.h"

#include <cstddef>
#include <cstdint>

// Resources of the program holding the quiz record and the code list.
constexpr const char* packageResourceType = "PATCH";
constexpr int quizRecordId = 104;
constexpr int codeListId = 105;

// Texts inside the decoded packages end with this byte; they cannot hold it.
constexpr char textSeparator = '|';

// Scrambled packages have every byte from the second on XORed with this
// text, repeated. It is also the message shown when a program has no quiz.
constexpr char ScrambleKey[] = "Donn\xE9"
                               "es indisponibles";
constexpr int scrambleKeyLength = sizeof ScrambleKey - 1;
static_assert(scrambleKeyLength == 21);

// XORs bytes 1 to size - 1 with the key, starting at keyPosition (0 to 20),
// and returns the key position after the last byte. Byte 0 is never
// touched. Scrambling and descrambling are the same operation.
int scrambleBytes(uint8_t* bytes, size_t size, int keyPosition);

// Where the quiz record's key starts: 0 after a plain link block, and
// where the link block's 69 scrambled bytes left the key otherwise.
constexpr int quizRecordKeyAfterScrambledLink = (linkBlockSize - 1) % scrambleKeyLength;

// Decodes the link block, the quiz record and the code list into state,
// or installs the sample quiz when the program has no quiz record. Failures
// are told to the user in a message box and leave the state as far as it
// was filled. A package whose content does not fit the state (a record
// that ends early, a text longer than its field, more than 96 questions)
// is refused as a whole, with its package's failure message.
void loadContent(QuizState& state);
