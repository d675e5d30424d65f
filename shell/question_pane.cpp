#include "shell/question_pane.h"

#include "answers/answer_edit.h"
#include "answers/feedback.h"
#include "answers/judge.h"
#include "answers/text_match.h"
#include "content/progress.h"
#include "media/clip.h"
#include "media/picture.h"
#include "shell/layout.h"
#include "shell/startup.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t shown = ui::style::child | ui::style::visible;
constexpr uint32_t answerEditStyle =
    ui::style::border | ui::style::tabStop | ui::style::editCenter | ui::style::editAutoHScroll;
constexpr uint32_t resultLabelStyle =
    ui::style::border | ui::style::staticCenter | ui::style::staticCenterImage;

constexpr int listRowHeight = 25;
constexpr int gridColumnWidth = 290;
// Bottom of a grid row below its answer line, without and with comments.
constexpr int gridRowBottom = 60;
constexpr int gridRowBottomWithComment = 140;
// The player's play and stop icons.
constexpr int playIconId = 1004;
constexpr int stopIconId = 1005;

// Owned by the pane from its initialisation to its closing.
ui::BrushHandle successBrush = nullptr;

// While the blocks are built: the progress file, the row top, and the
// pictures of the current row of three (kept until each is placed).
struct PaneBuild {
    ProgressReader progress;
    int rowTop = 5;
    ui::BitmapHandle rowPictures[3] = {nullptr, nullptr, nullptr};
    int rowHeight = 0;
};

int answersOf(const QuizState& quiz) {
    return quiz.answersPerQuestion == 2 ? 2 : 1;
}

ui::WindowHandle addControl(ui::WindowHandle pane, ui::ControlKind kind, int id, const char* text,
                            uint32_t styleBits, int x, int y, int width, int height) {
    return ui::createControl(pane, kind, id, text, shown | styleBits, x, y, width, height);
}

// An answer edit filled with the next progress line, limited like a typed
// answer. Judging and the keyboard procedure come once its label exists.
ui::WindowHandle addAnswerEdit(ui::WindowHandle pane, PaneBuild& build, const QuizState& quiz,
                               int id, int x, int y, int width) {
    char line[progressLineLength + 1];
    readProgressLine(build.progress, line);
    ui::WindowHandle edit =
        addControl(pane, ui::ControlKind::Edit, id, line, answerEditStyle, x, y, width, 20);
    ui::setFont(edit, quiz.answerFont, false);
    ui::setEditLimit(edit, answerEditLimit);
    return edit;
}

void judgeNewEdit(QuizState& quiz, ui::WindowHandle pane, ui::WindowHandle edit) {
    installAnswerEditProc(edit);
    judgeAnswer(quiz, pane, ui::controlId(edit));
}

void buildListBlock(ui::WindowHandle pane, PaneBuild& build, QuizState& quiz, int question) {
    const QuestionEntry* entry = questionAt(quiz, question - 1);
    int y = build.rowTop;
    char number[16];
    std::snprintf(number, sizeof number, "%d.", question);
    addControl(pane, ui::ControlKind::Static, numberLabelBase, number, ui::style::staticRight, 26,
               y + 2, 19, 17);
    ui::WindowHandle label =
        addControl(pane, ui::ControlKind::Static, questionLabelId, entry ? entry->questionText : "",
                   resultLabelStyle, 50, y, 550, 20);
    ui::setFont(label, quiz.answerFont, false);
    ui::WindowHandle edit =
        addAnswerEdit(pane, build, quiz, answerEditBase + question, 610, y, 170);
    addControl(pane, ui::ControlKind::Static, answerEditBase + question + resultLabelOffset,
               feedback::unanswered, resultLabelStyle, 790, y, 100, 20);
    judgeNewEdit(quiz, pane, edit);
    build.rowTop = y + listRowHeight;
    quiz.contentWidth = 880;
    quiz.contentHeight = build.rowTop;
}

