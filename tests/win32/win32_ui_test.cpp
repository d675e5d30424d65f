// The Win32 backend with real windows, dialogs and bitmaps (run under Wine
// on a display of its own): the panes come from the program's dialog
// templates, the system's messages reach the shell's procedures as events
// and back, subclassed edits pass on what they do not consume, colour
// requests paint with the answer, scroll bars limit their positions, and
// pictures are read by the system's loader and stretched.
#include "platform/clip_player.h"
#include "platform/resources.h"
#include "platform/ui.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#endif
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace {

using Bytes = std::vector<uint8_t>;

constexpr const char* testClass = "ZorbeBackendTest";

// --- Procedures that write down what they receive --------------------------

struct Received {
    ui::WindowHandle window;
    ui::Event event;
};
std::vector<Received> received;

// What a colour request is answered with, and the result of other events.
ui::ColourReply colourAnswer;
bool answerColours = false;

ui::Result recordingProc(ui::WindowHandle window, const ui::Event& event) {
    received.push_back({window, event});
    switch (event.kind) {
    case ui::EventKind::InitDialog: return 1;
    case ui::EventKind::ColourStatic:
    case ui::EventKind::ColourDialog:
        if (!answerColours)
            return 0;
        *event.colour = colourAnswer;
        return 1;
    case ui::EventKind::Close:
    case ui::EventKind::Destroy: return 0;
    default: return ui::defaultProcedure(window, event);
    }
}

bool receivedBy(ui::WindowHandle window, ui::EventKind kind, ui::Event* found = nullptr) {
    for (const Received& r : received) {
        if (r.window == window && r.event.kind == kind) {
            if (found != nullptr)
                *found = r.event;
            return true;
        }
    }
    return false;
}

void pumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

HWND hwndOf(ui::WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}

class Win32Test : public testing::Test {
protected:
    void SetUp() override {
        static bool registered = ui::registerWindowClass(testClass, recordingProc);
        ASSERT_TRUE(registered);
        received.clear();
        answerColours = false;
        frame = ui::createMainWindow(testClass, "Fen\xEAtre", 930, 600);
        ASSERT_NE(frame, nullptr);
    }

    void TearDown() override {
        ui::destroyWindow(frame);
        pumpMessages();
    }

    ui::WindowHandle pane(int templateId) {
        return ui::createPane(frame, templateId, recordingProc);
    }

    ui::WindowHandle frame = nullptr;
};

// --- Windows and panes ----------------------------------------------------

TEST_F(Win32Test, TheFrameHasItsOuterSizeAndTheCaptionBytes) {
    ui::Rect outer = ui::windowRect(frame);
    EXPECT_EQ(ui::widthOf(outer), 930);
    EXPECT_EQ(ui::heightOf(outer), 600);
    EXPECT_TRUE(receivedBy(frame, ui::EventKind::Create));
    char caption[32];
    GetWindowTextA(hwndOf(frame), caption, sizeof caption);
    EXPECT_EQ(std::string(caption), "Fen\xEAtre");
    EXPECT_FALSE(ui::isVisible(frame));
    // The first showing lays the frame out, whatever the system sends.
    ui::showWindow(frame, true);
    ui::Event size;
    ASSERT_TRUE(receivedBy(frame, ui::EventKind::Size, &size));
    ui::Rect client = ui::clientRect(frame);
    EXPECT_EQ(size.width, client.right);
    EXPECT_EQ(size.height, client.bottom);
}

TEST_F(Win32Test, PanesComeFromTheirTemplatesHiddenAndOfTheDialogSize) {
    struct Case {
        int templateId;
        bool scrollBars;
    };
    for (const Case& c : {Case{1001, true}, Case{1002, false}}) {
        SCOPED_TRACE(c.templateId);
        received.clear();
        ui::WindowHandle p = pane(c.templateId);
        ASSERT_NE(p, nullptr);
        // Initialised before it was handed back.
        EXPECT_TRUE(receivedBy(p, ui::EventKind::InitDialog));
        auto style = static_cast<DWORD>(GetWindowLongA(hwndOf(p), GWL_STYLE));
        EXPECT_TRUE(style & WS_CHILD);
        EXPECT_TRUE(style & WS_BORDER);
        EXPECT_FALSE(style & WS_VISIBLE);
        EXPECT_EQ((style & WS_VSCROLL) != 0, c.scrollBars);
        EXPECT_EQ((style & WS_HSCROLL) != 0, c.scrollBars);
        EXPECT_EQ(ui::parentOf(p), frame);
        // 86 × 100 dialog units of the template's font, in pixels.
        RECT units = {0, 0, 86, 100};
        MapDialogRect(hwndOf(p), &units);
        AdjustWindowRectEx(&units, style & ~(WS_VSCROLL | WS_HSCROLL), FALSE, 0);
        ui::Rect outer = ui::windowRect(p);
        EXPECT_EQ(ui::widthOf(outer), units.right - units.left);
        EXPECT_EQ(ui::heightOf(outer), units.bottom - units.top);
        ui::destroyWindow(p);
        EXPECT_TRUE(receivedBy(p, ui::EventKind::Destroy));
    }
}

TEST_F(Win32Test, ControlsAreFoundByIdentifierAndHoldTheirTexts) {
    ui::WindowHandle p = pane(1002);
    ui::WindowHandle label =
        ui::createControl(p, ui::ControlKind::Static, 29, "Titre",
                          ui::style::child | ui::style::visible, 110, 3, 190, 18);
    ui::WindowHandle edit = ui::createControl(p, ui::ControlKind::Edit, 4001, "",
                                              ui::style::child | ui::style::border, 10, 40, 60, 20);
    ui::WindowHandle box =
        ui::createControl(p, ui::ControlKind::Button, 33, "Cacher",
                          ui::style::child | ui::style::buttonAutoCheckBox, 5, 5, 65, 18);
    EXPECT_EQ(ui::findControl(p, 29), label);
    EXPECT_EQ(ui::findControl(p, 4001), edit);
    EXPECT_EQ(ui::findControl(p, 12), nullptr);
    EXPECT_EQ(ui::controlId(edit), 4001);
    EXPECT_EQ(ui::parentOf(label), p);

    char text[4];
    EXPECT_EQ(ui::getText(label, text, sizeof text), 3);
    EXPECT_EQ(std::string(text), "Tit");
    EXPECT_EQ(ui::getText(nullptr, text, sizeof text), 0);
    EXPECT_EQ(std::string(text), "");

    // Typing stops at the limit.
    ui::setEditLimit(edit, 3);
    for (char c : std::string("abcd"))
        SendMessageA(hwndOf(edit), WM_CHAR, static_cast<WPARAM>(c), 1);
    char typed[16];
    ui::getText(edit, typed, sizeof typed);
    EXPECT_EQ(std::string(typed), "abc");

    EXPECT_FALSE(ui::isChecked(box));
    SendMessageA(hwndOf(box), BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_TRUE(ui::isChecked(box));

    // Places are in the parent's client coordinates.
    ui::moveWindow(label, 20, 30, 100, 18);
    ui::Rect placed = ui::windowRect(label);
    int x = placed.left, y = placed.top;
    ui::screenToClient(p, x, y);
    EXPECT_EQ(x, 20);
    EXPECT_EQ(y, 30);
    EXPECT_EQ(ui::widthOf(placed), 100);
    ui::moveWindowTo(label, 25, 35);
    placed = ui::windowRect(label);
    x = placed.left, y = placed.top;
    ui::screenToClient(p, x, y);
    EXPECT_EQ(x, 25);
    EXPECT_EQ(y, 35);
    EXPECT_EQ(ui::widthOf(placed), 100);
}

// --- Events ---------------------------------------------------------------

TEST_F(Win32Test, MessagesReachTheProceduresAsEvents) {
    ui::WindowHandle p = pane(1001);
    HWND control = CreateWindowExA(0, "Static", "", WS_CHILD, 0, 0, 10, 10, hwndOf(p),
                                   reinterpret_cast<HMENU>(27), GetModuleHandleA(nullptr), nullptr);
    struct Case {
        const char* name;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        ui::Event expected;
    };
    auto event = [](ui::EventKind kind, int code, int id = 0, int position = 0, int width = 0,
                    int height = 0) {
        ui::Event e{kind, code, id, position, width, height};
        return e;
    };
    const Case cases[] = {
        {"size", WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(800, 500),
         event(ui::EventKind::Size, ui::sizeMaximized, 0, 0, 800, 500)},
        {"click", WM_COMMAND, MAKEWPARAM(27, BN_CLICKED), reinterpret_cast<LPARAM>(control),
         event(ui::EventKind::Command, ui::notifyClicked, 27)},
        {"edit notification", WM_COMMAND, MAKEWPARAM(27, EN_CHANGE), 0,
         event(ui::EventKind::Command, EN_CHANGE, 27)},
        {"thumb", WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 640), 0,
         event(ui::EventKind::VScroll, ui::scrollThumbTrack, 0, 640)},
        {"private scroll code", WM_VSCROLL, MAKEWPARAM(502, 0), 0,
         event(ui::EventKind::VScroll, 502)},
        {"line right", WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), 0,
         event(ui::EventKind::HScroll, ui::scrollLineDown)},
        {"wheel toward the user", WM_MOUSEWHEEL, MAKEWPARAM(0, 0xFF88), 0,
         event(ui::EventKind::MouseWheel, -120)},
        {"wheel away", WM_MOUSEWHEEL, MAKEWPARAM(0, 240), 0, event(ui::EventKind::MouseWheel, 240)},
        {"close", WM_CLOSE, 0, 0, event(ui::EventKind::Close, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        received.clear();
        SendMessageA(hwndOf(p), c.message, c.wParam, c.lParam);
        ASSERT_EQ(received.size(), 1u);
        const ui::Event& got = received[0].event;
        EXPECT_EQ(received[0].window, p);
        EXPECT_EQ(got.kind, c.expected.kind);
        EXPECT_EQ(got.code, c.expected.code);
        EXPECT_EQ(got.id, c.expected.id);
        EXPECT_EQ(got.position, c.expected.position);
        EXPECT_EQ(got.width, c.expected.width);
        EXPECT_EQ(got.height, c.expected.height);
        if (c.message == WM_COMMAND) {
            EXPECT_EQ(hwndOf(got.control), reinterpret_cast<HWND>(c.lParam));
        }
    }
    // A closed pane stays: closing is its procedure's business.
    EXPECT_TRUE(IsWindow(hwndOf(p)));
}

TEST_F(Win32Test, EventsSentAndPostedArriveAsTheyLeft) {
    ui::WindowHandle p = pane(1001);
    received.clear();
    ui::Event scroll{ui::EventKind::VScroll, 502};
    scroll.position = 7;
    ui::sendEvent(p, scroll);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].event.code, 502);
    EXPECT_EQ(received[0].event.position, 7);

    received.clear();
    ui::postEvent(p, ui::Event{ui::EventKind::VScroll, 500});
    ui::Event wheel{ui::EventKind::MouseWheel, -120};
    ui::postEvent(frame, wheel);
    EXPECT_TRUE(received.empty());
    pumpMessages();
    ui::Event got;
    ASSERT_TRUE(receivedBy(p, ui::EventKind::VScroll, &got));
    EXPECT_EQ(got.code, 500);
    ASSERT_TRUE(receivedBy(frame, ui::EventKind::MouseWheel, &got));
    EXPECT_EQ(got.code, -120);
}

