// What the FLTK backend's files share beyond the seam: the media player
// (fltk_clip.cpp) draws into native windows that the windowing part
// (fltk_ui.cpp) places. Kept apart because the clip player needs X11's
// headers, whose Window and Font clash with the seam's.
#pragma once

#include "platform/ui.h"

class Fl_Window;

namespace fltk {

// The native window a video is drawn into for clip window clipWindow: made
// on the first request, it fills the clip window's inside and follows it as
// the pane scrolls, cut to the pane's client area so that it never covers
// the scroll bars. Null when clipWindow is not a live control of a pane.
Fl_Window* videoWindow(ui::WindowHandle clipWindow);

// Calls hook(data) when window is destroyed, before any of its native
// windows goes; one hook per window.
void whenDestroyed(ui::WindowHandle window, void (*hook)(void*), void* data);

} // namespace fltk
