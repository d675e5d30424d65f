// The Win32 backend: the windowing seam carried out with the system's own
// windows, dialogs and controls. The seam's handles are the system's handles
// (HWND, HFONT, HBRUSH, HBITMAP) under other names. A window with a seam
// procedure keeps it in a window property; one window procedure per kind of
// window (frame, pane, subclassed control) turns the system's messages into
// seam events, and sendEvent and postEvent turn events back into messages.
// Texts are passed to the ANSI functions as they are: they already are in
// the system's code page.
#include "platform/ui.h"

#include <windows.h>

#include <shellapi.h>

#include <climits>
#include <cstring>
#include <map>
#include <string>

namespace {

using namespace ui;

HWND hwndOf(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}
WindowHandle handleOf(HWND window) {
    return reinterpret_cast<WindowHandle>(window);
}
HFONT hfontOf(FontHandle font) {
    return reinterpret_cast<HFONT>(font);
}
HBRUSH hbrushOf(BrushHandle brush) {
    return reinterpret_cast<HBRUSH>(brush);
}
HBITMAP hbitmapOf(BitmapHandle bitmap) {
    return reinterpret_cast<HBITMAP>(bitmap);
}

HINSTANCE programInstance() {
    return GetModuleHandleA(nullptr);
}

bool isWindow(WindowHandle window) {
    return window != nullptr && IsWindow(hwndOf(window));
}

// Window properties tying a window to the seam: its procedure, what kind of
// window it is, the control's own window procedure once it is subclassed,
// the cursor over a control, and whether a frame was ever shown.
constexpr const char* procedureProperty = "Zorbe.Procedure";
constexpr const char* roleProperty = "Zorbe.Role";
constexpr const char* ownProcedureProperty = "Zorbe.OwnProcedure";
constexpr const char* cursorProperty = "Zorbe.Cursor";
constexpr const char* shownProperty = "Zorbe.Shown";

// Controls carry no role: only frames and panes are marked.
enum class Role : intptr_t { Control = 0, Frame = 1, Pane = 2 };

constexpr int handCursorId = 1003;

Procedure procedureOf(HWND window) {
    return reinterpret_cast<Procedure>(GetPropA(window, procedureProperty));
}

void setProcedure(HWND window, Procedure procedure) {
    SetPropA(window, procedureProperty, reinterpret_cast<HANDLE>(procedure));
}

Role roleOf(HWND window) {
    return static_cast<Role>(reinterpret_cast<intptr_t>(GetPropA(window, roleProperty)));
}

void setRole(HWND window, Role role) {
    SetPropA(window, roleProperty, reinterpret_cast<HANDLE>(static_cast<intptr_t>(role)));
}

WNDPROC ownProcedureOf(HWND window) {
    return reinterpret_cast<WNDPROC>(GetPropA(window, ownProcedureProperty));
}

// Properties must be gone before the window is.
void forgetWindow(HWND window) {
    for (const char* property :
         {procedureProperty, roleProperty, ownProcedureProperty, cursorProperty, shownProperty})
        RemovePropA(window, property);
}

// Procedures registered with their window class; the frame receives its
// procedure through the creation parameter.
std::map<std::string, Procedure>& windowClasses() {
    static std::map<std::string, Procedure> classes;
    return classes;
}

// --- Messages and events ---------------------------------------------------

// The system message an event was made from, for as long as the event's
// procedure runs. The platform's own handling of an event passed on then
// gets the message itself, with what the event does not carry (repeat
// counts, scan codes, the device context of a colour request).
struct RawMessage {
    const Event* event;
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    const RawMessage* outer;
};
const RawMessage* innermostMessage = nullptr;

const RawMessage* rawMessageOf(const Event& event, HWND window) {
    for (const RawMessage* raw = innermostMessage; raw != nullptr; raw = raw->outer) {
        if (raw->event == &event && raw->window == window)
            return raw;
    }
    return nullptr;
}

Result runProcedure(Procedure procedure, HWND window, const Event& event, UINT message,
                    WPARAM wParam, LPARAM lParam) {
    RawMessage raw{&event, window, message, wParam, lParam, innermostMessage};
    innermostMessage = &raw;
    Result result = procedure(handleOf(window), event);
    innermostMessage = raw.outer;
    return result;
}

// Which messages each kind of window hands to its seam procedure; the
// others go straight to the system's handling. Panes leave focus and keys to
// the dialog manager; subclassed controls see only keys, focus and scrolling.
bool toEvent(Role role, UINT message, WPARAM wParam, LPARAM lParam, Event& event) {
    const bool frame = role == Role::Frame;
    const bool pane = role == Role::Pane;
    const bool control = role == Role::Control;
    switch (message) {
    case WM_CREATE: event.kind = EventKind::Create; return frame;
    case WM_INITDIALOG: event.kind = EventKind::InitDialog; return pane;
    case WM_SIZE:
        event.kind = EventKind::Size;
        event.code = static_cast<int>(wParam);
        event.width = LOWORD(lParam);
        event.height = HIWORD(lParam);
        return frame || pane;
    case WM_CLOSE: event.kind = EventKind::Close; return frame || pane;
    case WM_DESTROY: event.kind = EventKind::Destroy; return true;
    case WM_COMMAND:
        event.kind = EventKind::Command;
        event.id = LOWORD(wParam);
        event.code = HIWORD(wParam);
        event.control = handleOf(reinterpret_cast<HWND>(lParam));
        return frame || pane;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
        event.kind = message == WM_KEYDOWN ? EventKind::KeyDown
                     : message == WM_KEYUP ? EventKind::KeyUp
                     : message == WM_CHAR  ? EventKind::Char
                                           : EventKind::SysKeyDown;
        event.code = static_cast<int>(wParam);
        return frame || control;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        event.kind = message == WM_SETFOCUS ? EventKind::SetFocus : EventKind::KillFocus;
        return frame || control;
    case WM_VSCROLL:
    case WM_HSCROLL:
        // The private codes 500 to 502 fit the low word as the platform's do.
        event.kind = message == WM_VSCROLL ? EventKind::VScroll : EventKind::HScroll;
        event.code = LOWORD(wParam);
        event.position = HIWORD(wParam);
        return true;
    case WM_MOUSEWHEEL:
        event.kind = EventKind::MouseWheel;
        event.code = GET_WHEEL_DELTA_WPARAM(wParam);
        return frame || pane;
    case WM_CTLCOLORSTATIC:
        event.kind = EventKind::ColourStatic;
        event.control = handleOf(reinterpret_cast<HWND>(lParam));
        event.id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        return frame || pane;
    case WM_CTLCOLORDLG: event.kind = EventKind::ColourDialog; return pane;
    default: return false;
    }
}

// Key messages carry a repeat count of 1; releases have the previous-state
// and transition bits set, and Alt presses the context bit, as typed keys do.
constexpr LPARAM keyPressBits = 1;
constexpr LPARAM keyReleaseBits = 1 | (LPARAM{1} << 30) | static_cast<LPARAM>(1u << 31);
constexpr LPARAM altPressBits = 1 | (LPARAM{1} << 29);

// The message an event stands for, when it has one. Events that exist only
// as calls (creation, colour requests, quitting) have none.
bool toMessage(const Event& event, UINT& message, WPARAM& wParam, LPARAM& lParam) {
    wParam = 0;
    lParam = 0;
    switch (event.kind) {
    case EventKind::Size:
        message = WM_SIZE;
        wParam = static_cast<WPARAM>(event.code);
        lParam = MAKELPARAM(event.width, event.height);
        return true;
    case EventKind::Close: message = WM_CLOSE; return true;
    case EventKind::Destroy: message = WM_DESTROY; return true;
    case EventKind::Command:
        message = WM_COMMAND;
        wParam = MAKEWPARAM(event.id, event.code);
        lParam = reinterpret_cast<LPARAM>(hwndOf(event.control));
        return true;
    case EventKind::KeyDown:
    case EventKind::KeyUp:
    case EventKind::SysKeyDown:
    case EventKind::Char:
        message = event.kind == EventKind::KeyDown ? WM_KEYDOWN
                  : event.kind == EventKind::KeyUp ? WM_KEYUP
                  : event.kind == EventKind::Char  ? WM_CHAR
                                                   : WM_SYSKEYDOWN;
        wParam = static_cast<WPARAM>(event.code);
        lParam = event.kind == EventKind::KeyUp        ? keyReleaseBits
                 : event.kind == EventKind::SysKeyDown ? altPressBits
                                                       : keyPressBits;
        return true;
    case EventKind::SetFocus: message = WM_SETFOCUS; return true;
    case EventKind::KillFocus: message = WM_KILLFOCUS; return true;
    case EventKind::VScroll:
    case EventKind::HScroll:
        message = event.kind == EventKind::VScroll ? WM_VSCROLL : WM_HSCROLL;
        wParam = MAKEWPARAM(event.code, event.position);
        return true;
    case EventKind::MouseWheel:
        message = WM_MOUSEWHEEL;
        wParam = MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(event.code)));
        return true;
    default: return false;
    }
}

