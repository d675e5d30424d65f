// The question pane: one block of controls per question (list or grid of
// three to a row), answer edits restored from the progress file and judged
// at once, result labels coloured by their feedback, scrolling.
#pragma once

#include "content/quiz_state.h"
#include "platform/ui.h"

constexpr int questionPaneTemplate = 1001;

// Identifiers of the pane's controls; j counts questions from 1, k answers.
constexpr int numberLabelBase = 2000;
constexpr int questionLabelId = 3000;
constexpr int answerEditBase = 4000;
constexpr int resultLabelOffset = 1000; // result label = its answer edit + 1000
constexpr int playButtonBase = 6000;
constexpr int stopButtonBase = 7000;
constexpr int commentLabelBase = 8000;
constexpr int pictureWindowBase = 9900;
constexpr int columnLabelId = 156;

constexpr int answerEditLimit = 55;
// Box of the question pictures.
constexpr int pictureBoxSize = 260;

constexpr int pictureWindowId(int question) {
    return pictureWindowBase + question;
}
constexpr int commentLabelId(int question) {
    return commentLabelBase + question;
}
// List mode numbers every question 2000; the grid modes 2000 + j.
int numberLabelId(const QuizState& quiz, int question);
// List mode has one edit per question: 4000 + j. The grid modes have A:
// 4000 + A(j - 1) + k.
int answerEditId(const QuizState& quiz, int question, int answer);

ui::Result questionPaneProc(ui::WindowHandle pane, const ui::Event& event);