// "en N mot(s)": the number of words of the first answer, as a hint.
void formatWordCount(const char* answer, char* text, size_t capacity) {
    int words = countWords(answer);
    std::snprintf(text, capacity, "en %d mot%s", words, words == 1 ? "" : "s");
}

// The pictures of a row are asked for together so that the row takes the
// height of its tallest one.
void loadRowPictures(PaneBuild& build, int firstQuestion) {
    build.rowHeight = 0;
    for (int i = 0; i < 3; ++i) {
        build.rowPictures[i] =
            loadPicture(400 + firstQuestion + i, "IMG", pictureBoxSize, pictureBoxSize);
        int width = pictureBoxSize, height = 0;
        ui::bitmapSize(build.rowPictures[i], width, height);
        build.rowHeight = std::max(build.rowHeight, height);
    }
}

// False when the block's player cannot be made: the pane then ends with
// this block, its clip window the last thing built.
bool buildGridBlock(ui::WindowHandle pane, PaneBuild& build, QuizState& quiz, int question) {
    const QuestionEntry* entry = questionAt(quiz, question - 1);
    const int answers = answersOf(quiz);
    const int column = (question - 1) % 3;
    const int row = (question - 1) / 3;
    const int x0 = gridColumnWidth * column + (answers == 2 ? 106 : 46);
    const int shift = quiz.quizMode == 1 ? 0 : 20;
    const int width = quiz.quizMode == 1 ? 260 : 240;
    const int y = build.rowTop;
    int answerTop = y;

    if (quiz.quizMode == 1) {
        if (column == 0) {
            loadRowPictures(build, question);
            if (row < maxPictureRows)
                quiz.rowHeights[row] = build.rowHeight;
        }
        int pictureWidth = pictureBoxSize, pictureHeight = 0;
        ui::bitmapSize(build.rowPictures[column], pictureWidth, pictureHeight);
        addControl(pane, ui::ControlKind::Static, pictureWindowId(question), "",
                   ui::style::border | ui::style::staticBitmap | ui::style::staticCenterImage,
                   x0 + (pictureBoxSize - pictureWidth) / 2,
                   y + (build.rowHeight - pictureHeight) / 2, pictureWidth, pictureHeight);
        answerTop = y + build.rowHeight + 10;
    } else {
        // The clip window (none to see for audio) and its player.
        if (!createClipHost(quiz, pane, question, x0, y))
            return false;
        if (quiz.quizMode == 3)
            answerTop = y + 210;
    }

    if (answers == 2 && column == 0) {
        ui::setFont(addControl(pane, ui::ControlKind::Static, columnLabelId, quiz.columnLabel1,
                               ui::style::staticLeft, 4, answerTop + 2, 95, 20),
                    ui::stockGuiFont(), true);
        ui::setFont(addControl(pane, ui::ControlKind::Static, columnLabelId, quiz.columnLabel2,
                               ui::style::staticLeft, 3, answerTop + 22, 95, 20),
                    ui::stockGuiFont(), true);
    }
    char number[16];
    std::snprintf(number, sizeof number, "%d.", question);
    addControl(pane, ui::ControlKind::Static, numberLabelId(quiz, question), number,
               ui::style::staticRight, x0 - 28, answerTop + 2, 27, 17);

    if (quiz.revealMode > 1) {
        ui::WindowHandle comment = addControl(pane, ui::ControlKind::Static,
                                              commentLabelId(question), entry ? entry->comment : "",
                                              ui::style::staticCenter, x0, answerTop + 46, 260, 65);
        ui::setFont(comment, ui::stockGuiFont(), true);
        if (quiz.revealMode == 5) {
            char hint[32];
            formatWordCount(entry ? entry->answer1 : "", hint, sizeof hint);
            ui::setText(comment, hint);
            ui::showWindow(comment, true);
        } else {
            ui::showWindow(comment, false);
        }
    }

    if (answers == 1) {
        int id = answerEditId(quiz, question, 1);
        ui::WindowHandle edit = addAnswerEdit(pane, build, quiz, id, x0 + shift, answerTop, width);
        ui::WindowHandle result =
            addControl(pane, ui::ControlKind::Static, id + resultLabelOffset, feedback::unanswered,
                       resultLabelStyle, x0 + shift, answerTop + 19, width, 20);
        judgeNewEdit(quiz, pane, edit);
        ui::setFocus(result);
    } else {
        for (int k = 1; k <= 2; ++k) {
            int id = answerEditId(quiz, question, k);
            int top = answerTop + 19 * (k - 1);
            ui::WindowHandle edit =
                addAnswerEdit(pane, build, quiz, id, x0 + shift, top, width - 59);
            ui::WindowHandle result = addControl(
                pane, ui::ControlKind::Static, id + resultLabelOffset, feedback::unanswered,
                resultLabelStyle, x0 + shift + width - 60, top, 60, 20);
            ui::setFont(result, ui::stockGuiFont(), true);
            // A question without a second answer: that edit holds "-", is
            // judged right, and is out of sight.
            if (k == 2 && entry != nullptr && std::strcmp(entry->answer2, "-") == 0) {
                ui::setText(edit, "-");
                ui::showWindow(edit, false);
                ui::showWindow(result, false);
            }
            judgeNewEdit(quiz, pane, edit);
        }
    }

    if (quiz.quizMode == 2 || quiz.quizMode == 3) {
        ui::WindowHandle play =
            addControl(pane, ui::ControlKind::Button, playButtonBase + question, "",
                       ui::style::tabStop | ui::style::buttonIcon | ui::style::buttonDefPush, x0,
                       answerTop, 20, 20);
        ui::setButtonIcon(play, playIconId);
        ui::WindowHandle stop =
            addControl(pane, ui::ControlKind::Button, stopButtonBase + question, "",
                       ui::style::tabStop | ui::style::buttonIcon | ui::style::buttonDefPush, x0,
                       answerTop + 20, 20, 19);
        ui::setButtonIcon(stop, stopIconId);
    }

    if (quiz.quizMode == 1) {
        ui::WindowHandle picture = ui::findControl(pane, pictureWindowId(question));
        // A restored answer may have put the answer picture there already.
        if (ui::staticBitmap(picture) == nullptr)
            ui::setStaticBitmap(picture, build.rowPictures[column]);
        else
            ui::deleteBitmap(build.rowPictures[column]);
        build.rowPictures[column] = nullptr;
    }

    int bottom = answerTop + (quiz.revealMode > 1 ? gridRowBottomWithComment : gridRowBottom);
    if (column == 0) {
        quiz.contentWidth = 890;
        quiz.contentHeight = bottom;
    }
    if (column == 2)
        build.rowTop = bottom;
    return true;
}