// What a colour reply does to the control's painting. Opaque text gets the
// box's own colour behind it, so that the box looks all of one colour.
HBRUSH applyColours(HDC dc, const ColourReply& reply) {
    if (reply.transparentText)
        SetBkMode(dc, TRANSPARENT);
    else
        SetBkColor(dc, brushColour(reply.brush));
    if (reply.hasTextColour)
        SetTextColor(dc, reply.textColour);
    return hbrushOf(reply.brush);
}

bool isColourEvent(const Event& event) {
    return event.kind == EventKind::ColourStatic || event.kind == EventKind::ColourDialog;
}

// The hand over a control that asked for it (setHandCursor). The parent is
// asked first by the control's default handling, so one answer serves every
// control of every window.
bool showControlCursor(WPARAM wParam, LPARAM lParam) {
    HWND under = reinterpret_cast<HWND>(wParam);
    HANDLE cursor = GetPropA(under, cursorProperty);
    if (cursor == nullptr || LOWORD(lParam) != HTCLIENT)
        return false;
    SetCursor(static_cast<HCURSOR>(cursor));
    return true;
}

// --- The three window procedures ------------------------------------------

// Top-level windows of a registered class.
LRESULT CALLBACK frameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* creation = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetPropA(window, procedureProperty, static_cast<HANDLE>(creation->lpCreateParams));
        setRole(window, Role::Frame);
    }
    if (message == WM_SETCURSOR && showControlCursor(wParam, lParam))
        return TRUE;
    if (message == WM_NCDESTROY) {
        forgetWindow(window);
        return DefWindowProcA(window, message, wParam, lParam);
    }
    Procedure procedure = procedureOf(window);
    Event event;
    if (procedure == nullptr || !toEvent(Role::Frame, message, wParam, lParam, event))
        return DefWindowProcA(window, message, wParam, lParam);
    ColourReply reply;
    if (isColourEvent(event))
        event.colour = &reply;
    Result result = runProcedure(procedure, window, event, message, wParam, lParam);
    if (isColourEvent(event)) {
        if (result != 0 && reply.brush != nullptr)
            return reinterpret_cast<LRESULT>(applyColours(reinterpret_cast<HDC>(wParam), reply));
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return result;
}

