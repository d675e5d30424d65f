// The in-memory windowing backend: windows are records, events are calls,
// and nothing is drawn. Tests drive the whole shell through it and read back
// what a person would see: texts, places, styles, fonts and visibility.
#pragma once

#include "platform/ui.h"

#include <string>
#include <utility>
#include <vector>

namespace memory {

// Frame of a top-level window (outer minus client), as a classic desktop
// draws it, and the width of a scroll bar.
constexpr int frameLeft = 8;
constexpr int frameTop = 31;
constexpr int frameRight = 8;
constexpr int frameBottom = 8;
constexpr int scrollBarSize = 17;

struct MessageRecord {
    std::string text;
    std::string caption;
    ui::MessageIcon icon;
};

// Ends every window, silently as at the end of a process, and forgets classes, messages, links, posted events
// and fonts, brushes and bitmaps still alive, and the media host's players
// (memory_clip.h). Tests call it between cases.
void reset();

const std::vector<MessageRecord>& messages();
const std::vector<std::string>& openedLinks();

// Objects created and not yet deleted.
int liveFonts();
int liveBrushes();
int liveBitmaps();

// Makes the next registerWindowClass fail.
void failNextRegistration();
// Makes the next bitmap creation fail, as when memory runs out.
void failNextBitmap();
void setDesktop(const ui::Rect& desktop);

// Posted events not yet dispatched, and dispatching them (as the message
// loop would) until none is left or a quit arrives. Returns the number run.
int pendingEvents();
// The posted events not yet dispatched that are addressed to window.
std::vector<ui::Event> postedTo(ui::WindowHandle window);
int dispatchPosted();

// What a control is made of.
ui::ControlKind kindOf(ui::WindowHandle window);
uint32_t styleOf(ui::WindowHandle window);
ui::FontHandle fontOf(ui::WindowHandle window);
// Place relative to the parent's client area: left, top, right, bottom.
ui::Rect placementOf(ui::WindowHandle window);
int editLimitOf(ui::WindowHandle window);
// The selected part of an edit's text: from, to.
std::pair<int, int> selectionOf(ui::WindowHandle edit);
bool hasHandCursor(ui::WindowHandle window);
// The icon resource a button shows (setButtonIcon), 0 for none.
int buttonIconOf(ui::WindowHandle button);
ui::StockIcon largeIconOf(ui::WindowHandle window);
int templateOf(ui::WindowHandle pane);
std::vector<ui::WindowHandle> childrenOf(ui::WindowHandle parent);
std::vector<ui::WindowHandle> topLevelWindows();
bool isLive(ui::WindowHandle window);

// Ticks or clears a check box, as the user's click does before the box
// tells its parent.
void setChecked(ui::WindowHandle checkBox, bool checked);

// The record a font was made from; stock font: isStockFont.
ui::LogicalFont logicalFontOf(ui::FontHandle font);
bool isStockFont(ui::FontHandle font);

uint8_t* bitmapBits(ui::BitmapHandle bitmap);
ui::BitmapInfo bitmapInfoOf(ui::BitmapHandle bitmap);

// Asks window's parent for the colours of window, as painting it would.
// Returns false when the parent leaves the platform's defaults.
bool colourOf(ui::WindowHandle window, ui::ColourReply& reply);

} // namespace memory
