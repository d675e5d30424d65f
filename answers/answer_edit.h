// The keyboard of the answer edits: judging on Enter and on leaving an
// edit, keeping the edit reached with Tab in view, F1 and F2.
#pragma once

#include "platform/ui.h"

// Puts answerEditProc on an answer edit; the procedure it replaces goes to
// the one slot shared by all answer edits.
void installAnswerEditProc(ui::WindowHandle edit);

ui::Result answerEditProc(ui::WindowHandle edit, const ui::Event& event);

// F1: tries the edit's text in every answer not yet right, then comes back.
void spreadAnswer(ui::WindowHandle edit);