// Modeless panes made from dialog templates. An event the pane's procedure
// received counts as handled: the dialog manager's default is not run after
// it (a wheel turn it has answered must not climb on to the frame). Only the
// destruction is left to the dialog manager too, which cleans up after it.
INT_PTR CALLBACK paneProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetPropA(window, procedureProperty, reinterpret_cast<HANDLE>(lParam));
        setRole(window, Role::Pane);
    }
    if (message == WM_SETCURSOR && showControlCursor(wParam, lParam)) {
        SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    if (message == WM_NCDESTROY) {
        forgetWindow(window);
        return FALSE;
    }
    Procedure procedure = procedureOf(window);
    Event event;
    if (procedure == nullptr || !toEvent(Role::Pane, message, wParam, lParam, event))
        return FALSE;
    ColourReply reply;
    if (isColourEvent(event))
        event.colour = &reply;
    Result result = runProcedure(procedure, window, event, message, wParam, lParam);
    switch (event.kind) {
    case EventKind::InitDialog: return result != 0 ? TRUE : FALSE;
    case EventKind::ColourStatic:
    case EventKind::ColourDialog:
        if (result != 0 && reply.brush != nullptr)
            return reinterpret_cast<INT_PTR>(applyColours(reinterpret_cast<HDC>(wParam), reply));
        return FALSE;
    case EventKind::Destroy: return FALSE;
    default: SetWindowLongPtrA(window, DWLP_MSGRESULT, result); return TRUE;
    }
}

