// The progress file: the typed answers, one line per answer edit, kept in
// the current directory under the program's own name with the extension
// "txt", so that a quiz can be left and resumed.
#pragma once

#include "content/quiz_state.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// Answer edits accept this many characters; longer lines are cut.
constexpr int progressLineLength = 55;
// Each line saved holds at most this many characters of its edit.
constexpr int savedLineLength = textCapacity - 1;
// Identifier of the first answer edit; line i holds edit firstAnswerEditId + i - 1.
constexpr int firstAnswerEditId = 4001;

// The file name for a program file name: its directory dropped, and the last
// three characters replaced by "txt" when the name ends in a dot and three
// characters (Test.exe gives Test.txt), ".txt" appended otherwise (names
// without an extension). False when there is no name or it does not fit.
bool progressFileNameFor(const char* programPath, char* buffer, int capacity);

// The same for the running program.
bool progressFileName(char* buffer, int capacity);

// Writes one line per answer edit of the question pane, in identifier order
// (answersPerQuestion × questionCount lines, each ended by CR LF; an edit
// that does not exist gives an empty line). The old file is replaced only
// once the new one is completely written. Failures are silent.
void saveProgress(const QuizState& state);

// Reading the file back while the answer edits are created.
struct ProgressReader {
    std::unique_ptr<uint8_t[]> contents; // null: no file, or an empty one
    size_t size = 0;
    size_t position = 0;
};

// The largest progress file read: a saved one holds at most 192 lines of
// 259 characters. A larger file is taken as unreadable.
constexpr size_t maxProgressFileSize = size_t{16} << 20;

// A missing, unreadable or empty file gives a reader without contents, whose
// every line is empty; so does anything but a plain file (a folder, a pipe,
// a device) and a file above maxProgressFileSize.
void openProgress(ProgressReader& reader);

// The next line, cut to 55 characters, into line with a terminating zero.
// Lines end at a carriage return; the rest of a longer line and everything
// up to the next line feed is skipped.
void readProgressLine(ProgressReader& reader, char line[progressLineLength + 1]);

void closeProgress(ProgressReader& reader);