TEST_F(Win32Test, AWheelTurnThePaneAnsweredGoesNoFurther) {
    // A label passes the wheel to its parent; the pane answers it, so the
    // frame around it must not scroll the pane a second time.
    ui::WindowHandle p = pane(1001);
    ui::WindowHandle label = ui::createControl(p, ui::ControlKind::Static, 5001, "?",
                                               ui::style::child | ui::style::visible, 0, 0, 50, 20);
    received.clear();
    SendMessageA(hwndOf(label), WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_TRUE(receivedBy(p, ui::EventKind::MouseWheel));
    EXPECT_FALSE(receivedBy(frame, ui::EventKind::MouseWheel));
}

// --- Subclassed controls --------------------------------------------------

ui::Procedure previousProc = nullptr;
std::vector<ui::Event> editEvents;

// Swallows the character x and passes everything else on.
ui::Result noXProc(ui::WindowHandle window, const ui::Event& event) {
    editEvents.push_back(event);
    if (event.kind == ui::EventKind::Char && event.code == 'x')
        return 0;
    return ui::callProcedure(previousProc, window, event);
}

// Makes every character it passes on an upper-case one, as a second layer.
ui::Procedure innerProc = nullptr;
ui::Result upperProc(ui::WindowHandle window, const ui::Event& event) {
    if (event.kind == ui::EventKind::Char && event.code >= 'a' && event.code <= 'z') {
        ui::Event upper = event;
        upper.code = event.code - 'a' + 'A';
        return ui::callProcedure(innerProc, window, upper);
    }
    return ui::callProcedure(innerProc, window, event);
}

TEST_F(Win32Test, ASubclassedEditKeepsWhatItsProcedurePassesOn) {
    ui::WindowHandle p = pane(1001);
    ui::WindowHandle edit = ui::createControl(p, ui::ControlKind::Edit, 4001, "",
                                              ui::style::child | ui::style::visible, 0, 0, 80, 20);
    editEvents.clear();
    previousProc = ui::subclassControl(edit, noXProc);
    ASSERT_NE(previousProc, nullptr);
    for (char c : std::string("axb"))
        SendMessageA(hwndOf(edit), WM_CHAR, static_cast<WPARAM>(c), 1);
    char text[16];
    ui::getText(edit, text, sizeof text);
    EXPECT_EQ(std::string(text), "ab");

    // Keys and focus arrive as events with the virtual key.
    editEvents.clear();
    SendMessageA(hwndOf(edit), WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC0000001u));
    SendMessageA(hwndOf(edit), WM_SYSKEYDOWN, VK_F2, 0x20000001);
    ASSERT_EQ(editEvents.size(), 2u);
    EXPECT_EQ(editEvents[0].kind, ui::EventKind::KeyUp);
    EXPECT_EQ(editEvents[0].code, ui::keyReturn);
    EXPECT_EQ(editEvents[1].kind, ui::EventKind::SysKeyDown);
    EXPECT_EQ(editEvents[1].code, ui::keyF2);

    // A second procedure on top hands the first one events of its own
    // making, which reach the edit without a message behind them.
    innerProc = ui::subclassControl(edit, upperProc);
    EXPECT_EQ(innerProc, noXProc);
    for (char c : std::string("cxd"))
        SendMessageA(hwndOf(edit), WM_CHAR, static_cast<WPARAM>(c), 1);
    ui::getText(edit, text, sizeof text);
    EXPECT_EQ(std::string(text), "abCXD");

    // The edit goes as a plain edit goes.
    ui::destroyWindow(edit);
    EXPECT_FALSE(IsWindow(hwndOf(edit)));
}

