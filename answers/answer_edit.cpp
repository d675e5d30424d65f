#include "answers/answer_edit.h"

#include "answers/feedback.h"
#include "answers/judge.h"
#include "content/progress.h"
#include "shell/layout.h"
#include "shell/question_pane.h"
#include "shell/startup.h"

#include <cstring>

namespace {

ui::Procedure previousEditProc = nullptr;

// How far above the reached edit the view starts after a Tab.
constexpr int tabViewMargin = 360;

void judge(ui::WindowHandle edit) {
    judgeAnswer(*currentQuiz(), ui::parentOf(edit), ui::controlId(edit));
}

// Tab has just brought the focus here: scroll when the edit sticks out of
// the pane, so that the player sees where they type.
void bringIntoView(ui::WindowHandle edit) {
    ui::WindowHandle pane = ui::parentOf(edit);
    ui::Rect editRect = ui::windowRect(edit);
    ui::Rect paneRect = ui::windowRect(pane);
    scrollTarget = editRect.top - tabViewMargin;
    if (editRect.bottom > paneRect.bottom || editRect.top < paneRect.top)
        ui::sendEvent(pane, ui::Event{ui::EventKind::VScroll, scrollToTarget});
}

// Up and Page Up page the question pane up, Down and Page Down down: a
// single-line edit has nothing of its own to do with them.
void page(ui::WindowHandle edit, int code) {
    ui::sendEvent(ui::parentOf(edit), ui::Event{ui::EventKind::VScroll, code});
}

// Keys act on release, or on press while Alt is held.
ui::Result onKey(ui::WindowHandle edit, const ui::Event& event) {
    switch (event.code) {
    case ui::keyReturn: judge(edit); return 1;
    case ui::keyTab: bringIntoView(edit); break;
    case ui::keyF1: spreadAnswer(edit); break;
    case ui::keyF2: saveProgress(*currentQuiz()); break;
    case ui::keyUp:
    case ui::keyPrior: page(edit, ui::scrollPageUp); break;
    case ui::keyDown:
    case ui::keyNext: page(edit, ui::scrollPageDown); break;
    default: break;
    }
    return ui::callProcedure(previousEditProc, edit, event);
}

} // namespace

void installAnswerEditProc(ui::WindowHandle edit) {
    previousEditProc = ui::subclassControl(edit, answerEditProc);
}

ui::Result answerEditProc(ui::WindowHandle edit, const ui::Event& event) {
    switch (event.kind) {
    case ui::EventKind::SetFocus: ui::setEditSelection(edit, 0, 260); break;
    case ui::EventKind::KillFocus: judge(edit); break;
    case ui::EventKind::Char:
        // Enter and Tab would only make a single-line edit beep.
        if (event.code == 13 || event.code == 9 || event.code == 0)
            return 0;
        break;
    case ui::EventKind::KeyUp:
    case ui::EventKind::SysKeyDown: return onKey(edit, event);
    default: break;
    }
    return ui::callProcedure(previousEditProc, edit, event);
}

void spreadAnswer(ui::WindowHandle edit) {
    QuizState& quiz = *currentQuiz();
    ui::WindowHandle pane = ui::parentOf(edit);
    char text[textCapacity];
    ui::getText(edit, text, sizeof text);
    const int edits = quiz.questionCount * (quiz.answersPerQuestion == 2 ? 2 : 1);
    for (int i = 1; i <= edits; ++i) {
        char result[textCapacity];
        ui::getText(ui::findControl(pane, answerEditBase + resultLabelOffset + i), result,
                    sizeof result);
        if (std::strcmp(result, feedback::bravo) == 0)
            continue;
        ui::WindowHandle target = ui::findControl(pane, answerEditBase + i);
        ui::setText(target, text);
        ui::setFocus(target);
    }
    ui::setFocus(edit);
}
