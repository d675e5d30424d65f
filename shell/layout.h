// The question pane's scrolling and the hide-solved pass: contents reachable
// through both scroll bars, the wheel and keyboard requests, and solved
// pictures hidden (rows closing up) while the header's "Cacher" is ticked.
#pragma once

#include "content/quiz_state.h"
#include "platform/ui.h"

// Private scroll codes of the question pane, beside the platform's.
constexpr int scrollWheelDown = 500; // 50 pixels toward the end
constexpr int scrollWheelUp = 501;   // 50 pixels toward the first question
constexpr int scrollToTarget = 502;  // to scrollTarget

constexpr int scrollLineStep = 310;
constexpr int scrollWheelStep = 50;
// Height of the comment band of a block, moved with its row.
constexpr int commentBandHeight = 65;

// Written by the answer edits before they ask for scrollToTarget.
extern int scrollTarget;

// Both bars from the content size and the pane's client size; a content that
// fits gives a disabled bar at position 0. Nothing happens without a pane.
void updateScrollRanges(const QuizState& quiz, ui::WindowHandle pane);

// The pane's answers to its scroll, size and wheel events.
ui::Result scrollVertically(ui::WindowHandle pane, const ui::Event& event);
ui::Result scrollHorizontally(ui::WindowHandle pane, const ui::Event& event);
ui::Result resizeQuestionPane(const QuizState& quiz, ui::WindowHandle pane);
ui::Result wheelInQuestionPane(ui::WindowHandle pane, const ui::Event& event);

// Block operations of the pass.
enum class BlockShift {
    Hide = 1,     // hide the picture and comment, move the answers up
    CloseRow = 2, // move a later block up as its row above closes
    Show = 3,     // show the picture and comment, move the answers down
    ShowLast = 4, // the same for the question that closed its row
    OpenRow = 5,  // move a later block down as its row above reopens
};
void shiftBlock(const QuizState& quiz, BlockShift kind, int amount, int sign, int question);
void moveControlBy(ui::WindowHandle control, int amount);

// The hide-solved pass over every question, then a scroll-range update that
// also moves the contents.
void applyHideSolved(QuizState& quiz);