TEST_F(Win32Test, TheFocusReachesASubclassedEditAsEvents) {
    ui::showWindow(frame, true);
    ui::WindowHandle p = pane(1001);
    ui::showWindow(p, true);
    ui::WindowHandle first = ui::createControl(p, ui::ControlKind::Edit, 4001, "un",
                                               ui::style::child | ui::style::visible, 0, 0, 80, 20);
    ui::WindowHandle second =
        ui::createControl(p, ui::ControlKind::Edit, 4002, "deux",
                          ui::style::child | ui::style::visible, 0, 30, 80, 20);
    previousProc = ui::subclassControl(first, noXProc);
    ui::subclassControl(second, noXProc);
    ui::setFocus(first);
    EXPECT_EQ(ui::focusedWindow(), first);
    editEvents.clear();
    ui::setFocus(second);
    EXPECT_EQ(ui::focusedWindow(), second);
    ASSERT_EQ(editEvents.size(), 2u);
    EXPECT_EQ(editEvents[0].kind, ui::EventKind::KillFocus);
    EXPECT_EQ(editEvents[1].kind, ui::EventKind::SetFocus);
    ui::setEditSelection(second, 0, 260);
    DWORD from = 0, to = 0;
    SendMessageA(hwndOf(second), EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                 reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 4u);
}

