#include "shell/header_pane.h"

#include "content/progress.h"
#include "shell/layout.h"
#include "shell/startup.h"

#include <cstdio>

namespace {

constexpr uint32_t shown = ui::style::child | ui::style::visible;

// The link label's text colour on the header brush.
constexpr ui::Colour linkColour = ui::rgb(50, 50, 255);
constexpr ui::Colour headerColour = ui::rgb(128, 128, 255);

// Owned by the pane from its initialisation to its destruction.
ui::BrushHandle headerBrush = nullptr;
ui::FontHandle linkFont = nullptr;

ui::WindowHandle addControl(ui::WindowHandle pane, ui::ControlKind kind, int id, const char* text,
                            uint32_t styleBits, int x, int y, int width, int height) {
    return ui::createControl(pane, kind, id, text, shown | styleBits, x, y, width, height);
}

void setGuiFont(ui::WindowHandle control) {
    ui::setFont(control, ui::stockGuiFont(), true);
}

void buildHeader(ui::WindowHandle pane, QuizState& quiz) {
    ui::WindowHandle link = addControl(pane, ui::ControlKind::Static, headerLinkId, quiz.linkText,
                                       ui::style::staticNotify, 736, 5, 115, 18);
    // Three quarters of the label's height, as a character height.
    ui::LogicalFont linkRecord;
    linkRecord.height = -(ui::clientRect(link).bottom * 3 / 4);
    linkRecord.weight = 400;
    linkRecord.underline = true;
    linkFont = ui::createFont(linkRecord);
    ui::setFont(link, linkFont, false);
    ui::setHandCursor(link);

    setGuiFont(addControl(pane, ui::ControlKind::Static, headerById, "Par :", ui::style::staticLeft,
                          736, 25, 27, 18));
    setGuiFont(addControl(pane, ui::ControlKind::Static, headerAuthorId, quiz.author,
                          ui::style::staticLeft, 763, 25, 85, 18));
    if (quiz.quizMode == 1) {
        setGuiFont(addControl(pane, ui::ControlKind::Button, headerHideId, "Cacher",
                              ui::style::buttonAutoCheckBox, 666, 5, 65, 18));
    }
    setGuiFont(addControl(pane, ui::ControlKind::Button, headerSaveId, "Sauver",
                          ui::style::buttonPush, 666, 25, 55, 18));
    setGuiFont(addControl(pane, ui::ControlKind::Static, headerExplanationId, quiz.explanation,
                          ui::style::staticLeft, 110, 19, 490, 27));
    ui::WindowHandle title = addControl(pane, ui::ControlKind::Static, headerTitleId, quiz.title,
                                        ui::style::staticLeft, 110, 3, 190, 18);
    ui::setFont(title, quiz.titleFont, false);
    setGuiFont(addControl(pane, ui::ControlKind::Static, headerCodeLabelId,
                          " Code :", ui::style::staticLeft, 7, 29, 36, 15));

    char score[32];
    std::snprintf(score, sizeof score, " 0 / %d", quiz.questionCount);
    ui::WindowHandle scoreLabel = addControl(pane, ui::ControlKind::Static, headerScoreId, score,
                                             ui::style::staticCenter, 10, 1, 80, 20);
    ui::setFont(scoreLabel, quiz.scoreFont, false);
    setGuiFont(addControl(pane, ui::ControlKind::Edit, headerCodeId, "", ui::style::editReadOnly,
                          44, 29, 53, 16));

    addControl(pane, ui::ControlKind::Static, 120, "", ui::style::border, 0, 26, 100, 1);
    addControl(pane, ui::ControlKind::Static, 121, "", ui::style::border, 100, 0, 1, 50);
    addControl(pane, ui::ControlKind::Static, 122, "", ui::style::border, 730, 0, 1, 50);

    headerBrush = ui::createSolidBrush(headerColour);
}

// Places a control at the right-hand side; only some are repainted whole.
void place(ui::WindowHandle pane, int id, int x, int y, int width, int height, bool repaint) {
    ui::WindowHandle control = ui::findControl(pane, id);
    if (control == nullptr)
        return;
    ui::moveWindow(control, x, y, width, height);
    if (repaint)
        ui::invalidate(control);
}

// The title and explanation stretch with the pane; the right-hand controls
// keep their distance to its right edge.
void layoutHeader(ui::WindowHandle pane, int width) {
    place(pane, headerTitleId, 110, 3, width - 350, 18, false);
    place(pane, headerLinkId, width - 134, 0, 115, 18, false);
    place(pane, headerById, width - 134, 25, 26, 18, false);
    place(pane, headerAuthorId, width - 107, 25, 105, 18, true);
    place(pane, headerSaveId, width - 204, 25, 55, 18, true);
    place(pane, headerExplanationId, 110, 19, width - 324, 28, true);
    place(pane, 122, width - 145, 0, 1, 50, true);
    place(pane, headerHideId, width - 204, 0, 85, 18, true);
}

ui::Result answerColour(const ui::Event& event) {
    switch (event.id) {
    case headerLinkId:
        event.colour->transparentText = true;
        event.colour->hasTextColour = true;
        event.colour->textColour = linkColour;
        event.colour->brush = headerBrush;
        return 1;
    default:
        // The labels, the read-only code edit and the "Cacher" box.
        if (event.id < 20 || event.id > 33)
            return 0;
        event.colour->transparentText = true;
        event.colour->brush = headerBrush;
        return 1;
    }
}

} // namespace

ui::Result headerPaneProc(ui::WindowHandle pane, const ui::Event& event) {
    QuizState* quiz = currentQuiz();
    switch (event.kind) {
    case ui::EventKind::InitDialog: buildHeader(pane, *quiz); return 1;
    case ui::EventKind::Size: layoutHeader(pane, event.width); return 0;
    case ui::EventKind::Command:
        if (event.code != ui::notifyClicked)
            return 0;
        switch (event.id) {
        case headerLinkId: ui::openWithShell(quiz->linkText); return 0;
        case headerSaveId: saveProgress(*quiz); return 0;
        case headerHideId: applyHideSolved(*quiz); return 0;
        default: return 0;
        }
    case ui::EventKind::ColourStatic: return answerColour(event);
    case ui::EventKind::ColourDialog: event.colour->brush = headerBrush; return 1;
    case ui::EventKind::Destroy:
        ui::deleteBrush(headerBrush);
        ui::deleteFont(linkFont);
        headerBrush = nullptr;
        linkFont = nullptr;
        return 0;
    default: return 0;
    }
}
