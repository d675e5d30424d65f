// The header pane: score, reward code, title, explanation, author, link,
// "Sauver" and, in picture mode, "Cacher".
#pragma once

#include "platform/ui.h"

constexpr int headerPaneTemplate = 1002;

// Controls of the header pane.
constexpr int headerLinkId = 24;
constexpr int headerById = 25;
constexpr int headerAuthorId = 26;
constexpr int headerSaveId = 27;
constexpr int headerExplanationId = 28;
constexpr int headerTitleId = 29;
constexpr int headerCodeId = 30;
constexpr int headerCodeLabelId = 31;
constexpr int headerScoreId = 32;
constexpr int headerHideId = 33;

ui::Result headerPaneProc(ui::WindowHandle pane, const ui::Event& event);