// --- Colours --------------------------------------------------------------

TEST_F(Win32Test, ColourRequestsPaintWithTheAnswer) {
    ui::WindowHandle p = pane(1002);
    ui::WindowHandle label =
        ui::createControl(p, ui::ControlKind::Static, 24, "lien", ui::style::child, 0, 0, 50, 18);
    ui::BrushHandle brush = ui::createSolidBrush(ui::rgb(128, 128, 255));
    EXPECT_EQ(ui::brushColour(brush), ui::rgb(128, 128, 255));
    HDC dc = CreateCompatibleDC(nullptr);
    struct Case {
        const char* name;
        bool transparent;
        bool hasTextColour;
    };
    for (const Case& c : {Case{"transparent, coloured text", true, true},
                          Case{"opaque, default text", false, false}}) {
        SCOPED_TRACE(c.name);
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, RGB(1, 2, 3));
        SetTextColor(dc, RGB(4, 5, 6));
        answerColours = true;
        colourAnswer = {brush, c.transparent, c.hasTextColour, ui::rgb(50, 50, 255)};
        received.clear();
        LRESULT answer = SendMessageA(hwndOf(p), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                      reinterpret_cast<LPARAM>(hwndOf(label)));
        EXPECT_EQ(reinterpret_cast<HBRUSH>(answer), reinterpret_cast<HBRUSH>(brush));
        ui::Event asked;
        ASSERT_TRUE(receivedBy(p, ui::EventKind::ColourStatic, &asked));
        EXPECT_EQ(asked.id, 24);
        EXPECT_EQ(asked.control, label);
        EXPECT_EQ(GetBkMode(dc), c.transparent ? TRANSPARENT : OPAQUE);
        // Opaque text sits on the box's own colour.
        if (!c.transparent) {
            EXPECT_EQ(GetBkColor(dc), RGB(128, 128, 255));
        }
        EXPECT_EQ(GetTextColor(dc), c.hasTextColour ? RGB(50, 50, 255) : RGB(4, 5, 6));
    }
    // Not answered: the platform's own brush, and the pane's background
    // asks with a request of its own.
    answerColours = false;
    LRESULT answer = SendMessageA(hwndOf(p), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                  reinterpret_cast<LPARAM>(hwndOf(label)));
    EXPECT_NE(reinterpret_cast<HBRUSH>(answer), reinterpret_cast<HBRUSH>(brush));
    answerColours = true;
    colourAnswer = {brush};
    answer = SendMessageA(hwndOf(p), WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc),
                          reinterpret_cast<LPARAM>(hwndOf(p)));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(answer), reinterpret_cast<HBRUSH>(brush));
    DeleteDC(dc);
    ui::deleteBrush(brush);
}

