// The answer edits' keyboard: Enter and focus loss judge, Tab keeps the
// reached edit in view, F1 spreads an answer, F2 saves.
#include "answers/feedback.h"
#include "shell/layout.h"
#include "shell_fixture.h"

#include <algorithm>

namespace {

using AnswerEditTest = ShellTest;

TEST_F(AnswerEditTest, EnterJudgesWithoutTypingAndKeepsTheFocus) {
    start(quizOf(0, 2));
    ui::WindowHandle edit = control(4001);
    ui::setFocus(edit);
    ui::setText(edit, "reponse1");
    for (ui::EventKind kind : {ui::EventKind::KeyUp, ui::EventKind::SysKeyDown}) {
        ui::setText(control(5001), "?");
        EXPECT_EQ(ui::sendEvent(edit, ui::Event{kind, ui::keyReturn}), 1);
        EXPECT_EQ(textOf(5001), feedback::bravo);
    }
    for (int character : {13, 9, 0})
        EXPECT_EQ(ui::sendEvent(edit, ui::Event{ui::EventKind::Char, character}), 0);
    EXPECT_EQ(textOf(4001), "reponse1") << "Enter and Tab insert nothing";
    ui::sendEvent(edit, ui::Event{ui::EventKind::Char, 'x'});
    EXPECT_EQ(textOf(4001), "reponse1x") << "other characters reach the edit";
    EXPECT_EQ(ui::focusedWindow(), edit);
}

TEST_F(AnswerEditTest, LeavingAnEditJudgesItAndEnteringOneSelectsItsText) {
    start(quizOf(0, 2));
    ui::setFocus(control(4001));
    ui::setText(control(4001), "reponse");
    ui::setText(control(4002), "reponse2");
    ui::setFocus(control(4002));
    EXPECT_EQ(textOf(5001), feedback::quasiment);
    EXPECT_EQ(textOf(5002), "?") << "judged only when it is left";
    EXPECT_EQ(memory::selectionOf(control(4002)), std::make_pair(0, 8));
}

TEST_F(AnswerEditTest, SpreadingTriesTheTextInEveryAnswerNotYetRight) {
    start(quizOf(0, 4));
    answer(4001, "nimporte");
    answer(4002, "reponse2");
    answer(4004, "repons");
    ASSERT_EQ(textOf(5001), feedback::faux);
    ASSERT_EQ(textOf(5002), feedback::bravo);
    ASSERT_EQ(textOf(5003), "?");
    ASSERT_EQ(textOf(5004), feedback::presque);
    ui::setFocus(control(4003));
    ui::setText(control(4003), "reponse4");
    ui::sendEvent(control(4003), ui::Event{ui::EventKind::KeyUp, ui::keyF1});
    EXPECT_EQ(textOf(4001), "reponse4");
    EXPECT_EQ(textOf(4002), "reponse2") << "a right answer is neither changed nor judged";
    EXPECT_EQ(textOf(4004), "reponse4");
    EXPECT_EQ(textOf(5001), feedback::quasiment);
    EXPECT_EQ(textOf(5003), feedback::quasiment);
    EXPECT_EQ(textOf(5004), feedback::bravo);
    EXPECT_EQ(ui::focusedWindow(), control(4003));
}

TEST_F(AnswerEditTest, F2SavesAtOnce) {
    start(quizOf(0, 2));
    ui::setText(control(4002), "la mer");
    ui::sendEvent(control(4002), ui::Event{ui::EventKind::KeyUp, ui::keyF2});
    EXPECT_EQ(readProgress(), "\r\nla mer\r\n");
}

TEST_F(AnswerEditTest, TabScrollsOnlyToAnEditOutsideThePane) {
    start(quizOf(0, 40));
    ui::Rect frame = memory::placementOf(pane());
    ui::moveWindow(pane(), frame.left, frame.top, ui::widthOf(frame), 300);
    ui::Rect paneRect = ui::windowRect(pane());
    const int page = ui::scrollInfo(pane(), ui::ScrollBar::Vertical).page;

    ui::WindowHandle inside = control(4002);
    ui::sendEvent(inside, ui::Event{ui::EventKind::KeyUp, ui::keyTab});
    EXPECT_EQ(ui::scrollPosition(pane(), ui::ScrollBar::Vertical), 0);

    ui::WindowHandle below = control(4020); // top 480 in the pane: below its bottom
    ui::Rect editRect = ui::windowRect(below);
    ASSERT_GT(editRect.bottom, paneRect.bottom);
    ui::sendEvent(below, ui::Event{ui::EventKind::KeyUp, ui::keyTab});
    EXPECT_EQ(scrollTarget, editRect.top - 360);
    int expected = std::clamp(editRect.top - 360, 0,
                              ui::scrollInfo(pane(), ui::ScrollBar::Vertical).maximum - page + 1);
    EXPECT_EQ(ui::scrollPosition(pane(), ui::ScrollBar::Vertical), expected);
}

TEST_F(AnswerEditTest, PageKeysPageTheQuestionPane) {
    start(quizOf(0, 40));
    ui::Rect frame = memory::placementOf(pane());
    ui::moveWindow(pane(), frame.left, frame.top, ui::widthOf(frame), 300);
    int page = ui::scrollInfo(pane(), ui::ScrollBar::Vertical).page;
    ui::sendEvent(control(4001), ui::Event{ui::EventKind::KeyUp, ui::keyNext});
    EXPECT_EQ(ui::scrollPosition(pane(), ui::ScrollBar::Vertical), page);
    ui::sendEvent(control(4001), ui::Event{ui::EventKind::KeyUp, ui::keyDown});
    EXPECT_EQ(ui::scrollPosition(pane(), ui::ScrollBar::Vertical), 2 * page);
    ui::sendEvent(control(4001), ui::Event{ui::EventKind::KeyUp, ui::keyUp});
    EXPECT_EQ(ui::scrollPosition(pane(), ui::ScrollBar::Vertical), page);
}

} // namespace
