// The windowing seam. The shell's windows and controls are addressed by
// parent and numeric identifier, and every window has one procedure that
// receives events and answers them, as a window procedure does. Backends:
// platform/win32 (the player's home), platform/fltk (Linux) and
// platform/memory (tests, no display). Texts are Windows-1252 bytes; a
// backend converts them at its own edge only.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ui {

// Opaque handles, defined by each backend.
struct Window;
struct Font;
struct Brush;
struct Bitmap;
struct Icon;
using WindowHandle = Window*;
using FontHandle = Font*;
using BrushHandle = Brush*;
using BitmapHandle = Bitmap*;
using IconHandle = Icon*;

// 0x00BBGGRR, the platform's colour reference.
using Colour = uint32_t;
constexpr Colour rgb(int red, int green, int blue) {
    return static_cast<Colour>(red & 0xFF) | static_cast<Colour>(green & 0xFF) << 8 |
           static_cast<Colour>(blue & 0xFF) << 16;
}
constexpr int redOf(Colour c) { return c & 0xFF; }
constexpr int greenOf(Colour c) { return (c >> 8) & 0xFF; }
constexpr int blueOf(Colour c) { return (c >> 16) & 0xFF; }

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};
constexpr int widthOf(const Rect& r) { return r.right - r.left; }
constexpr int heightOf(const Rect& r) { return r.bottom - r.top; }

// A logical-font record: a negative height asks for the character height,
// a positive one for the cell height; an empty face means the default face.
struct LogicalFont {
    int height = 0;
    int weight = 0;
    bool italic = false;
    bool underline = false;
    char faceName[32] = {};
};

enum class ControlKind { Static, Edit, Button };

// Style bits, with the platform's values so the Win32 backend passes them on.
namespace style {
constexpr uint32_t child = 0x40000000;
constexpr uint32_t visible = 0x10000000;
constexpr uint32_t border = 0x00800000;
constexpr uint32_t vScroll = 0x00200000;
constexpr uint32_t hScroll = 0x00100000;
constexpr uint32_t tabStop = 0x00010000;
// Static controls.
constexpr uint32_t staticLeft = 0x0000;
constexpr uint32_t staticCenter = 0x0001;
constexpr uint32_t staticRight = 0x0002;
constexpr uint32_t staticBitmap = 0x000E;
constexpr uint32_t staticNotify = 0x0100;
constexpr uint32_t staticCenterImage = 0x0200;
// Edit controls.
constexpr uint32_t editCenter = 0x0001;
constexpr uint32_t editAutoHScroll = 0x0080;
constexpr uint32_t editReadOnly = 0x0800;
// Buttons.
constexpr uint32_t buttonPush = 0x0000;
constexpr uint32_t buttonDefPush = 0x0001;
constexpr uint32_t buttonAutoCheckBox = 0x0003;
constexpr uint32_t buttonIcon = 0x0040;
} // namespace style

enum class EventKind {
    Create,         // a top-level window was made; children may be added
    InitDialog,     // a pane was made; it builds its controls
    Size,           // code: sizeRestored, sizeMinimized...; width, height: client size
    Close,          // the user asks to close the window
    Destroy,        // the window is going away
    Command,        // id: the control; code: the notification (clicked 0)
    KeyDown,        // code: virtual key
    KeyUp,          // code: virtual key
    SysKeyDown,     // code: virtual key pressed with Alt held
    Char,           // code: the character typed
    SetFocus,       // the window received the keyboard focus
    KillFocus,      // the window lost it
    VScroll,        // code: scroll code; position: thumb position
    HScroll,        // same, horizontally
    MouseWheel,     // code: wheel delta, signed
    ColourStatic,   // id: the static (or read-only) control asking; reply
    ColourDialog,   // the pane's own background; reply
    Quit,           // posted by postQuit; code: the exit code
};

constexpr int sizeRestored = 0;
constexpr int sizeMinimized = 1;
constexpr int sizeMaximized = 2;

constexpr int notifyClicked = 0;

