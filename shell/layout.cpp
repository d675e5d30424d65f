#include "shell/layout.h"

#include "shell/header_pane.h"
#include "shell/question_pane.h"

#include <algorithm>

int scrollTarget = 0;

namespace {

// Moves the pane's children by the change of both positions that the last
// range update caused.
struct Positions {
    int horizontal;
    int vertical;
};

Positions readPositions(ui::WindowHandle pane) {
    return {ui::scrollPosition(pane, ui::ScrollBar::Horizontal),
            ui::scrollPosition(pane, ui::ScrollBar::Vertical)};
}

void refreshRangesAndFollow(const QuizState& quiz, ui::WindowHandle pane) {
    Positions before = readPositions(pane);
    updateScrollRanges(quiz, pane);
    Positions after = readPositions(pane);
    if (before.horizontal != after.horizontal || before.vertical != after.vertical)
        ui::scrollWindow(pane, before.horizontal - after.horizontal,
                         before.vertical - after.vertical);
}

// Clamps to the range, lets the bar clamp to its own limit, and moves the
// contents by what the bar actually moved.
void scrollTo(ui::WindowHandle pane, ui::ScrollBar bar, const ui::ScrollInfo& info, int position) {
    position = std::clamp(position, info.minimum, std::max(info.minimum, info.maximum));
    int now = ui::setScrollPosition(pane, bar, position, true);
    int moved = info.position - now;
    if (moved == 0)
        return;
    if (bar == ui::ScrollBar::Vertical)
        ui::scrollWindow(pane, 0, moved);
    else
        ui::scrollWindow(pane, moved, 0);
}

int rowHeight(const QuizState& quiz, int row) {
    return row >= 0 && row < maxPictureRows ? quiz.rowHeights[row] : 0;
}

// A closing row takes its comment band with it when blocks have one.
int rowBand(const QuizState& quiz, int row) {
    return rowHeight(quiz, row) + (quiz.revealMode > 1 ? commentBandHeight : 0);
}

} // namespace

void updateScrollRanges(const QuizState& quiz, ui::WindowHandle pane) {
    if (pane == nullptr)
        return;
    ui::Rect client = ui::clientRect(pane);
    int clientWidth = client.right;
    int clientHeight = client.bottom;
    if (quiz.contentWidth <= clientWidth) {
        clientWidth = quiz.contentWidth;
        ui::setScrollPosition(pane, ui::ScrollBar::Horizontal, 0, false);
    }
    if (quiz.contentHeight <= clientHeight) {
        clientHeight = quiz.contentHeight;
        ui::setScrollPosition(pane, ui::ScrollBar::Vertical, 0, false);
    }
    ui::setScrollRange(pane, ui::ScrollBar::Horizontal, 0, quiz.contentWidth - 2, clientWidth - 1,
                       true);
    ui::setScrollRange(pane, ui::ScrollBar::Vertical, 0, quiz.contentHeight - 2, clientHeight - 1,
                       true);
}

ui::Result scrollVertically(ui::WindowHandle pane, const ui::Event& event) {
    ui::ScrollInfo info = ui::scrollInfo(pane, ui::ScrollBar::Vertical);
    int position = info.position;
    switch (event.code) {
    case ui::scrollLineUp: position -= scrollLineStep; break;
    case ui::scrollLineDown: position += scrollLineStep; break;
    case ui::scrollPageUp: position -= info.page; break;
    case ui::scrollPageDown: position += info.page; break;
    case ui::scrollThumbTrack: position = info.trackPosition; break;
    case ui::scrollTop: position = 0; break;
    case ui::scrollBottom: position = info.maximum; break;
    case scrollWheelDown: position += scrollWheelStep; break;
    case scrollWheelUp: position -= scrollWheelStep; break;
    case scrollToTarget: position = scrollTarget; break;
    default: break;
    }
    scrollTo(pane, ui::ScrollBar::Vertical, info, position);
    return 0;
}

ui::Result scrollHorizontally(ui::WindowHandle pane, const ui::Event& event) {
    ui::ScrollInfo info = ui::scrollInfo(pane, ui::ScrollBar::Horizontal);
    int position = info.position;
    switch (event.code) {
    case ui::scrollLineUp: position -= 1; break;
    case ui::scrollLineDown: position += 1; break;
    case ui::scrollPageUp: position -= info.page; break;
    case ui::scrollPageDown: position += info.page; break;
    case ui::scrollThumbTrack: position = info.trackPosition; break;
    default: break;
    }
    scrollTo(pane, ui::ScrollBar::Horizontal, info, position);
    return 0;
}

