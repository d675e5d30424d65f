// The application record: everything the quiz holds, the fonts and brushes
// the panes share, the panes themselves and their layout state, and the
// question list. One instance lives from start-up to shutdown.
#pragma once

#include "platform/ui.h"

#include <cstdint>

// Sizes of the record's text fields, terminating zero included.
constexpr int textCapacity = 260;      // titles, answers, questions, comments, codes
constexpr int linkTextCapacity = 25;   // the header's link
constexpr int footerTextCapacity = 43; // the main window's footer
constexpr int mediaFolderCapacity = 512;

// The code list, the hide states, the picture rows and the clip table are
// all sized for this many questions.
constexpr int maxQuestions = 96;
constexpr int maxPictureRows = 32;

struct QuestionEntry {
    char answer1[textCapacity] = {};
    char answer2[textCapacity] = {}; // "-" marks a question without a second answer
    char questionText[textCapacity] = {};
    char comment[textCapacity] = {};
    int32_t solved = 0;
    QuestionEntry* previous = nullptr;
    QuestionEntry* next = nullptr;
};

struct QuizState {
    // The defaults a quiz starts from; the content loader overwrites them.
    QuizState();
    // Releases the fonts and brushes, then every question entry.
    ~QuizState();
    // The record owns handles and entries: it is never copied.
    QuizState(const QuizState&) = delete;
    QuizState& operator=(const QuizState&) = delete;

    int32_t contentWidth = 0;
    int32_t contentHeight = 0;
    int32_t quizMode = 0; // 0 list of texts, 1 pictures, 2 audio clips, 3 video clips
    char title[textCapacity] = {};
    char author[textCapacity] = {};
    char explanation[textCapacity] = {};
    char columnLabel1[textCapacity] = {};
    char columnLabel2[textCapacity] = {};
    int32_t questionCount = 0;
    int32_t answersPerQuestion = 0;
    char codes[maxQuestions][textCapacity] = {}; // entry n - 1: the code for score n
    int32_t revealMode = 0;                      // 0 to 5
    ui::FontHandle answerFont = nullptr;         // made by the question pane
    ui::FontHandle scoreFont = nullptr;
    ui::FontHandle titleFont = nullptr;
    int32_t commentsRevealed = 0;
    ui::WindowHandle questionPane = nullptr; // not owned
    int32_t rowHeights[maxPictureRows] = {};
    int32_t hideState[maxQuestions + 1] = {}; // indexed by question number 1 to 96
    uint8_t backgroundRed = 0;
    uint8_t backgroundBlue = 0;
    uint8_t backgroundGreen = 0;
    ui::BrushHandle backgroundBrush = nullptr;
    ui::BrushHandle redBrush = nullptr;
    ui::BrushHandle orangeBrush = nullptr;
    ui::BrushHandle goldBrush = nullptr;
    ui::BrushHandle lightYellowBrush = nullptr;
    ui::WindowHandle headerPane = nullptr; // not owned
    char mediaFolder[mediaFolderCapacity] = {};
    char linkText[linkTextCapacity] = {};
    char footerText[footerTextCapacity] = {};
    QuestionEntry* firstQuestion = nullptr;
    QuestionEntry* lastQuestion = nullptr;
};

// Links a new entry with copies of the three texts (each cut to its field)
// after the last one. An entry that cannot be allocated is left out without
// a report: later entries then take its position.
void appendQuestion(QuizState& state, const char* answer1, const char* answer2,
                    const char* questionText);

// The entry at a 0-based position; a position at or past the end gives the
// last entry, and an empty list gives null.
QuestionEntry* questionAt(const QuizState& state, int position);

// Copies text into a field of capacity bytes, cut to capacity - 1
// characters and always terminated.
void copyText(const char* text, char* field, int capacity);