void buildBlocks(ui::WindowHandle pane, QuizState& quiz) {
    successBrush = ui::createSolidBrush(ui::rgb(0, 255, 0));
    quiz.contentWidth = 0;
    quiz.contentHeight = 0;

    PaneBuild build;
    openProgress(build.progress);
    ui::LogicalFont answerRecord;
    answerRecord.height = 15;
    answerRecord.weight = 100;
    quiz.answerFont = ui::createFont(answerRecord);

    for (int question = 1; question <= quiz.questionCount; ++question) {
        if (quiz.quizMode == 0) {
            buildListBlock(pane, build, quiz, question);
        } else if (quiz.quizMode >= 1 && quiz.quizMode <= 3) {
            // Without a player for this block, the questions after it get
            // none; what was built is still finished off below, so the
            // progress file is let go and the built blocks scroll.
            if (!buildGridBlock(pane, build, quiz, question))
                break;
        }
    }
    quiz.contentWidth += answersOf(quiz) == 2 ? 80 : 20;

    // Pictures of a last row beyond the questions were never placed.
    for (ui::BitmapHandle& unused : build.rowPictures) {
        ui::deleteBitmap(unused);
        unused = nullptr;
    }
    closeProgress(build.progress);
    updateScrollRanges(quiz, pane);
}