ui::Result resizeQuestionPane(const QuizState& quiz, ui::WindowHandle pane) {
    refreshRangesAndFollow(quiz, pane);
    return 0;
}

ui::Result wheelInQuestionPane(ui::WindowHandle pane, const ui::Event& event) {
    ui::Event scroll{ui::EventKind::VScroll};
    if (event.code == 120)
        scroll.code = scrollWheelUp;
    else if (event.code == -120)
        scroll.code = scrollWheelDown;
    else
        return 0;
    ui::postEvent(pane, scroll);
    return 0;
}

void moveControlBy(ui::WindowHandle control, int amount) {
    if (control == nullptr)
        return;
    ui::Rect frame = ui::windowRect(control);
    int x = frame.left;
    int y = frame.top + amount;
    ui::WindowHandle parent = ui::parentOf(control);
    if (parent != nullptr)
        ui::screenToClient(parent, x, y);
    ui::moveWindowTo(control, x, y);
}

void shiftBlock(const QuizState& quiz, BlockShift kind, int amount, int sign, int question) {
    ui::WindowHandle pane = quiz.questionPane;
    ui::WindowHandle picture = ui::findControl(pane, pictureWindowId(question));
    int move = amount * sign;
    switch (kind) {
    case BlockShift::Hide:
    case BlockShift::Show:
    case BlockShift::ShowLast: {
        bool show = kind != BlockShift::Hide;
        ui::showWindow(picture, show);
        ui::showWindow(ui::findControl(pane, commentLabelId(question)), show);
        break;
    }
    case BlockShift::CloseRow:
    case BlockShift::OpenRow: moveControlBy(picture, move); break;
    }
    int first = answerEditId(quiz, question, 1);
    moveControlBy(ui::findControl(pane, first), move);
    moveControlBy(ui::findControl(pane, first + resultLabelOffset), move);
    moveControlBy(ui::findControl(pane, numberLabelId(quiz, question)), move);
    if (quiz.answersPerQuestion == 2) {
        int second = answerEditId(quiz, question, 2);
        moveControlBy(ui::findControl(pane, second), move);
        moveControlBy(ui::findControl(pane, second + resultLabelOffset), move);
    }
}

void applyHideSolved(QuizState& quiz) {
    // Outside picture mode the box does not exist, which reads as unticked.
    bool ticked = ui::isChecked(ui::findControl(quiz.headerPane, headerHideId));
    int count = std::min(quiz.questionCount, maxQuestions);
    int row = 0;
    if (ticked) {
        int hiddenInRow = 0;
        for (int j = 1; j <= count; ++j) {
            int state = quiz.hideState[j];
            if (state == 1)
                ++hiddenInRow;
            const QuestionEntry* entry = questionAt(quiz, j - 1);
            if (entry != nullptr && entry->solved != 0 && state == 0) {
                shiftBlock(quiz, BlockShift::Hide, rowHeight(quiz, row), -1, j);
                ++hiddenInRow;
                quiz.hideState[j] = 1;
            }
            if (j % 3 != 0)
                continue;
            // A closed row's third question holds 2 and does not count, so
            // a row closes once.
            if (hiddenInRow == 3) {
                int band = rowBand(quiz, row);
                for (int k = j + 1; k <= count; ++k)
                    shiftBlock(quiz, BlockShift::CloseRow, band, -1, k);
                quiz.contentHeight -= band;
                quiz.hideState[j] = 2;
            }
            ++row;
            hiddenInRow = 0;
        }
    } else {
        for (int j = 1; j <= count; ++j) {
            if (quiz.hideState[j] == 1) {
                shiftBlock(quiz, BlockShift::Show, rowHeight(quiz, row), 1, j);
            } else if (quiz.hideState[j] == 2) {
                shiftBlock(quiz, BlockShift::ShowLast, rowHeight(quiz, row), 1, j);
                int band = rowBand(quiz, row);
                quiz.contentHeight += band;
                for (int k = j + 1; k <= count; ++k)
                    shiftBlock(quiz, BlockShift::OpenRow, band, 1, k);
            }
            quiz.hideState[j] = 0;
            if (j % 3 == 0)
                ++row;
        }
    }
    refreshRangesAndFollow(quiz, quiz.questionPane);
}