// --- Scroll bars ----------------------------------------------------------

TEST_F(Win32Test, ScrollBarsLimitThePositionToTheLastPage) {
    ui::WindowHandle p = pane(1001);
    ui::moveWindow(p, 0, 0, 400, 400);
    struct Case {
        const char* name;
        ui::ScrollBar bar;
        int maximum;
        int page;
        int asked;
        int held;
    };
    const Case cases[] = {
        {"content 1000 in 400", ui::ScrollBar::Vertical, 998, 399, 1000, 600},
        {"back to the top", ui::ScrollBar::Vertical, 998, 399, -5, 0},
        {"content that fits", ui::ScrollBar::Horizontal, 298, 299, 50, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui::setScrollRange(p, c.bar, 0, c.maximum, c.page, true);
        EXPECT_EQ(ui::setScrollPosition(p, c.bar, c.asked, true), c.held);
        EXPECT_EQ(ui::scrollPosition(p, c.bar), c.held);
        ui::ScrollInfo info = ui::scrollInfo(p, c.bar);
        EXPECT_EQ(info.minimum, 0);
        EXPECT_EQ(info.maximum, c.maximum);
        EXPECT_EQ(info.page, c.page);
        EXPECT_EQ(info.position, c.held);
    }
    // A bar that cannot scroll stays, disabled.
    auto style = static_cast<DWORD>(GetWindowLongA(hwndOf(p), GWL_STYLE));
    EXPECT_TRUE(style & WS_HSCROLL);

    // The contents move with the bars, whether the pane is on screen or not.
    ui::WindowHandle child =
        ui::createControl(p, ui::ControlKind::Static, 2001, "1.",
                          ui::style::child | ui::style::visible, 10, 20, 30, 17);
    auto childPlace = [&] {
        ui::Rect moved = ui::windowRect(child);
        int x = moved.left, y = moved.top;
        ui::screenToClient(p, x, y);
        return std::pair{x, y};
    };
    ui::scrollWindow(p, -3, -5);
    EXPECT_EQ(childPlace(), std::pair(7, 15));
    ui::showWindow(frame, true);
    ui::showWindow(p, true);
    ui::scrollWindow(p, 3, -5);
    EXPECT_EQ(childPlace(), std::pair(10, 10));
}

// --- Bitmaps and pictures ---------------------------------------------------

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb; // 0x00RRGGBB, rows top first
    uint32_t at(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }
};