// The label colours: the pane's own labels on the quiz background, in a
// text colour that stays readable on it; result labels by their feedback.
ui::Result answerColour(const QuizState& quiz, ui::WindowHandle control, const ui::Event& event) {
    const int edits = answersOf(quiz) * quiz.questionCount;
    const int id = event.id;
    ui::ColourReply& reply = *event.colour;
    if ((id >= numberLabelBase && id <= numberLabelBase + 240 + edits) || id == columnLabelId ||
        (id >= commentLabelBase + 1 && id <= commentLabelBase + edits)) {
        reply.transparentText = true;
        reply.hasTextColour = true;
        bool light = quiz.backgroundRed > 69 || quiz.backgroundGreen > 69;
        reply.textColour = light ? ui::rgb(0, 0, 0) : ui::rgb(255, 255, 255);
        reply.brush = quiz.backgroundBrush;
        return 1;
    }
    if (id >= answerEditBase + resultLabelOffset + 1 &&
        id <= answerEditBase + resultLabelOffset + edits) {
        char text[textCapacity];
        ui::getText(control, text, sizeof text);
        if (std::strcmp(text, feedback::unanswered) == 0)
            return 0;
        if (std::strcmp(text, feedback::bravo) == 0)
            reply.brush = successBrush;
        else if (std::strcmp(text, feedback::faux) == 0)
            reply.brush = quiz.redBrush;
        else if (std::strcmp(text, feedback::anagramme) == 0)
            reply.brush = quiz.orangeBrush;
        else
            reply.brush = quiz.goldBrush;
        return 1;
    }
    if (id == questionLabelId) {
        reply.brush = quiz.lightYellowBrush;
        return 1;
    }
    return 0;
}

void closePane(ui::WindowHandle pane, const QuizState& quiz) {
    ui::deleteBrush(successBrush);
    successBrush = nullptr;
    // The pictures shown belong to their windows, which go with the pane.
    for (int question = 1; question <= quiz.questionCount; ++question) {
        ui::WindowHandle picture = ui::findControl(pane, pictureWindowId(question));
        ui::deleteBitmap(ui::setStaticBitmap(picture, nullptr));
    }
    // The clip file written last is the pane's to remove.
    deleteLastClipFile();
}

// The play and stop buttons of the clip blocks; clicks only.
ui::Result clipButton(const QuizState& quiz, const ui::Event& event) {
    if ((quiz.quizMode != 2 && quiz.quizMode != 3) || event.code != ui::notifyClicked)
        return 0;
    if (event.id > playButtonBase && event.id <= playButtonBase + maxQuestions)
        playQuestionClip(quiz, event.id - playButtonBase);
    else if (event.id > stopButtonBase && event.id <= stopButtonBase + maxQuestions)
        stopCurrentClip();
    return 0;
}

} // namespace

int numberLabelId(const QuizState& quiz, int question) {
    return quiz.quizMode == 0 ? numberLabelBase : numberLabelBase + question;
}

int answerEditId(const QuizState& quiz, int question, int answer) {
    if (quiz.quizMode == 0)
        return answerEditBase + question;
    return answerEditBase + answersOf(quiz) * (question - 1) + answer;
}

ui::Result questionPaneProc(ui::WindowHandle pane, const ui::Event& event) {
    QuizState* quiz = currentQuiz();
    switch (event.kind) {
    case ui::EventKind::InitDialog: buildBlocks(pane, *quiz); return 1;
    case ui::EventKind::ColourStatic: return answerColour(*quiz, event.control, event);
    case ui::EventKind::ColourDialog: event.colour->brush = quiz->backgroundBrush; return 1;
    case ui::EventKind::Size: return resizeQuestionPane(*quiz, pane);
    case ui::EventKind::VScroll: return scrollVertically(pane, event);
    case ui::EventKind::HScroll: return scrollHorizontally(pane, event);
    case ui::EventKind::MouseWheel: return wheelInQuestionPane(pane, event);
    case ui::EventKind::Command: return clipButton(*quiz, event);
    case ui::EventKind::Close:
    case ui::EventKind::Destroy:
        if (successBrush != nullptr)
            closePane(pane, *quiz);
        return 0;
    default: return 0;
    }
}