// Controls whose seam procedure replaced their own (subclassControl).
LRESULT CALLBACK subclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC own = ownProcedureOf(window);
    if (own == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The control's own procedure finishes its destruction as usual.
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
        forgetWindow(window);
        return CallWindowProcA(own, window, message, wParam, lParam);
    }
    Procedure procedure = procedureOf(window);
    Event event;
    if (procedure == nullptr || !toEvent(Role::Control, message, wParam, lParam, event))
        return CallWindowProcA(own, window, message, wParam, lParam);
    return runProcedure(procedure, window, event, message, wParam, lParam);
}

// What subclassControl gives back the first time: the control's own
// handling, reached through defaultProcedure.
Result builtInProcedure(WindowHandle window, const Event& event) {
    return defaultProcedure(window, event);
}

constexpr int scrollBarOf(ScrollBar bar) {
    return bar == ScrollBar::Vertical ? SB_VERT : SB_HORZ;
}

} // namespace

namespace ui {

// --- Top-level window and panes -------------------------------------------

bool registerWindowClass(const char* className, Procedure procedure) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = frameProcedure;
    windowClass.hInstance = programInstance();
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground =
        reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_SCROLLBAR + 1));
    windowClass.lpszClassName = className;
    if (RegisterClassExA(&windowClass) == 0)
        return false;
    windowClasses()[className] = procedure;
    return true;
}

WindowHandle createMainWindow(const char* className, const char* caption, int width, int height) {
    auto found = windowClasses().find(className);
    if (found == windowClasses().end())
        return nullptr;
    HWND window = CreateWindowExA(0, className, caption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, width, height, nullptr, nullptr, programInstance(),
                                  reinterpret_cast<void*>(found->second));
    return handleOf(window);
}

WindowHandle createPane(WindowHandle parent, int templateId, Procedure procedure) {
    if (!isWindow(parent))
        return nullptr;
    HWND pane = CreateDialogParamA(programInstance(), MAKEINTRESOURCEA(templateId), hwndOf(parent),
                                   paneProcedure, reinterpret_cast<LPARAM>(procedure));
    return handleOf(pane);
}

void destroyWindow(WindowHandle window) {
    if (isWindow(window))
        DestroyWindow(hwndOf(window));
}

void setLargeIcon(WindowHandle window, StockIcon icon) {
    if (!isWindow(window))
        return;
    HICON stock = LoadIconA(nullptr, icon == StockIcon::Question ? IDI_QUESTION : IDI_APPLICATION);
    SendMessageA(hwndOf(window), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(stock));
}

// --- Controls -------------------------------------------------------------

WindowHandle createControl(WindowHandle parent, ControlKind kind, int id, const char* text,
                           uint32_t styleBits, int x, int y, int width, int height) {
    if (!isWindow(parent))
        return nullptr;
    const char* className = kind == ControlKind::Edit     ? "Edit"
                            : kind == ControlKind::Button ? "Button"
                                                          : "Static";
    HWND control = CreateWindowExA(
        0, className, text ? text : "", styleBits, x, y, width, height, hwndOf(parent),
        reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), programInstance(), nullptr);
    return handleOf(control);
}

WindowHandle findControl(WindowHandle parent, int id) {
    if (!isWindow(parent))
        return nullptr;
    return handleOf(GetDlgItem(hwndOf(parent), id));
}

int controlId(WindowHandle window) {
    return isWindow(window) ? GetDlgCtrlID(hwndOf(window)) : 0;
}

WindowHandle parentOf(WindowHandle window) {
    return isWindow(window) ? handleOf(GetParent(hwndOf(window))) : nullptr;
}

void setText(WindowHandle window, const char* text) {
    if (isWindow(window))
        SetWindowTextA(hwndOf(window), text ? text : "");
}

int getText(WindowHandle window, char* buffer, int capacity) {
    if (capacity <= 0)
        return 0;
    buffer[0] = '\0';
    if (!isWindow(window))
        return 0;
    return GetWindowTextA(hwndOf(window), buffer, capacity);
}

void setEditLimit(WindowHandle edit, int characters) {
    if (isWindow(edit))
        SendMessageA(hwndOf(edit), EM_LIMITTEXT, static_cast<WPARAM>(characters), 0);
}

void setEditSelection(WindowHandle edit, int from, int to) {
    if (isWindow(edit))
        SendMessageA(hwndOf(edit), EM_SETSEL, static_cast<WPARAM>(from), static_cast<LPARAM>(to));
}

