// Writing the three content packages of a quiz, for the authoring tool: the
// decoded records, their code streams, and the checks that keep everything
// the loader would refuse, cut or misread out of a package.
#pragma once

#include "content/link_block.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One question; texts are Windows-1252 bytes.
struct SourceQuestion {
    std::string answer1;
    std::string answer2; // two answers per question only; "-" for none
    std::string questionText;
    std::string comment; // reveal modes 2, 3 and 4 only
};

// A whole quiz as the author gives it.
struct QuizSource {
    std::string linkText;
    std::string footerText;
    int quizMode = 0;           // 0 list, 1 pictures, 2 audio clips, 3 video clips
    int answersPerQuestion = 1; // 1 or 2
    int revealMode = 0;         // 0 to 5
    std::string title;
    std::string author;
    std::string explanation;
    std::string columnLabel1;
    std::string columnLabel2;
    std::vector<SourceQuestion> questions;
    std::vector<std::string> codes; // code for score 1, 2, ...; at most one per question
    uint8_t backgroundRed = 90;
    uint8_t backgroundGreen = 95;
    uint8_t backgroundBlue = 150;
};

// A finding about one field of the source: field names the place as the
// author wrote it ("title", "question[3].answer1", "codes[2]"; questions and
// codes count from 1).
struct SourceFinding {
    std::string field;
    std::string reason;
};

// Everything that cannot be stored faithfully goes to errors; answers the
// player can never judge a success, or that are easy to miss, go to warnings.
void checkQuizSource(const QuizSource& source, std::vector<SourceFinding>& errors,
                     std::vector<SourceFinding>& warnings);

// The decoded records, as the loader reads them back. The source must have
// passed checkQuizSource without errors.
std::vector<uint8_t> linkRecord(const QuizSource& source);
std::vector<uint8_t> quizRecord(const QuizSource& source);
std::vector<uint8_t> codeListRecord(const QuizSource& source);

struct QuizPackages {
    uint8_t linkBlock[linkBlockSize] = {};
    std::vector<uint8_t> quizRecord;
    std::vector<uint8_t> codeList;
};

enum PackResult : int {
    packOk = 0,
    packInvalidSource = -1,    // checkQuizSource finds errors
    packLinkBlockTooLong = -2, // link and footer do not fit the 70 bytes once encoded
    packRecordTooLong = -3,    // a package's stream exceeds what the player decodes
    packEncodingFailed = -4,   // no stream that the player reads back as it was written
};

// Encodes the three records, scrambled or plain. Scrambled packages are
// written so that the loader's first, plain decoding fails on each of them;
// every package is checked to decode back to its record.
int packQuiz(const QuizSource& source, bool scrambled, QuizPackages& packages);

enum LinkBlockSearch : int {
    linkBlockFound = 0,
    linkBlockMissing = -1,        // no marker: not a player
    linkBlockAmbiguous = -2,      // the marker twice: the block cannot be told apart
    linkBlockCut = -3,            // the marker too close to the end for a whole block
    linkBlockWindowsProgram = -4, // a Windows executable, whose quiz is in its resources
};

// Finds the link block of a player file (size bytes from its start, its
// resource archive left out) by the marker before it: offset is then where
// the 70 bytes begin.
int findLinkBlock(const uint8_t* file, size_t size, size_t& offset);

// What a search result means, for messages.
const char* linkBlockSearchText(int result);