Pixels readBitmap(ui::BitmapHandle bitmap) {
    Pixels out;
    if (!ui::bitmapSize(bitmap, out.width, out.height))
        return out;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = out.width;
    info.bmiHeader.biHeight = -out.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    out.argb.assign(static_cast<size_t>(out.width) * out.height, 0);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, reinterpret_cast<HBITMAP>(bitmap), 0, static_cast<UINT>(out.height),
              out.argb.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (uint32_t& p : out.argb)
        p &= 0xFFFFFF;
    return out;
}

bool closeTo(uint32_t colour, uint32_t expected, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8) {
        int a = static_cast<int>((colour >> shift) & 0xFF);
        int b = static_cast<int>((expected >> shift) & 0xFF);
        if (std::abs(a - b) > tolerance)
            return false;
    }
    return true;
}

TEST_F(Win32Test, DibSectionsKeepTheirLayoutAndStretchSmoothly) {
    ui::BitmapInfo info;
    info.width = 2;
    info.height = -2; // top row first
    info.bitsPerPixel = 8;
    info.colours[0] = 0xFF0000;
    info.colours[1] = 0x0000FF;
    uint8_t* bits = nullptr;
    ui::BitmapHandle source = ui::createDibSection(info, bits);
    ASSERT_NE(source, nullptr);
    ASSERT_NE(bits, nullptr);
    const int rowBytes = ui::bitmapRowBytes(2, 8);
    bits[0] = 0;
    bits[1] = 1;
    bits[rowBytes] = 1;
    bits[rowBytes + 1] = 1;
    Pixels read = readBitmap(source);
    ASSERT_EQ(read.width, 2);
    ASSERT_EQ(read.height, 2);
    EXPECT_EQ(read.at(0, 0), 0xFF0000u);
    EXPECT_EQ(read.at(1, 0), 0x0000FFu);
    EXPECT_EQ(read.at(0, 1), 0x0000FFu);

    // Enlarged, the red corner stays red at its outer edge.
    ui::BitmapHandle large = ui::stretchBitmap(source, 8, 8);
    Pixels stretched = readBitmap(large);
    ASSERT_EQ(stretched.width, 8);
    ASSERT_EQ(stretched.height, 8);
    EXPECT_TRUE(closeTo(stretched.at(0, 0), 0xFF0000, 40)) << std::hex << stretched.at(0, 0);
    EXPECT_TRUE(closeTo(stretched.at(7, 7), 0x0000FF, 40)) << std::hex << stretched.at(7, 7);
    EXPECT_TRUE(closeTo(stretched.at(7, 0), 0x0000FF, 40)) << std::hex << stretched.at(7, 0);
    // The source stays the caller's.
    int width = 0, height = 0;
    EXPECT_TRUE(ui::bitmapSize(source, width, height));
    ui::deleteBitmap(large);
    ui::deleteBitmap(source);

    uint8_t* none = reinterpret_cast<uint8_t*>(1);
    info.bitsPerPixel = 16;
    EXPECT_EQ(ui::createDibSection(info, none), nullptr);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(ui::stretchBitmap(nullptr, 4, 4), nullptr);
}

TEST_F(Win32Test, APictureWindowShowsTheBitmapItIsGiven) {
    ui::WindowHandle p = pane(1001);
    ui::WindowHandle picture =
        ui::createControl(p, ui::ControlKind::Static, 9901, "",
                          ui::style::child | ui::style::visible | ui::style::staticBitmap |
                              ui::style::staticCenterImage,
                          0, 0, 20, 20);
    ui::BitmapInfo info;
    info.width = 4;
    info.height = 4;
    info.bitsPerPixel = 32;
    uint8_t* bits = nullptr;
    ui::BitmapHandle first = ui::createDibSection(info, bits);
    ui::BitmapHandle second = ui::createDibSection(info, bits);
    EXPECT_EQ(ui::setStaticBitmap(picture, first), nullptr);
    EXPECT_EQ(ui::staticBitmap(picture), first);
    EXPECT_EQ(ui::setStaticBitmap(picture, second), first);
    EXPECT_EQ(ui::setStaticBitmap(picture, nullptr), second);
    ui::deleteBitmap(first);
    ui::deleteBitmap(second);
}

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<Bytes*>(context);
    auto* bytes = static_cast<uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

