// Scrolling the question pane and hiding solved pictures.
#include "shell/header_pane.h"
#include "shell/layout.h"
#include "shell_fixture.h"

namespace {

using LayoutTest = ShellTest;

// Puts the question pane at a client size of width × height.
void resizePane(ui::WindowHandle pane, int width, int height) {
    ui::Rect frame = memory::placementOf(pane);
    int extraWidth = ui::widthOf(frame) - ui::clientRect(pane).right;
    int extraHeight = ui::heightOf(frame) - ui::clientRect(pane).bottom;
    ui::moveWindow(pane, frame.left, frame.top, width + extraWidth, height + extraHeight);
}

void scroll(ui::WindowHandle pane, int code) {
    ui::sendEvent(pane, ui::Event{ui::EventKind::VScroll, code});
}

TEST_F(LayoutTest, RangesFollowTheContentAndAFittingContentDisablesItsBar) {
    start(quizOf(0, 3));
    player.state->contentWidth = 500;
    player.state->contentHeight = 1000;
    resizePane(pane(), 700, 400);
    ui::ScrollInfo vertical = ui::scrollInfo(pane(), ui::ScrollBar::Vertical);
    EXPECT_EQ(vertical.minimum, 0);
    EXPECT_EQ(vertical.maximum, 998);
    EXPECT_EQ(vertical.page, 399);
    ui::ScrollInfo horizontal = ui::scrollInfo(pane(), ui::ScrollBar::Horizontal);
    EXPECT_EQ(horizontal.position, 0);
    EXPECT_LE(horizontal.maximum - horizontal.page + 1, 0) << "narrower content cannot scroll";

    scroll(pane(), ui::scrollBottom);
    EXPECT_EQ(ui::scrollPosition(pane(), ui::ScrollBar::Vertical), 600);
}

TEST_F(LayoutTest, ScrollCodesMoveTheContentsByWhatTheBarMoved) {
    start(quizOf(0, 40)); // 40 rows of 25: content height 1005
    resizePane(pane(), 900, 300);
    const int top = memory::placementOf(control(4001)).top;
    struct ScrollCase {
        int code;
        int expected; // position afterwards
    };
    const ScrollCase cases[] = {
        {ui::scrollLineDown, 310},      {ui::scrollLineDown, 620}, {ui::scrollLineDown, 705},
        {ui::scrollLineUp, 395},        {scrollWheelUp, 345},      {scrollWheelDown, 395},
        {ui::scrollPageUp, 96},         {ui::scrollPageDown, 395}, {ui::scrollTop, 0},
        {ui::scrollPageUp, 0},          {ui::scrollBottom, 705},   {ui::scrollEnd, 705},
        {ui::scrollThumbPosition, 705},
    };
    for (const ScrollCase& c : cases) {
        scroll(pane(), c.code);
        int position = ui::scrollPosition(pane(), ui::ScrollBar::Vertical);
        EXPECT_EQ(position, c.expected) << "code " << c.code;
        EXPECT_EQ(memory::placementOf(control(4001)).top, top - position) << "code " << c.code;
    }
    scrollTarget = 123;
    scroll(pane(), scrollToTarget);
    EXPECT_EQ(ui::scrollPosition(pane(), ui::ScrollBar::Vertical), 123);
}

TEST_F(LayoutTest, HorizontalStepsAreOnePixel) {
    start(quizOf(0, 3));
    resizePane(pane(), 850, 300); // content width 900
    const int left = memory::placementOf(control(4001)).left;
    ui::sendEvent(pane(), ui::Event{ui::EventKind::HScroll, ui::scrollLineDown});
    EXPECT_EQ(ui::scrollPosition(pane(), ui::ScrollBar::Horizontal), 1);
    ui::sendEvent(pane(), ui::Event{ui::EventKind::HScroll, ui::scrollPageDown});
    EXPECT_EQ(ui::scrollPosition(pane(), ui::ScrollBar::Horizontal), 50);
    EXPECT_EQ(memory::placementOf(control(4001)).left, left - 50);
}

TEST_F(LayoutTest, WheelInThePanePostsOnlySingleNotches) {
    start(quizOf(0, 3));
    memory::dispatchPosted();
    const int deltas[] = {-120, 120, 240, 60};
    for (int delta : deltas)
        ui::sendEvent(pane(), ui::Event{ui::EventKind::MouseWheel, delta});
    std::vector<ui::Event> posted = memory::postedTo(pane());
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].code, scrollWheelDown);
    EXPECT_EQ(posted[1].code, scrollWheelUp);
}

