// Judging one answer edit of the question pane: its feedback into its
// result label and, when the label changes, the reveal actions and the
// score in the header.
#pragma once

#include "content/quiz_state.h"
#include "platform/ui.h"

// Grades the text of answer edit editId of pane against its expected
// answer. An unchanged feedback changes nothing else.
void judgeAnswer(QuizState& quiz, ui::WindowHandle pane, int editId);

// Recounts the questions whose result labels all read "BRAVO", writes the
// score and its reward code into the header, then runs the hide-solved pass.
void updateScore(QuizState& quiz, ui::WindowHandle pane);