// Scroll codes: the platform's, plus the system's private ones.
constexpr int scrollLineUp = 0;
constexpr int scrollLineDown = 1;
constexpr int scrollPageUp = 2;
constexpr int scrollPageDown = 3;
constexpr int scrollThumbPosition = 4;
constexpr int scrollThumbTrack = 5;
constexpr int scrollTop = 6;
constexpr int scrollBottom = 7;
constexpr int scrollEnd = 8;

// Virtual keys used by the shell.
constexpr int keyTab = 0x09;
constexpr int keyReturn = 0x0D;
constexpr int keyPrior = 0x21;
constexpr int keyNext = 0x22;
constexpr int keyUp = 0x26;
constexpr int keyDown = 0x28;
constexpr int keyF1 = 0x70;
constexpr int keyF2 = 0x71;

// The answer to a colour request: a brush to paint the box with, and how to
// draw the text on it. A procedure that fills it returns 1; one that
// returns 0 leaves the platform's default colours.
struct ColourReply {
    BrushHandle brush = nullptr;
    bool transparentText = false;
    bool hasTextColour = false;
    Colour textColour = 0;
};

struct Event {
    EventKind kind = EventKind::Create;
    int code = 0;
    int id = 0;
    int position = 0;
    int width = 0;
    int height = 0;
    WindowHandle control = nullptr;
    ColourReply* colour = nullptr;
};

using Result = intptr_t;
using Procedure = Result (*)(WindowHandle window, const Event& event);

// --- Top-level window and panes -------------------------------------------

// False when the class cannot be registered.
bool registerWindowClass(const char* className, Procedure procedure);
// A top-level window of the registered class, outer size width × height at
// the default position, not shown yet. Its procedure gets Create first.
WindowHandle createMainWindow(const char* className, const char* caption, int width, int height);
// A modeless child pane from the dialog template templateId (1001 or 1002),
// not visible; its procedure gets InitDialog before this returns.
WindowHandle createPane(WindowHandle parent, int templateId, Procedure procedure);
void destroyWindow(WindowHandle window);
// The large icon of a top-level window, from the system's stock icons.
enum class StockIcon { Application, Question };
void setLargeIcon(WindowHandle window, StockIcon icon);

// --- Controls -------------------------------------------------------------

WindowHandle createControl(WindowHandle parent, ControlKind kind, int id, const char* text,
                           uint32_t styleBits, int x, int y, int width, int height);
// The first child of parent with that identifier, or null.
WindowHandle findControl(WindowHandle parent, int id);
int controlId(WindowHandle window);
WindowHandle parentOf(WindowHandle window);

void setText(WindowHandle window, const char* text);
// Copies at most capacity - 1 bytes and a terminating zero; returns the
// length copied. A null window gives the empty text.
int getText(WindowHandle window, char* buffer, int capacity);

void setEditLimit(WindowHandle edit, int characters);
void setEditSelection(WindowHandle edit, int from, int to);
bool isChecked(WindowHandle checkBox);
// Shows the player's own icon resource iconId (1004 play, 1005 stop) on a
// button made with buttonIcon, in place of a text.
void setButtonIcon(WindowHandle button, int iconId);

// --- Geometry and visibility ---------------------------------------------

// The first time a top-level window is shown it receives Size, so that it
// lays out its children.
void showWindow(WindowHandle window, bool show);
bool isVisible(WindowHandle window);
// Outer rectangle in screen coordinates.
Rect windowRect(WindowHandle window);
Rect clientRect(WindowHandle window);
Rect desktopRect();
// Converts a point in screen coordinates to window's client coordinates.
void screenToClient(WindowHandle window, int& x, int& y);
void moveWindow(WindowHandle window, int x, int y, int width, int height);
void moveWindowTo(WindowHandle window, int x, int y);
void invalidate(WindowHandle window);

// --- Fonts, brushes, pictures ---------------------------------------------

FontHandle createFont(const LogicalFont& font);
FontHandle stockGuiFont(); // never deleted
void setFont(WindowHandle window, FontHandle font, bool redraw);
BrushHandle createSolidBrush(Colour colour);
Colour brushColour(BrushHandle brush);
void deleteFont(FontHandle font);
void deleteBrush(BrushHandle brush);
void setHandCursor(WindowHandle window);