bool isChecked(WindowHandle checkBox) {
    return isWindow(checkBox) && SendMessageA(hwndOf(checkBox), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Icons from the program's resources are shared and never destroyed, so the
// button may keep showing one as long as it lives.
void setButtonIcon(WindowHandle button, int iconId) {
    if (!isWindow(button))
        return;
    HICON icon = LoadIconA(programInstance(), MAKEINTRESOURCEA(iconId));
    SendMessageA(hwndOf(button), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
}

// --- Geometry and visibility ---------------------------------------------

void showWindow(WindowHandle window, bool show) {
    if (!isWindow(window))
        return;
    HWND hwnd = hwndOf(window);
    ShowWindow(hwnd, show ? SW_SHOWNORMAL : SW_HIDE);
    // Whether the first showing sends a size notification depends on how
    // the frame was created; the layout must happen either way.
    if (show && roleOf(hwnd) == Role::Frame && GetPropA(hwnd, shownProperty) == nullptr) {
        SetPropA(hwnd, shownProperty, reinterpret_cast<HANDLE>(1));
        RECT client;
        GetClientRect(hwnd, &client);
        SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    }
}

bool isVisible(WindowHandle window) {
    return isWindow(window) && IsWindowVisible(hwndOf(window));
}

Rect windowRect(WindowHandle window) {
    RECT r = {};
    if (isWindow(window))
        GetWindowRect(hwndOf(window), &r);
    return {r.left, r.top, r.right, r.bottom};
}

Rect clientRect(WindowHandle window) {
    RECT r = {};
    if (isWindow(window))
        GetClientRect(hwndOf(window), &r);
    return {r.left, r.top, r.right, r.bottom};
}

Rect desktopRect() {
    RECT r = {};
    GetWindowRect(GetDesktopWindow(), &r);
    return {r.left, r.top, r.right, r.bottom};
}

void screenToClient(WindowHandle window, int& x, int& y) {
    if (!isWindow(window))
        return;
    POINT point = {x, y};
    ScreenToClient(hwndOf(window), &point);
    x = point.x;
    y = point.y;
}

// A window placed with its size comes to the top of its siblings. Siblings
// are painted from the top down, so of two that overlap the one placed
// first paints last and stays whole: the header's link over the end of the
// "Cacher" box placed after it.
void moveWindow(WindowHandle window, int x, int y, int width, int height) {
    if (isWindow(window))
        SetWindowPos(hwndOf(window), HWND_TOP, x, y, width, height,
                     SWP_NOOWNERZORDER | SWP_NOACTIVATE);
}

void moveWindowTo(WindowHandle window, int x, int y) {
    if (isWindow(window))
        SetWindowPos(hwndOf(window), nullptr, x, y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void invalidate(WindowHandle window) {
    if (isWindow(window))
        InvalidateRect(hwndOf(window), nullptr, FALSE);
}

// --- Fonts, brushes ---------------------------------------------------------

FontHandle createFont(const LogicalFont& font) {
    LOGFONTA record = {};
    record.lfHeight = font.height;
    record.lfWeight = font.weight;
    record.lfItalic = font.italic ? TRUE : FALSE;
    record.lfUnderline = font.underline ? TRUE : FALSE;
    static_assert(sizeof record.lfFaceName == sizeof font.faceName);
    std::memcpy(record.lfFaceName, font.faceName, sizeof record.lfFaceName);
    record.lfFaceName[sizeof record.lfFaceName - 1] = '\0';
    return reinterpret_cast<FontHandle>(CreateFontIndirectA(&record));
}

FontHandle stockGuiFont() {
    return reinterpret_cast<FontHandle>(GetStockObject(DEFAULT_GUI_FONT));
}

void setFont(WindowHandle window, FontHandle font, bool redraw) {
    if (isWindow(window))
        SendMessageA(hwndOf(window), WM_SETFONT, reinterpret_cast<WPARAM>(hfontOf(font)),
                     redraw ? TRUE : FALSE);
}

BrushHandle createSolidBrush(Colour colour) {
    return reinterpret_cast<BrushHandle>(CreateSolidBrush(colour));
}

Colour brushColour(BrushHandle brush) {
    LOGBRUSH record = {};
    if (brush == nullptr || GetObjectA(hbrushOf(brush), sizeof record, &record) == 0)
        return 0;
    return record.lbColor;
}

// Stock objects ignore deletion, so the stock font needs no exception.
void deleteFont(FontHandle font) {
    if (font != nullptr)
        DeleteObject(hfontOf(font));
}

void deleteBrush(BrushHandle brush) {
    if (brush != nullptr)
        DeleteObject(hbrushOf(brush));
}

void setHandCursor(WindowHandle window) {
    if (!isWindow(window))
        return;
    // A cursor from the program's resources is shared and never destroyed.
    HCURSOR hand = LoadCursorA(programInstance(), MAKEINTRESOURCEA(handCursorId));
    if (hand != nullptr)
        SetPropA(hwndOf(window), cursorProperty, hand);
}

// --- Bitmaps ----------------------------------------------------------------

BitmapHandle createDibSection(const BitmapInfo& info, uint8_t*& bits) {
    bits = nullptr;
    const int depth = info.bitsPerPixel;
    if (info.width <= 0 || info.height == 0 || info.height == INT_MIN ||
        (depth != 1 && depth != 4 && depth != 8 && depth != 24 && depth != 32))
        return nullptr;
    const int64_t rows = info.height < 0 ? -static_cast<int64_t>(info.height) : info.height;
    const int64_t rowBytes = (static_cast<int64_t>(info.width) * depth + 31) / 32 * 4;
    if (rowBytes * rows > INT_MAX)
        return nullptr;
    // The header and a full colour table, as the system reads them.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } record = {};
    const int colourCount = depth <= 8 ? 1 << depth : 0;
    record.header.biSize = sizeof record.header;
    record.header.biWidth = info.width;
    record.header.biHeight = info.height;
    record.header.biPlanes = 1;
    record.header.biBitCount = static_cast<WORD>(depth);
    record.header.biCompression = BI_RGB;
    record.header.biClrUsed = static_cast<DWORD>(colourCount);
    static_assert(sizeof(RGBQUAD) == sizeof info.colours[0]);
    std::memcpy(record.colours, info.colours, sizeof(RGBQUAD) * colourCount);
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&record),
                                      DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (bitmap == nullptr || pixels == nullptr) {
        if (bitmap != nullptr)
            DeleteObject(bitmap);
        return nullptr;
    }
    bits = static_cast<uint8_t*>(pixels);
    return reinterpret_cast<BitmapHandle>(bitmap);
}

void deleteBitmap(BitmapHandle bitmap) {
    if (bitmap != nullptr)
        DeleteObject(hbitmapOf(bitmap));
}

bool bitmapSize(BitmapHandle bitmap, int& width, int& height) {
    BITMAP record = {};
    if (bitmap == nullptr || GetObjectA(hbitmapOf(bitmap), sizeof record, &record) == 0)
        return false;
    width = record.bmWidth;
    height = record.bmHeight < 0 ? -record.bmHeight : record.bmHeight;
    return true;
}

BitmapHandle setStaticBitmap(WindowHandle window, BitmapHandle bitmap) {
    if (!isWindow(window))
        return nullptr;
    return reinterpret_cast<BitmapHandle>(SendMessageA(
        hwndOf(window), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(hbitmapOf(bitmap))));
}

BitmapHandle staticBitmap(WindowHandle window) {
    if (!isWindow(window))
        return nullptr;
    return reinterpret_cast<BitmapHandle>(
        SendMessageA(hwndOf(window), STM_GETIMAGE, IMAGE_BITMAP, 0));
}

// --- Scroll bars ----------------------------------------------------------

ScrollInfo scrollInfo(WindowHandle window, ScrollBar bar) {
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    if (!isWindow(window) || !GetScrollInfo(hwndOf(window), scrollBarOf(bar), &info))
        return {};
    return {info.nMin, info.nMax, static_cast<int>(info.nPage), info.nPos, info.nTrackPos};
}

void setScrollRange(WindowHandle window, ScrollBar bar, int minimum, int maximum, int page,
                    bool redraw) {
    if (!isWindow(window))
        return;
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL;
    info.nMin = minimum;
    info.nMax = maximum;
    info.nPage = static_cast<UINT>(page > 0 ? page : 0);
    SetScrollInfo(hwndOf(window), scrollBarOf(bar), &info, redraw ? TRUE : FALSE);
}

int setScrollPosition(WindowHandle window, ScrollBar bar, int position, bool redraw) {
    if (!isWindow(window))
        return 0;
    // SetScrollPos answers with the old position; the new one is read back.
    SetScrollPos(hwndOf(window), scrollBarOf(bar), position, redraw ? TRUE : FALSE);
    return GetScrollPos(hwndOf(window), scrollBarOf(bar));
}

int scrollPosition(WindowHandle window, ScrollBar bar) {
    return isWindow(window) ? GetScrollPos(hwndOf(window), scrollBarOf(bar)) : 0;
}

// The system scrolls a window's picture and moves its children only while
// the window can be drawn. A pane that is hidden or minimised still has its
// children moved, so that they stay where its scroll positions say.
void scrollWindow(WindowHandle window, int dx, int dy) {
    if (!isWindow(window))
        return;
    HWND hwnd = hwndOf(window);
    if (IsWindowVisible(hwnd) && !IsIconic(GetAncestor(hwnd, GA_ROOT))) {
        ScrollWindow(hwnd, dx, dy, nullptr, nullptr);
        return;
    }
    for (HWND child = GetWindow(hwnd, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        RECT place;
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&place), 2);
        SetWindowPos(child, nullptr, place.left + dx, place.top + dy, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// --- Events, focus, procedures --------------------------------------------

Result sendEvent(WindowHandle window, const Event& event) {
    if (!isWindow(window))
        return 0;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    if (toMessage(event, message, wParam, lParam))
        return SendMessageA(hwndOf(window), message, wParam, lParam);
    // Events without a message of their own are calls of the procedure.
    Procedure procedure = procedureOf(hwndOf(window));
    return procedure != nullptr ? procedure(window, event) : 0;
}

void postEvent(WindowHandle window, const Event& event) {
    if (event.kind == EventKind::Quit) {
        postQuit(event.code);
        return;
    }
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    if (isWindow(window) && toMessage(event, message, wParam, lParam))
        PostMessageA(hwndOf(window), message, wParam, lParam);
}

void setFocus(WindowHandle window) {
    if (window == nullptr || isWindow(window))
        SetFocus(hwndOf(window));
}

WindowHandle focusedWindow() {
    return handleOf(GetFocus());
}

Procedure subclassControl(WindowHandle control, Procedure procedure) {
    if (!isWindow(control))
        return nullptr;
    HWND hwnd = hwndOf(control);
    Procedure replaced = procedureOf(hwnd);
    if (ownProcedureOf(hwnd) == nullptr) {
        auto own = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
        SetPropA(hwnd, ownProcedureProperty, reinterpret_cast<HANDLE>(own));
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclassProcedure));
        replaced = builtInProcedure;
    }
    setProcedure(hwnd, procedure);
    return replaced;
}

Result callProcedure(Procedure previous, WindowHandle window, const Event& event) {
    return previous != nullptr ? previous(window, event) : defaultProcedure(window, event);
}

Result defaultProcedure(WindowHandle window, const Event& event) {
    if (!isWindow(window))
        return 0;
    HWND hwnd = hwndOf(window);
    const Role role = roleOf(hwnd);
    // A pane's default is the dialog manager's, which runs after the pane's
    // procedure has answered.
    if (role == Role::Pane)
        return 0;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    if (const RawMessage* raw = rawMessageOf(event, hwnd)) {
        message = raw->message;
        wParam = raw->wParam;
        lParam = raw->lParam;
    } else if (!toMessage(event, message, wParam, lParam)) {
        return 0;
    }
    if (role == Role::Frame)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    WNDPROC own = ownProcedureOf(hwnd);
    if (own == nullptr)
        own = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
    return CallWindowProcA(own, hwnd, message, wParam, lParam);
}

int runMessageLoop(WindowHandle pane) {
    MSG message = {};
    HWND dialog = hwndOf(pane);
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        // Only the question pane gets the dialog keys (Tab between its
        // controls); a pane already destroyed gets nothing.
        if (dialog != nullptr && IsWindow(dialog) && IsDialogMessageA(dialog, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

void postQuit(int exitCode) {
    PostQuitMessage(exitCode);
}

// --- Shell services -------------------------------------------------------

void messageBox(const char* text, const char* caption, MessageIcon icon) {
    UINT type = MB_OK;
    if (icon == MessageIcon::Information)
        type |= MB_ICONINFORMATION;
    else if (icon == MessageIcon::Error)
        type |= MB_ICONERROR;
    MessageBoxA(nullptr, text, caption, type);
}

void openWithShell(const char* text) {
    ShellExecuteA(nullptr, "open", text, nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace ui