// width × height pixels of one colour, as red, green, blue bytes.
std::vector<uint8_t> solidRgb(int width, int height, uint32_t colour) {
    std::vector<uint8_t> rgb;
    for (int i = 0; i < width * height; ++i)
        rgb.insert(rgb.end(), {static_cast<uint8_t>(colour >> 16),
                               static_cast<uint8_t>(colour >> 8), static_cast<uint8_t>(colour)});
    return rgb;
}

Bytes jpegFile(int width, int height, uint32_t colour) {
    Bytes out;
    std::vector<uint8_t> rgb = solidRgb(width, height, colour);
    stbi_write_jpg_to_func(appendBytes, &out, width, height, 3, rgb.data(), 95);
    return out;
}

Bytes pngFile(int width, int height, uint32_t colour) {
    Bytes out;
    std::vector<uint8_t> rgb = solidRgb(width, height, colour);
    stbi_write_png_to_func(appendBytes, &out, width, height, 3, rgb.data(), width * 3);
    return out;
}

Bytes bmpFile(int width, int height, uint32_t colour) {
    Bytes out;
    std::vector<uint8_t> rgb = solidRgb(width, height, colour);
    stbi_write_bmp_to_func(appendBytes, &out, width, height, 3, rgb.data());
    return out;
}

// A GIF of one colour: four table entries, codes of three bits, and a
// clear code before every pixel so that the code size never grows.
Bytes gifFile(int width, int height, uint32_t colour) {
    Bytes out = {'G', 'I', 'F', '8', '9', 'a'};
    auto put16 = [&](int value) {
        out.push_back(static_cast<uint8_t>(value));
        out.push_back(static_cast<uint8_t>(value >> 8));
    };
    put16(width);
    put16(height);
    out.insert(out.end(), {0x91, 0, 0}); // a global table of 4 entries
    out.insert(out.end(), {static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8),
                           static_cast<uint8_t>(colour)});
    out.insert(out.end(), 9, 0);
    out.push_back(0x2C);
    put16(0);
    put16(0);
    put16(width);
    put16(height);
    out.push_back(0);
    const int minimumCodeSize = 2, clear = 4, end = 5, codeBits = 3;
    out.push_back(minimumCodeSize);
    std::vector<uint8_t> data;
    uint32_t buffer = 0;
    int buffered = 0;
    auto code = [&](uint32_t value) {
        buffer |= value << buffered;
        buffered += codeBits;
        while (buffered >= 8) {
            data.push_back(static_cast<uint8_t>(buffer));
            buffer >>= 8;
            buffered -= 8;
        }
    };
    for (int i = 0; i < width * height; ++i) {
        code(clear);
        code(0);
    }
    code(end);
    if (buffered > 0)
        data.push_back(static_cast<uint8_t>(buffer));
    for (size_t at = 0; at < data.size(); at += 255) {
        size_t length = std::min<size_t>(255, data.size() - at);
        out.push_back(static_cast<uint8_t>(length));
        out.insert(out.end(), data.begin() + static_cast<ptrdiff_t>(at),
                   data.begin() + static_cast<ptrdiff_t>(at + length));
    }
    out.push_back(0);
    out.push_back(0x3B);
    return out;
}