class HidePassTest : public ShellTest {
protected:
    // Seven picture questions in three rows, row heights set as pictures
    // of those heights would.
    void startPictureQuiz(int reveal) {
        start(quizOf(1, 7, 1, reveal));
        player.state->rowHeights[0] = 200;
        player.state->rowHeights[1] = 150;
        player.state->rowHeights[2] = 100;
        hideBox = ui::findControl(header(), headerHideId);
        ASSERT_NE(hideBox, nullptr);
        for (int j = 1; j <= 7; ++j)
            before[j] = memory::placementOf(control(4000 + j)).top;
        contentHeight = player.state->contentHeight;
    }

    void tick(bool ticked) {
        memory::setChecked(hideBox, ticked);
        ui::sendEvent(header(), ui::Event{ui::EventKind::Command, ui::notifyClicked, headerHideId});
    }

    int editTop(int j) { return memory::placementOf(control(4000 + j)).top; }

    ui::WindowHandle hideBox = nullptr;
    int before[8] = {};
    int contentHeight = 0;
};

TEST_F(HidePassTest, SolvedPicturesHideAndFullRowsCloseUpThenReopen) {
    startPictureQuiz(2);
    tick(true);
    answer(4002, "reponse2");
    EXPECT_FALSE(ui::isVisible(control(9902)));
    EXPECT_FALSE(ui::isVisible(control(8002)));
    EXPECT_EQ(editTop(2), before[2] - 200);
    EXPECT_EQ(memory::placementOf(control(2002)).top + 200, before[2] + 2)
        << "the number label moves with its answers";
    EXPECT_EQ(editTop(1), before[1]) << "the rest of the row stays";
    EXPECT_EQ(player.state->hideState[2], 1);

    answer(4001, "reponse1");
    answer(4003, "reponse3");
    // Row 0 closed: every later block moves up by 200 + 65.
    EXPECT_EQ(player.state->hideState[3], 2);
    EXPECT_EQ(player.state->contentHeight, contentHeight - 265);
    for (int j = 4; j <= 7; ++j)
        EXPECT_EQ(editTop(j), before[j] - 265) << j;

    // A partial row: solving question 5 moves only its own block.
    answer(4005, "reponse5");
    EXPECT_EQ(editTop(5), before[5] - 265 - 150);
    EXPECT_EQ(editTop(4), before[4] - 265);

    tick(false);
    for (int j = 1; j <= 7; ++j) {
        EXPECT_EQ(editTop(j), before[j]) << j;
        EXPECT_EQ(player.state->hideState[j], 0);
        EXPECT_TRUE(ui::isVisible(control(9900 + j)));
    }
    EXPECT_EQ(player.state->contentHeight, contentHeight);
    EXPECT_FALSE(ui::isVisible(control(8004))) << "an unsolved comment stays hidden";
}

TEST_F(HidePassTest, AClosedRowIsNotClosedAgainAndTheLastPartialRowNeverCloses) {
    startPictureQuiz(0);
    for (int j = 1; j <= 3; ++j)
        answer(4000 + j, ("reponse" + std::to_string(j)).c_str());
    tick(true);
    EXPECT_EQ(player.state->contentHeight, contentHeight - 200);
    tick(true);
    EXPECT_EQ(player.state->contentHeight, contentHeight - 200);
    answer(4007, "reponse7");
    EXPECT_EQ(player.state->hideState[7], 1);
    EXPECT_EQ(player.state->contentHeight, contentHeight - 200);
}

} // namespace
