#include "answers/judge.h"

#include "answers/feedback.h"
#include "answers/text_match.h"
#include "media/picture.h"
#include "shell/header_pane.h"
#include "shell/layout.h"
#include "shell/question_pane.h"

#include <cstdio>
#include <cstring>

namespace {

// Answer pictures carry the question's number above this base.
constexpr int answerPictureBase = 10400;

// Every text comparison here is a byte comparison: the feedback texts are
// fixed, and answers must match as typed (see gradeAnswer).
bool sameText(const char* a, const char* b) {
    return std::strcmp(a, b) == 0;
}

int answersOf(const QuizState& quiz) {
    return quiz.answersPerQuestion == 2 ? 2 : 1;
}

bool labelReadsBravo(ui::WindowHandle pane, int labelId) {
    char text[255];
    ui::getText(ui::findControl(pane, labelId), text, sizeof text);
    return sameText(text, feedback::bravo);
}

// All answers of question q (from 0) typed as expected, after trimming and
// case folding; expected answers are folded but not trimmed.
bool questionSolved(const QuizState& quiz, ui::WindowHandle pane, const QuestionEntry& entry,
                    int q) {
    const int answers = answersOf(quiz);
    int right = 0;
    for (int k = 1; k <= answers; ++k) {
        char expected[textCapacity];
        copyText(k == 1 ? entry.answer1 : entry.answer2, expected, textCapacity);
        upperCaseAnsi(expected);
        char typed[textCapacity];
        ui::getText(ui::findControl(pane, answerEditBase + q * answers + k), typed, sizeof typed);
        trimSpaces(typed);
        upperCaseAnsi(typed);
        if (sameText(typed, expected))
            ++right;
    }
    return right == answers;
}

// The answer picture takes the place of the question's picture; without
// one the question picture stays.
void showAnswerPicture(ui::WindowHandle pane, int question) {
    ui::BitmapHandle picture =
        loadPicture(answerPictureBase + question, "IMG", pictureBoxSize, pictureBoxSize);
    if (picture == nullptr)
        return;
    ui::WindowHandle window = ui::findControl(pane, pictureWindowId(question));
    if (window == nullptr) {
        ui::deleteBitmap(picture);
        return;
    }
    ui::deleteBitmap(ui::setStaticBitmap(window, picture));
}

void reveal(const QuizState& quiz, ui::WindowHandle pane, int question) {
    ui::WindowHandle comment = ui::findControl(pane, commentLabelId(question));
    switch (quiz.revealMode) {
    case 1: showAnswerPicture(pane, question); break;
    case 2: ui::showWindow(comment, true); break;
    case 3:
        ui::showWindow(comment, true);
        showAnswerPicture(pane, question);
        break;
    default: break;
    }
}

// Reveal mode 4: every comment appears once every label reads "BRAVO".
void revealAllComments(QuizState& quiz, ui::WindowHandle pane) {
    if (quiz.commentsRevealed != 0)
        return;
    const int labels = quiz.questionCount * answersOf(quiz);
    for (int i = 1; i <= labels; ++i) {
        if (!labelReadsBravo(pane, answerEditBase + resultLabelOffset + i))
            return;
    }
    quiz.commentsRevealed = 1;
    for (int question = 1; question <= quiz.questionCount; ++question)
        ui::showWindow(ui::findControl(pane, commentLabelId(question)), true);
}

} // namespace

void judgeAnswer(QuizState& quiz, ui::WindowHandle pane, int editId) {
    ui::WindowHandle label = ui::findControl(pane, editId + resultLabelOffset);
    char previous[textCapacity];
    ui::getText(label, previous, sizeof previous);

    const int answers = answersOf(quiz);
    const int q = answers == 2 ? (editId - 3999) / 2 - 1 : editId - 4001;
    QuestionEntry* entry = questionAt(quiz, q);
    const char* expected = "";
    if (entry != nullptr)
        expected = answers == 2 && editId % 2 == 0 ? entry->answer2 : entry->answer1;

    char typed[textCapacity];
    ui::getText(ui::findControl(pane, editId), typed, sizeof typed);
    const char* grade = gradeAnswer(expected, typed);
    if (sameText(grade, previous))
        return;
    ui::setText(label, grade);

    if (!sameText(grade, feedback::bravo)) {
        if (quiz.revealMode != 5)
            ui::showWindow(ui::findControl(pane, commentLabelId(q + 1)), false);
        quiz.commentsRevealed = 0;
    } else if (entry != nullptr && questionSolved(quiz, pane, *entry, q)) {
        entry->solved = 1;
        reveal(quiz, pane, q + 1);
    }
    if (quiz.revealMode == 4)
        revealAllComments(quiz, pane);
    updateScore(quiz, pane);
}

void updateScore(QuizState& quiz, ui::WindowHandle pane) {
    const int answers = answersOf(quiz);
    int score = 0;
    for (int question = 1; question <= quiz.questionCount; ++question) {
        int right = 0;
        for (int k = 1; k <= answers; ++k) {
            int label = answers == 1 ? 5000 + question : 4998 + 2 * question + k;
            if (labelReadsBravo(pane, label))
                ++right;
        }
        if (right == answers)
            ++score;
    }
    char text[32];
    std::snprintf(text, sizeof text, " %d / %d", score, quiz.questionCount);
    ui::setText(ui::findControl(quiz.headerPane, headerScoreId), text);
    const char* code = score >= 1 && score <= maxQuestions ? quiz.codes[score - 1] : "      ";
    ui::setText(ui::findControl(quiz.headerPane, headerCodeId), code);
    applyHideSolved(quiz);
}