// A device-independent bitmap: rows padded to 4 bytes, top row first when
// height is negative (bottom row first otherwise), 1, 4, 8, 24 or 32 bits
// per pixel; pixels of 24 and 32 bits are stored blue, green, red (, 0).
// Colour table entries are 0x00RRGGBB (bytes blue, green, red, 0 in memory).
struct BitmapInfo {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    uint32_t colours[256] = {}; // 2, 16 or 256 entries used, by bitsPerPixel
};
constexpr int bitmapRowBytes(int width, int bitsPerPixel) {
    return ((width * bitsPerPixel + 31) / 32) * 4;
}
// Null when the bitmap cannot be made; bits then stays null.
BitmapHandle createDibSection(const BitmapInfo& info, uint8_t*& bits);
void deleteBitmap(BitmapHandle bitmap);
// Width and height (positive) of a bitmap; false for a null handle.
bool bitmapSize(BitmapHandle bitmap, int& width, int& height);

// The bitmap a picture window (a static with staticBitmap) shows; setting
// one returns the one it replaced. The window does not own its bitmap.
BitmapHandle setStaticBitmap(WindowHandle window, BitmapHandle bitmap);
BitmapHandle staticBitmap(WindowHandle window);

// The platform's picture loader: a whole JPEG, GIF (its first frame) or BMP
// file made into a new bitmap of the picture's own size, owned by the
// caller. Null, silently, for bytes it cannot read; PNG files are never read
// here, they go to the player's own decoder. A platform that can read a
// picture but not copy it into a bitmap says so itself before giving null.
BitmapHandle decodePicture(const uint8_t* bytes, size_t size);
// A new bitmap of width × height holding source's picture stretched over
// it, as the screen's halftone stretch does: reductions average, and
// enlargements are smooth. Source stays the caller's. Null for a null
// source or a bitmap that cannot be made.
BitmapHandle stretchBitmap(BitmapHandle source, int width, int height);

// --- Scroll bars ----------------------------------------------------------

enum class ScrollBar { Horizontal, Vertical };
struct ScrollInfo {
    int minimum = 0;
    int maximum = 0;
    int page = 0;
    int position = 0;
    int trackPosition = 0;
};
ScrollInfo scrollInfo(WindowHandle window, ScrollBar bar);
// Sets range and page; a bar that cannot scroll stays, disabled.
void setScrollRange(WindowHandle window, ScrollBar bar, int minimum, int maximum, int page,
                    bool redraw);
// The bar limits the position to maximum - page + 1; returns what it holds.
int setScrollPosition(WindowHandle window, ScrollBar bar, int position, bool redraw);
int scrollPosition(WindowHandle window, ScrollBar bar);
// Moves every child of window by dx, dy.
void scrollWindow(WindowHandle window, int dx, int dy);

// --- Events, focus, procedures --------------------------------------------

Result sendEvent(WindowHandle window, const Event& event);
void postEvent(WindowHandle window, const Event& event);
void setFocus(WindowHandle window);
WindowHandle focusedWindow();

// Puts procedure in place of the control's own and returns the one it
// replaced, to be called with callProcedure for everything not consumed.
Procedure subclassControl(WindowHandle control, Procedure procedure);
Result callProcedure(Procedure previous, WindowHandle window, const Event& event);
// What the platform does with an event a window does not handle.
Result defaultProcedure(WindowHandle window, const Event& event);

// Runs until postQuit; pane receives the dialog keyboard handling (Tab
// between its controls). Returns the exit code given to postQuit.
int runMessageLoop(WindowHandle pane);
void postQuit(int exitCode);

// --- Shell services -------------------------------------------------------

enum class MessageIcon { None, Information, Error };
// A message box without an owner window and with an OK button.
void messageBox(const char* text, const char* caption, MessageIcon icon = MessageIcon::None);
// Opens text with the desktop's default handler (the verb "open").
void openWithShell(const char* text);

} // namespace ui