TEST_F(Win32Test, TheSystemLoaderReadsJpegGifAndBmpButNeverPng) {
    const uint32_t colour = 0xC81E28;
    struct Case {
        const char* name;
        Bytes file;
        bool read;
        int tolerance;
    };
    Bytes damaged = jpegFile(12, 8, colour);
    damaged.resize(20);
    const Case cases[] = {
        {"jpeg", jpegFile(12, 8, colour), true, 12},
        {"gif", gifFile(12, 8, colour), true, 0},
        {"bmp", bmpFile(12, 8, colour), true, 0},
        {"png, left to the player's own decoder", pngFile(12, 8, colour), false, 0},
        {"a cut jpeg", damaged, false, 0},
        {"not a picture", Bytes(100, 0x41), false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui::BitmapHandle bitmap = ui::decodePicture(c.file.data(), c.file.size());
        EXPECT_EQ(bitmap != nullptr, c.read);
        if (bitmap == nullptr)
            continue;
        Pixels read = readBitmap(bitmap);
        EXPECT_EQ(read.width, 12);
        EXPECT_EQ(read.height, 8);
        EXPECT_TRUE(closeTo(read.at(6, 4), colour, c.tolerance)) << std::hex << read.at(6, 4);
        ui::deleteBitmap(bitmap);
    }
    EXPECT_EQ(ui::decodePicture(nullptr, 0), nullptr);
}

// --- Resources of the program file ----------------------------------------

std::string bytesOf(ResourceBytes resource) {
    return std::string(reinterpret_cast<const char*>(resource.data), resource.size);
}

TEST_F(Win32Test, ResourcesComeFromTheTableFirstThenFromTheProgramFile) {
    clearResources();
    EXPECT_EQ(bytesOf(findResource("IMG", 401)), "abc");
    EXPECT_EQ(bytesOf(findResource(resourceTypeRcData, 7)), "xyz");
    EXPECT_EQ(findResource("IMG", 402).size, 0u);
    EXPECT_EQ(findResource("PATCH", 104).size, 0u);
    EXPECT_EQ(findResource("IMG", 0).size, 0u);
    EXPECT_EQ(findResource("IMG", 70000).size, 0u);

    installResource("IMG", 401, {'d', 'e'});
    EXPECT_EQ(bytesOf(findResource("IMG", 401)), "de");
    // An installed empty resource hides the program's own.
    installResource("#10", 7, {});
    EXPECT_EQ(findResource(resourceTypeRcData, 7).size, 0u);
    clearResources();
    EXPECT_EQ(bytesOf(findResource("IMG", 401)), "abc");
}

// --- Clips -------------------------------------------------------------------

// A second of silence as a WAV file: 8 kHz, 8 bits, one channel.
Bytes wavFile() {
    const uint32_t samples = 8000;
    Bytes out = {'R', 'I', 'F', 'F'};
    auto put32 = [&](uint32_t value) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    };
    auto put16 = [&](uint32_t value) {
        out.push_back(static_cast<uint8_t>(value));
        out.push_back(static_cast<uint8_t>(value >> 8));
    };
    put32(36 + samples);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(16);
    put16(1); // plain samples
    put16(1);
    put32(8000);
    put32(8000);
    put16(1);
    put16(8);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put32(samples);
    out.insert(out.end(), samples, 0x80);
    return out;
}

TEST_F(Win32Test, ClipPlayersPlayAFileAndLetGoOfItWhenStopped) {
    ui::WindowHandle p = pane(1001);
    ui::WindowHandle clipWindow =
        ui::createControl(p, ui::ControlKind::Static, 9901, "",
                          ui::style::child | ui::style::visible, 0, 0, 260, 200);
    EXPECT_EQ(ui::createClipPlayer(clipWindow, true), nullptr) << "no host loaded yet";
    ASSERT_TRUE(ui::mediaHostStartup());
    ui::ClipPlayer* player = ui::createClipPlayer(clipWindow, true);
    ASSERT_NE(player, nullptr);

    const char* name = "zorbe401.WAV";
    Bytes wav = wavFile();
    HANDLE file =
        CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, wav.data(), static_cast<DWORD>(wav.size()), &written, nullptr);
    CloseHandle(file);

    ui::setClipPlayerFile(player, name);
    ui::playClipPlayer(player);
    pumpMessages();
    // Stopped, the clip's file can go at once, as the pane deletes it.
    ui::stopClipPlayer(player);
    EXPECT_TRUE(DeleteFileA(name)) << GetLastError();
    // Stopping again, or a file that does not exist, goes unnoticed.
    ui::stopClipPlayer(player);
    ui::setClipPlayerFile(player, "absent.WAV");
    ui::playClipPlayer(player);
    ui::stopClipPlayer(player);

    ui::mediaHostShutdown();
    EXPECT_EQ(ui::createClipPlayer(clipWindow, true), nullptr) << "no host after shutdown";
}

} // namespace
