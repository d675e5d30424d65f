// The FLTK backend: the windowing seam carried out with FLTK 1.3 on Linux.
// Top-level windows and panes are FLTK windows (panes are subwindows, so
// their children are placed in the pane's own coordinates, as on the
// player's home platform); controls are FLTK widgets that hand their
// events to the shell's procedures. Texts cross into FLTK as UTF-8.
#include "platform/codepage.h"
#include "platform/fltk/fltk_internal.h"
#include "platform/heap/heap_bitmaps.h"
#include "platform/pixels.h"
#include "platform/ui.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Scrollbar.H>
#include <FL/Fl_Window.H>
#include <FL/filename.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace ui {

enum class WindowKind { Main, Pane, Control };

struct Window {
    WindowKind windowKind = WindowKind::Control;
    ControlKind kind = ControlKind::Static;
    int id = 0;
    uint32_t styleBits = 0;
    std::string text; // Windows-1252
    std::string label; // the same text in UTF-8, owned for the widget's label
    Fl_Widget* widget = nullptr;
    Window* parent = nullptr;
    std::vector<Window*> children;
    Procedure procedure = nullptr;
    FontHandle font = nullptr;
    int editLimit = 30000;
    bool everShown = false;
    BitmapHandle bitmap = nullptr;
    Fl_Scrollbar* bars[2] = {nullptr, nullptr};
    ScrollInfo scroll[2];
    // Set by the built-in procedure when an event reaches it: FLTK then does
    // what it would have done with the key.
    bool passOn = false;
    int icon = 0; // the icon resource a button shows
    // Called as the window is destroyed (fltk::whenDestroyed).
    void (*destroyHook)(void*) = nullptr;
    void* destroyData = nullptr;
};

struct Font {
    LogicalFont record;
    Fl_Font face = FL_HELVETICA;
    int size = 12;
    bool underline = false;
};

struct Brush {
    Colour colour = 0;
};

} // namespace ui

namespace {

using namespace ui;
// X11's headers, reached through FLTK's, have a Window and a Font of their own.
using ui::Font;
using ui::Window;

// Frame of a top-level window (outer minus client), as a classic desktop
// draws it: the seam's sizes are outer sizes.
constexpr int frameLeft = 8;
constexpr int frameTop = 31;
constexpr int frameRight = 8;
constexpr int frameBottom = 8;
constexpr int scrollBarSize = 17;

struct PostedEvent {
    WindowHandle window;
    Event event;
};

struct Desktop {
    std::map<std::string, Procedure> classes;
    std::set<Window*> windows;
    std::deque<PostedEvent> posted;
    Window* focus = nullptr;
    bool quit = false;
    int exitCode = 0;
    bool fontsReady = false;
    Fl_Font sans[4] = {FL_HELVETICA, FL_HELVETICA_BOLD, FL_HELVETICA_ITALIC,
                       FL_HELVETICA_BOLD_ITALIC};
};

Desktop& desk() {
    static Desktop state;
    return state;
}

bool live(WindowHandle w) { return w != nullptr && desk().windows.count(w) != 0; }

Window* windowOf(Fl_Widget* widget) { return static_cast<Window*>(widget->user_data()); }

// Metric-compatible faces for the fonts the quizzes name: Arial and the
// dialog fonts all become Liberation Sans, in its four styles.
void prepareFonts() {
    if (desk().fontsReady)
        return;
    desk().fontsReady = true;
    const char* names[4] = {" Liberation Sans", "BLiberation Sans", "ILiberation Sans",
                            "PLiberation Sans"};
    for (int i = 0; i < 4; ++i) {
        desk().sans[i] = static_cast<Fl_Font>(FL_FREE_FONT + i);
        Fl::set_font(desk().sans[i], names[i]);
    }
}

Font& stockFont() {
    static Font font = [] {
        Font f;
        f.record.height = -11;
        f.record.weight = 400;
        std::strcpy(f.record.faceName, "MS Shell Dlg");
        f.size = 11;
        return f;
    }();
    prepareFonts();
    font.face = desk().sans[0];
    return font;
}

Fl_Color toFl(Colour c) { return fl_rgb_color(redOf(c), greenOf(c), blueOf(c)); }

// What a control shows when its parent leaves it the platform's colours.
const Fl_Color defaultFace = fl_rgb_color(212, 208, 200);

bool textColourOf(Window* w, ColourReply& reply) {
    if (w->parent == nullptr || w->parent->procedure == nullptr)
        return false;
    reply = {};
    Event event{EventKind::ColourStatic};
    event.id = w->id;
    event.control = w;
    event.colour = &reply;
    return w->parent->procedure(w->parent, event) != 0 && reply.brush != nullptr;
}

void applyFont(Window* w) {
    Font* f = w->font ? w->font : &stockFont();
    w->widget->labelfont(f->face);
    w->widget->labelsize(f->size);
    if (auto* input = dynamic_cast<Fl_Input*>(w->widget)) {
        input->textfont(f->face);
        input->textsize(f->size);
    }
}

// Where a control's children and the control itself sit: relative to the
// enclosing FLTK window, whose client area starts inside its border.
int clientInset(const Window* w) { return (w->styleBits & style::border) ? 1 : 0; }

// --- Widgets that speak to procedures -------------------------------------

Result sendTo(Window* w, const Event& event) {
    if (!live(w) || w->procedure == nullptr)
        return 0;
    return w->procedure(w, event);
}

int virtualKey(int flKey) {
    if (flKey >= 'a' && flKey <= 'z')
        return flKey - 'a' + 'A';
    switch (flKey) {
    case FL_Tab: return keyTab;
    case FL_Enter:
    case FL_KP_Enter: return keyReturn;
    case FL_Page_Up: return keyPrior;
    case FL_Page_Down: return keyNext;
    case FL_Up: return keyUp;
    case FL_Down: return keyDown;
    case FL_F + 1: return keyF1;
    case FL_F + 2: return keyF2;
    default: return flKey & 0xFF;
    }
}

// What a picture window draws: red, green, blue rows top-down made from the
// bitmap's bits, and the image over them.
struct BitmapDrawing {
    std::vector<uint8_t> rgb;
    std::unique_ptr<Fl_RGB_Image> image;
};

// The image a bitmap is drawn as; null for a bitmap that cannot be read.
// Bitmaps do not change once made, so the image is made once and goes with
// the bitmap.
Fl_RGB_Image* imageOf(Bitmap* bitmap) {
    if (!heapBitmaps::isLive(bitmap))
        return nullptr;
    if (bitmap->drawing != nullptr)
        return static_cast<BitmapDrawing*>(bitmap->drawing.get())->image.get();
    PixelImage pixels;
    if (!bitmapPixels(bitmap->info, bitmap->bits.data(), pixels))
        return nullptr;
    auto drawing = std::make_shared<BitmapDrawing>();
    const size_t count = static_cast<size_t>(pixels.width) * static_cast<size_t>(pixels.height);
    drawing->rgb.resize(count * 3);
    for (size_t i = 0; i < count; ++i) {
        drawing->rgb[i * 3] = pixels.pixels[i * 4 + 2];
        drawing->rgb[i * 3 + 1] = pixels.pixels[i * 4 + 1];
        drawing->rgb[i * 3 + 2] = pixels.pixels[i * 4];
    }
    drawing->image =
        std::make_unique<Fl_RGB_Image>(drawing->rgb.data(), pixels.width, pixels.height, 3);
    bitmap->drawing = drawing;
    return drawing->image.get();
}

class Label : public Fl_Box {
public:
    Label(int x, int y, int w, int h) : Fl_Box(x, y, w, h) {}

    void draw() override {
        Window* w = windowOf(this);
        ColourReply reply;
        bool coloured = textColourOf(w, reply);
        Fl_Color background = coloured ? toFl(brushColour(reply.brush)) : defaultFace;
        bool border = (w->styleBits & style::border) != 0;
        fl_rectf(x(), y(), this->w(), h(), background);
        if ((w->styleBits & 0x1F) == style::staticBitmap) {
            // A picture window is sized to its picture: the picture is
            // centred in it, the border drawn over its outer pixels.
            if (Fl_RGB_Image* image = imageOf(w->bitmap)) {
                fl_push_clip(x(), y(), this->w(), h());
                image->draw(x() + (this->w() - image->w()) / 2, y() + (h() - image->h()) / 2);
                fl_pop_clip();
            }
            if (border)
                fl_rect(x(), y(), this->w(), h(), FL_BLACK);
            return;
        }
        if (border)
            fl_rect(x(), y(), this->w(), h(), FL_BLACK);
        fl_color(coloured && reply.hasTextColour ? toFl(reply.textColour) : FL_BLACK);
        Font* f = w->font ? w->font : &stockFont();
        fl_font(f->face, f->size);
        Fl_Align align = FL_ALIGN_INSIDE | FL_ALIGN_CLIP;
        uint32_t kindBits = w->styleBits & 0x1F;
        if (kindBits == style::staticCenter)
            align |= FL_ALIGN_CENTER;
        else if (kindBits == style::staticRight)
            align |= FL_ALIGN_RIGHT;
        else
            align |= FL_ALIGN_LEFT;
        if (!(w->styleBits & style::staticCenterImage))
            align |= FL_ALIGN_TOP;
        if (!(w->styleBits & style::staticCenterImage) && kindBits != style::staticCenter &&
            kindBits != style::staticRight)
            align |= FL_ALIGN_WRAP;
        int inset = border ? 1 : 0;
        fl_push_clip(x() + inset, y() + inset, this->w() - 2 * inset, h() - 2 * inset);
        fl_draw(w->label.c_str(), x() + inset, y() + inset, this->w() - 2 * inset,
                h() - 2 * inset, align, nullptr, 0);
        if (f->underline) {
            int textWidth = 0, textHeight = 0;
            fl_measure(w->label.c_str(), textWidth, textHeight, 0);
            int left = x() + inset;
            if (kindBits == style::staticCenter)
                left = x() + (this->w() - textWidth) / 2;
            int baseline = y() + inset + fl_height() - fl_descent() + 1;
            fl_line(left, baseline, left + textWidth, baseline);
        }
        fl_pop_clip();
    }

    int handle(int event) override {
        Window* w = windowOf(this);
        // Hiding a destroyed pane tells its labels, whose records are gone.
        if (!live(w))
            return Fl_Box::handle(event);
        bool notify = (w->styleBits & style::staticNotify) != 0;
        switch (event) {
        case FL_ENTER:
            if (notify)
                window()->cursor(FL_CURSOR_HAND);
            return notify ? 1 : 0;
        case FL_LEAVE:
            if (notify)
                window()->cursor(FL_CURSOR_DEFAULT);
            return notify ? 1 : 0;
        case FL_PUSH:
            return notify ? 1 : 0;
        case FL_RELEASE:
            if (notify && Fl::event_inside(this)) {
                Event command{EventKind::Command, notifyClicked, w->id};
                command.control = w;
                sendTo(w->parent, command);
            }
            return notify ? 1 : 0;
        default:
            return Fl_Box::handle(event);
        }
    }
};

class Edit : public Fl_Input {
public:
    Edit(int x, int y, int w, int h) : Fl_Input(x, y, w, h) {}

    // A read-only edit asks for its colours as a label does.
    void draw() override {
        Window* w = windowOf(this);
        ColourReply reply;
        if (readonly() && textColourOf(w, reply)) {
            color(toFl(brushColour(reply.brush)));
            textcolor(reply.hasTextColour ? toFl(reply.textColour) : FL_BLACK);
        }
        Fl_Input::draw();
    }

    int handle(int event) override {
        Window* w = windowOf(this);
        switch (event) {
        case FL_FOCUS: {
            // FLTK tells the new widget before the old one; the shell expects
            // the old edit to lose the focus before the new one receives it.
            int r = Fl_Input::handle(event);
            Window* old = desk().focus;
            desk().focus = w;
            if (old != w && live(old))
                sendTo(old, Event{EventKind::KillFocus});
            if (desk().focus == w)
                sendTo(w, Event{EventKind::SetFocus});
            return r;
        }
        case FL_UNFOCUS: {
            int r = Fl_Input::handle(event);
            if (desk().focus == w)
                desk().focus = nullptr;
            sendTo(w, Event{EventKind::KillFocus});
            return r;
        }
        case FL_KEYBOARD: {
            int vk = virtualKey(Fl::event_key());
            Event key{Fl::event_alt() ? EventKind::SysKeyDown : EventKind::KeyDown, vk};
            w->passOn = false;
            sendTo(w, key);
            if (!w->passOn)
                return 1;
            const char* typed = Fl::event_text();
            if (Fl::event_length() > 0 && static_cast<unsigned char>(typed[0]) >= 0x20 &&
                typed[0] != 0x7F) {
                std::string ansi;
                // A character without a Windows-1252 form cannot enter the text.
                if (!codepage::fromUtf8(std::string(typed, Fl::event_length()), ansi))
                    return 1;
                w->passOn = false;
                sendTo(w, Event{EventKind::Char, static_cast<unsigned char>(ansi[0])});
                if (!w->passOn)
                    return 1;
                if ((w->styleBits & style::editReadOnly) ||
                    static_cast<int>(currentAnsi().size()) >= w->editLimit + selectionLength())
                    return 1;
                return Fl_Input::handle(event);
            }
            if (vk == keyReturn || vk == keyTab) {
                char code = vk == keyReturn ? 13 : 9;
                w->passOn = false;
                sendTo(w, Event{EventKind::Char, code});
                if (vk == keyTab)
                    return 0; // the pane moves the focus
                return 1;
            }
            return Fl_Input::handle(event);
        }
        case FL_KEYUP: {
            int vk = virtualKey(Fl::event_key());
            if (!Fl::event_alt())
                sendTo(w, Event{EventKind::KeyUp, vk});
            return 1;
        }
        case FL_PASTE: {
            std::string ansi;
            if (!codepage::fromUtf8(std::string(Fl::event_text(), Fl::event_length()), ansi))
                return 1;
            if (static_cast<int>(currentAnsi().size() + ansi.size()) >
                w->editLimit + selectionLength())
                return 1;
            return Fl_Input::handle(event);
        }
        default:
            return Fl_Input::handle(event);
        }
    }

private:
    std::string currentAnsi() const {
        std::string ansi;
        codepage::fromUtf8(value(), ansi);
        return ansi;
    }

    int selectionLength() const {
        std::string selected(value() + std::min(position(), mark()),
                             static_cast<size_t>(std::abs(position() - mark())));
        std::string ansi;
        codepage::fromUtf8(selected, ansi);
        return static_cast<int>(ansi.size());
    }
};

// The player's own icons, drawn after the pictures of resources 1004 and
// 1005: the middle of a 32-pixel icon shows on a 20-pixel button.
constexpr int playIconId = 1004;
constexpr int stopIconId = 1005;

void drawPlayIcon(int x, int y) {
    fl_color(fl_rgb_color(40, 170, 60));
    fl_polygon(x + 4, y + 2, x + 17, y + 10, x + 4, y + 18);
    fl_color(fl_rgb_color(22, 94, 33));
    fl_loop(x + 4, y + 2, x + 17, y + 10, x + 4, y + 18);
}

void drawStopIcon(int x, int y) {
    fl_rectf(x + 4, y + 4, 12, 12, fl_rgb_color(190, 40, 35));
    fl_color(fl_rgb_color(230, 90, 80));
    fl_xyline(x + 4, y + 4, x + 15);
    fl_yxline(x + 4, y + 4, y + 15);
    fl_color(fl_rgb_color(110, 20, 20));
    fl_xyline(x + 4, y + 15, x + 15);
    fl_yxline(x + 15, y + 4, y + 15);
}

// A push button that shows its icon, if it has one, over its face.
class PushButton : public Fl_Button {
public:
    PushButton(int x, int y, int w, int h) : Fl_Button(x, y, w, h) {}

    void draw() override {
        Fl_Button::draw();
        Window* w = windowOf(this);
        // The icon sits in the middle of the face, as the platform centres it.
        int left = x() + (this->w() - 20) / 2, top = y() + (h() - 20) / 2;
        fl_push_clip(x() + 1, y() + 1, this->w() - 2, h() - 2);
        if (w->icon == playIconId)
            drawPlayIcon(left, top);
        else if (w->icon == stopIconId)
            drawStopIcon(left, top);
        fl_pop_clip();
    }
};

void buttonClicked(Fl_Widget* widget, void*) {
    Window* w = windowOf(widget);
    Event command{EventKind::Command, notifyClicked, w->id};
    command.control = w;
    sendTo(w->parent, command);
}

// A scroll bar that reports clicks as the platform's scroll codes: the
// arrows step by a line, the trough by a page, and only dragging the thumb
// tracks a position. The wheel goes to the pane.
class ScrollBarControl : public Fl_Scrollbar {
public:
    ScrollBarControl(int x, int y, int w, int h) : Fl_Scrollbar(x, y, w, h) {}

    int handle(int event) override {
        if (event == FL_MOUSEWHEEL)
            return 0;
        if (event == FL_PUSH && active_r()) {
            int code = clickedCode();
            if (code >= 0) {
                Window* pane = windowOf(parent());
                bool vertical = type() == FL_VERTICAL;
                sendTo(pane, Event{vertical ? EventKind::VScroll : EventKind::HScroll, code});
                return 1;
            }
        }
        return Fl_Scrollbar::handle(event);
    }

private:
    // The code of a click on an arrow or on the trough, or -1 on the thumb.
    int clickedCode() const {
        bool vertical = type() == FL_VERTICAL;
        int along = vertical ? Fl::event_y() - y() : Fl::event_x() - x();
        int length = vertical ? h() : w();
        int arrow = vertical ? w() : h();
        if (along < arrow)
            return scrollLineUp;
        if (along >= length - arrow)
            return scrollLineDown;
        int trough = length - 2 * arrow;
        double span = maximum() - minimum();
        int thumb = span > 0 ? static_cast<int>(trough * slider_size()) : trough;
        thumb = std::max(thumb, arrow / 2);
        int thumbStart = arrow;
        if (span > 0)
            thumbStart += static_cast<int>((value() - minimum()) / span * (trough - thumb));
        if (along < thumbStart)
            return scrollPageUp;
        if (along >= thumbStart + thumb)
            return scrollPageDown;
        return -1;
    }
};

void scrolled(Fl_Widget* widget, void* barIndex) {
    Window* pane = windowOf(widget->parent());
    int index = static_cast<int>(reinterpret_cast<intptr_t>(barIndex));
    auto* bar = static_cast<Fl_Scrollbar*>(widget);
    pane->scroll[index].trackPosition = static_cast<int>(bar->value());
    Event event{index == 1 ? EventKind::VScroll : EventKind::HScroll, scrollThumbTrack};
    event.position = static_cast<int>(bar->value());
    sendTo(pane, event);
}

void placeScrollBars(Window* pane) {
    auto* fl = static_cast<Fl_Window*>(pane->widget);
    int inset = clientInset(pane);
    if (pane->bars[1] != nullptr)
        pane->bars[1]->resize(fl->w() - inset - scrollBarSize, inset, scrollBarSize,
                              fl->h() - 2 * inset - scrollBarSize);
    if (pane->bars[0] != nullptr)
        pane->bars[0]->resize(inset, fl->h() - inset - scrollBarSize,
                              fl->w() - 2 * inset - scrollBarSize, scrollBarSize);
}

void syncScrollBar(Window* pane, int index) {
    Fl_Scrollbar* bar = pane->bars[index];
    if (bar == nullptr)
        return;
    const ScrollInfo& info = pane->scroll[index];
    int highest = std::max(info.minimum, info.maximum - std::max(info.page - 1, 0));
    if (highest <= info.minimum) {
        bar->value(0, 1, 0, 1);
        bar->deactivate();
    } else {
        bar->activate();
        bar->value(info.position, std::max(info.page, 1), info.minimum, highest + std::max(info.page, 1));
        bar->linesize(1);
    }
    bar->redraw();
}

class Frame : public Fl_Double_Window {
public:
    Frame(int w, int h, const char* caption) : Fl_Double_Window(w, h, caption) {}

    void resize(int x, int y, int w, int h) override {
        bool resized = w != this->w() || h != this->h();
        Fl_Double_Window::resize(x, y, w, h);
        Window* self = windowOf(this);
        if (resized && live(self)) {
            Event event{EventKind::Size, sizeRestored};
            event.width = w;
            event.height = h;
            sendTo(self, event);
        }
    }

    int handle(int event) override {
        Window* self = windowOf(this);
        if ((event == FL_HIDE || event == FL_SHOW) && live(self) && self->everShown) {
            // Iconifying hides the frame and restoring shows it again.
            Event size{EventKind::Size, event == FL_HIDE ? sizeMinimized : sizeRestored};
            size.width = w();
            size.height = h();
            int handled = Fl_Double_Window::handle(event);
            sendTo(self, size);
            return handled;
        }
        if (event == FL_MOUSEWHEEL) {
            // One notch is 120, negative toward the user, as the platform says.
            int notches = Fl::event_dy();
            if (notches != 0) {
                Event wheel{EventKind::MouseWheel, -notches * 120};
                sendTo(self, wheel);
                return 1;
            }
        }
        return Fl_Double_Window::handle(event);
    }
};

void frameClosed(Fl_Widget* widget, void*) { sendTo(windowOf(widget), Event{EventKind::Close}); }

// A native window of a clip window: black where nothing is drawn in it.
class VideoWindow : public Fl_Window {
public:
    VideoWindow(int x, int y, int w, int h) : Fl_Window(x, y, w, h) {
        end();
        box(FL_FLAT_BOX);
        color(FL_BLACK);
    }
};

// A clip window showing video: its bordered box, and over the box's inside
// the native window the media player draws into. A native window covers
// everything its parent draws, scroll bars included, so the video window
// sits in a viewport cut to the pane's client area and is moved within it
// as the box moves.
class VideoBox : public Fl_Box {
public:
    VideoBox(int x, int y, int w, int h) : Fl_Box(x, y, w, h) {}

    void draw() override {
        fl_rectf(x(), y(), w(), h(), FL_BLACK);
        if (windowOf(this)->styleBits & style::border)
            fl_rect(x(), y(), w(), h(), FL_BLACK);
    }

    void resize(int x, int y, int w, int h) override {
        Fl_Box::resize(x, y, w, h);
        placeVideo();
    }

    void show() override {
        Fl_Box::show();
        placeVideo();
    }

    void hide() override {
        Fl_Box::hide();
        placeVideo();
    }

    void placeVideo() {
        if (viewport == nullptr || video == nullptr)
            return;
        Window* self = windowOf(this);
        if (!live(self) || !live(self->parent))
            return;
        Window* pane = self->parent;
        int inset = clientInset(self);
        int left = x() + inset, top = y() + inset;
        int width = std::max(w() - 2 * inset, 1), height = std::max(h() - 2 * inset, 1);
        video->size(width, height);
        // The pane's client area, in the pane's own coordinates.
        Fl_Widget* paneWidget = pane->widget;
        int paneInset = clientInset(pane);
        int clientRight = paneWidget->w() - paneInset - (pane->bars[1] ? scrollBarSize : 0);
        int clientBottom = paneWidget->h() - paneInset - (pane->bars[0] ? scrollBarSize : 0);
        int viewLeft = std::max(left, paneInset), viewTop = std::max(top, paneInset);
        int viewRight = std::min(left + width, clientRight);
        int viewBottom = std::min(top + height, clientBottom);
        if (!visible() || viewRight <= viewLeft || viewBottom <= viewTop) {
            // Out of sight: parked outside the pane, where nothing of it
            // shows, rather than hidden, which would end its native window.
            viewport->resize(-2, -2, 1, 1);
            return;
        }
        viewport->resize(viewLeft, viewTop, viewRight - viewLeft, viewBottom - viewTop);
        video->position(left - viewLeft, top - viewTop);
    }

    Fl_Window* viewport = nullptr;
    Fl_Window* video = nullptr;
};

void placeVideos(Window* pane) {
    for (Window* child : pane->children) {
        if (auto* box = dynamic_cast<VideoBox*>(child->widget))
            box->placeVideo();
    }
}

class Pane : public Fl_Window {
public:
    Pane(int x, int y, int w, int h) : Fl_Window(x, y, w, h) {}

    void draw() override {
        Window* self = windowOf(this);
        ColourReply reply;
        Event event{EventKind::ColourDialog};
        event.colour = &reply;
        Fl_Color background = FL_BACKGROUND_COLOR;
        if (sendTo(self, event) != 0 && reply.brush != nullptr)
            background = toFl(brushColour(reply.brush));
        color(background);
        fl_rectf(0, 0, w(), h(), background);
        if (self->styleBits & style::border)
            fl_rect(0, 0, w(), h(), FL_BLACK);
        if (self->bars[0] && self->bars[1])
            fl_rectf(w() - 1 - scrollBarSize, h() - 1 - scrollBarSize, scrollBarSize,
                     scrollBarSize, FL_BACKGROUND_COLOR);
        for (int index = 0; index < children(); ++index)
            draw_child(*child(index));
    }

    void resize(int x, int y, int w, int h) override {
        // Without a resizable child the children keep their places; only
        // the bars follow the edges.
        Fl_Window::resize(x, y, w, h);
        Window* self = windowOf(this);
        if (live(self)) {
            placeScrollBars(self);
            placeVideos(self);
        }
    }

    int handle(int event) override {
        if (event == FL_MOUSEWHEEL) {
            int notches = Fl::event_dy();
            if (notches != 0) {
                Event wheel{EventKind::MouseWheel, -notches * 120};
                sendTo(windowOf(this), wheel);
                return 1;
            }
        }
        return Fl_Window::handle(event);
    }
};

Result builtIn(WindowHandle w, const Event& event) {
    switch (event.kind) {
    case EventKind::KeyDown:
    case EventKind::SysKeyDown:
    case EventKind::Char:
        w->passOn = true;
        return 0;
    case EventKind::Close:
        if (w->windowKind == WindowKind::Main)
            destroyWindow(w);
        return 0;
    default:
        return 0;
    }
}

void destroyTree(Window* w) {
    if (w->destroyHook != nullptr) {
        void (*hook)(void*) = w->destroyHook;
        w->destroyHook = nullptr;
        hook(w->destroyData);
    }
    if (w->procedure != nullptr)
        w->procedure(w, Event{EventKind::Destroy});
    std::vector<Window*> children = w->children;
    for (Window* child : children)
        destroyTree(child);
    if (desk().focus == w)
        desk().focus = nullptr;
    desk().windows.erase(w);
    delete w;
}

void setLabel(Window* w, const char* text) {
    w->text = text ? text : "";
    w->label = codepage::toUtf8(w->text);
    if (w->widget == nullptr)
        return;
    if (w->windowKind == WindowKind::Main) {
        w->widget->copy_label(w->label.c_str());
    } else if (w->kind == ControlKind::Edit) {
        static_cast<Fl_Input*>(w->widget)->value(w->label.c_str());
    } else if (w->kind == ControlKind::Button) {
        w->widget->copy_label(w->label.c_str());
    }
    w->widget->redraw();
}

void addToParent(Window* parent, Fl_Widget* widget) {
    auto* group = static_cast<Fl_Group*>(parent->widget);
    // Scroll bars stay on top of the pane's children.
    int before = group->children();
    for (Fl_Scrollbar* bar : parent->bars) {
        if (bar != nullptr)
            before = std::min(before, group->find(bar));
    }
    group->insert(*widget, before);
}

} // namespace

namespace ui {

bool registerWindowClass(const char* className, Procedure procedure) {
    desk().classes[className] = procedure;
    return true;
}

WindowHandle createMainWindow(const char* className, const char* caption, int width, int height) {
    auto found = desk().classes.find(className);
    if (found == desk().classes.end())
        return nullptr;
    prepareFonts();
    Fl_Group::current(nullptr);
    auto* w = new Window;
    w->windowKind = WindowKind::Main;
    w->procedure = found->second;
    auto* frame = new Frame(width - frameLeft - frameRight, height - frameTop - frameBottom, "");
    frame->end();
    frame->user_data(w);
    frame->callback(frameClosed);
    frame->xclass("Zorbe");
    // The class background: the platform's scroll-bar colour.
    frame->color(fl_rgb_color(212, 208, 200));
    w->widget = frame;
    setLabel(w, caption);
    desk().windows.insert(w);
    sendTo(w, Event{EventKind::Create});
    return w;
}

WindowHandle createPane(WindowHandle parent, int templateId, Procedure procedure) {
    if (!live(parent))
        return nullptr;
    auto* w = new Window;
    w->windowKind = WindowKind::Pane;
    w->parent = parent;
    w->procedure = procedure;
    w->styleBits = style::child | style::border;
    Fl_Group::current(nullptr);
    auto* pane = new Pane(0, 0, 129, 163); // 86 × 100 dialog units
    pane->end();
    pane->user_data(w);
    pane->box(FL_NO_BOX);
    pane->resizable(nullptr);
    w->widget = pane;
    if (templateId == 1001) {
        w->styleBits |= style::vScroll | style::hScroll;
        for (int i = 0; i < 2; ++i) {
            auto* bar = new ScrollBarControl(0, 0, scrollBarSize, scrollBarSize);
            bar->type(i == 1 ? FL_VERTICAL : FL_HORIZONTAL);
            bar->callback(scrolled, reinterpret_cast<void*>(static_cast<intptr_t>(i)));
            bar->user_data(reinterpret_cast<void*>(static_cast<intptr_t>(i)));
            bar->deactivate();
            pane->add(bar);
            w->bars[i] = bar;
        }
        placeScrollBars(w);
    }
    static_cast<Fl_Group*>(parent->widget)->add(pane);
    pane->hide();
    desk().windows.insert(w);
    parent->children.push_back(w);
    sendTo(w, Event{EventKind::InitDialog});
    return w;
}

void destroyWindow(WindowHandle window) {
    if (!live(window))
        return;
    Fl_Widget* widget = window->widget;
    std::vector<Window*>* siblings = window->parent ? &window->parent->children : nullptr;
    if (siblings != nullptr)
        siblings->erase(std::remove(siblings->begin(), siblings->end(), window), siblings->end());
    destroyTree(window);
    if (widget != nullptr) {
        widget->hide();
        if (widget->parent() != nullptr)
            widget->parent()->remove(widget);
        Fl::delete_widget(widget);
    }
}

void setLargeIcon(WindowHandle, StockIcon) {}

WindowHandle createControl(WindowHandle parent, ControlKind kind, int id, const char* text,
                           uint32_t styleBits, int x, int y, int width, int height) {
    if (!live(parent))
        return nullptr;
    auto* w = new Window;
    w->kind = kind;
    w->id = id;
    w->styleBits = styleBits;
    w->parent = parent;
    w->procedure = builtIn;
    Fl_Group::current(nullptr);
    int inset = clientInset(parent);
    int left = x + inset, top = y + inset;
    Fl_Widget* widget = nullptr;
    switch (kind) {
    case ControlKind::Static: widget = new Label(left, top, width, height); break;
    case ControlKind::Edit: {
        auto* edit = new Edit(left, top, width, height);
        edit->box((styleBits & style::border) ? FL_BORDER_BOX : FL_FLAT_BOX);
        if (styleBits & style::editReadOnly) {
            edit->readonly(1);
            edit->box(FL_FLAT_BOX);
        }
        widget = edit;
        break;
    }
    case ControlKind::Button: {
        Fl_Button* button;
        if ((styleBits & 0xF) == style::buttonAutoCheckBox) {
            button = new Fl_Check_Button(left, top, width, height);
            button->box(FL_NO_BOX);
        } else {
            button = new PushButton(left, top, width, height);
        }
        button->callback(buttonClicked);
        widget = button;
        break;
    }
    }
    widget->user_data(w);
    if (kind == ControlKind::Button)
        widget->callback(buttonClicked, w);
    w->widget = widget;
    setLabel(w, text);
    applyFont(w);
    addToParent(parent, widget);
    if (!(styleBits & style::visible))
        widget->hide();
    desk().windows.insert(w);
    parent->children.push_back(w);
    return w;
}

WindowHandle findControl(WindowHandle parent, int id) {
    if (!live(parent))
        return nullptr;
    for (Window* child : parent->children) {
        if (child->id == id)
            return child;
    }
    return nullptr;
}

int controlId(WindowHandle window) { return live(window) ? window->id : 0; }
WindowHandle parentOf(WindowHandle window) { return live(window) ? window->parent : nullptr; }

void setText(WindowHandle window, const char* text) {
    if (live(window))
        setLabel(window, text);
}

int getText(WindowHandle window, char* buffer, int capacity) {
    if (capacity <= 0)
        return 0;
    if (!live(window)) {
        buffer[0] = '\0';
        return 0;
    }
    std::string text = window->text;
    if (window->kind == ControlKind::Edit && window->widget != nullptr)
        codepage::fromUtf8(static_cast<Fl_Input*>(window->widget)->value(), text);
    int length = std::min<int>(static_cast<int>(text.size()), capacity - 1);
    std::memcpy(buffer, text.data(), static_cast<size_t>(length));
    buffer[length] = '\0';
    return length;
}

void setEditLimit(WindowHandle edit, int characters) {
    if (live(edit))
        edit->editLimit = characters;
}

void setEditSelection(WindowHandle edit, int from, int to) {
    if (!live(edit) || edit->kind != ControlKind::Edit)
        return;
    auto* input = static_cast<Fl_Input*>(edit->widget);
    int size = input->size();
    input->position(std::clamp(to, 0, size), std::clamp(from, 0, size));
}

bool isChecked(WindowHandle checkBox) {
    return live(checkBox) && checkBox->kind == ControlKind::Button &&
           static_cast<Fl_Button*>(checkBox->widget)->value() != 0;
}

void setButtonIcon(WindowHandle button, int iconId) {
    if (!live(button) || button->kind != ControlKind::Button)
        return;
    button->icon = iconId;
    button->widget->redraw();
}

void showWindow(WindowHandle window, bool show) {
    if (!live(window))
        return;
    if (!show) {
        window->widget->hide();
        return;
    }
    window->widget->show();
    if (window->windowKind == WindowKind::Main && !window->everShown) {
        window->everShown = true;
        Event event{EventKind::Size, sizeRestored};
        event.width = window->widget->w();
        event.height = window->widget->h();
        sendTo(window, event);
    }
    if (window->windowKind == WindowKind::Control && window->parent != nullptr)
        window->parent->widget->redraw();
}

bool isVisible(WindowHandle window) { return live(window) && window->widget->visible_r(); }

// Screen position of the top-left corner of window's FLTK widget.
void widgetScreenOrigin(const Window* w, int& x, int& y) {
    Fl_Widget* widget = w->widget;
    x = 0;
    y = 0;
    if (widget->as_window() == nullptr) {
        x = widget->x();
        y = widget->y();
        widget = widget->window();
    }
    while (widget != nullptr) {
        Fl_Window* win = widget->as_window();
        x += win->x();
        y += win->y();
        widget = win->window();
    }
}

Rect windowRect(WindowHandle window) {
    if (!live(window))
        return {};
    int x, y;
    widgetScreenOrigin(window, x, y);
    Fl_Widget* widget = window->widget;
    if (window->windowKind == WindowKind::Main)
        return {x - frameLeft, y - frameTop, x + widget->w() + frameRight,
                y + widget->h() + frameBottom};
    return {x, y, x + widget->w(), y + widget->h()};
}

Rect clientRect(WindowHandle window) {
    if (!live(window))
        return {};
    int inset = window->windowKind == WindowKind::Main ? 0 : clientInset(window);
    int width = window->widget->w() - 2 * inset;
    int height = window->widget->h() - 2 * inset;
    if (window->bars[1] != nullptr)
        width -= scrollBarSize;
    if (window->bars[0] != nullptr)
        height -= scrollBarSize;
    return {0, 0, std::max(width, 0), std::max(height, 0)};
}

Rect desktopRect() {
    int x, y, w, h;
    Fl::screen_xywh(x, y, w, h);
    return {x, y, x + w, y + h};
}

void screenToClient(WindowHandle window, int& x, int& y) {
    if (!live(window))
        return;
    int ox, oy;
    widgetScreenOrigin(window, ox, oy);
    int inset = window->windowKind == WindowKind::Main ? 0 : clientInset(window);
    x -= ox + inset;
    y -= oy + inset;
}

void moveWindow(WindowHandle window, int x, int y, int width, int height) {
    if (!live(window))
        return;
    Fl_Widget* widget = window->widget;
    if (window->windowKind == WindowKind::Main) {
        widget->resize(x + frameLeft, y + frameTop, width - frameLeft - frameRight,
                       height - frameTop - frameBottom);
        return;
    }
    int inset = window->parent ? clientInset(window->parent) : 0;
    bool resized = widget->w() != width || widget->h() != height;
    widget->resize(x + inset, y + inset, width, height);
    if (window->windowKind == WindowKind::Pane && resized) {
        Rect client = clientRect(window);
        Event event{EventKind::Size, sizeRestored};
        event.width = client.right;
        event.height = client.bottom;
        sendTo(window, event);
    }
    if (window->parent != nullptr)
        window->parent->widget->redraw();
}

void moveWindowTo(WindowHandle window, int x, int y) {
    if (!live(window))
        return;
    Fl_Widget* widget = window->widget;
    if (window->windowKind == WindowKind::Main) {
        widget->position(x + frameLeft, y + frameTop);
        return;
    }
    int inset = window->parent ? clientInset(window->parent) : 0;
    widget->position(x + inset, y + inset);
    if (window->parent != nullptr)
        window->parent->widget->redraw();
}

void invalidate(WindowHandle window) {
    if (live(window))
        window->widget->redraw();
}

FontHandle createFont(const LogicalFont& record) {
    prepareFonts();
    auto* f = new Font;
    f->record = record;
    int style = (record.weight >= 600 ? 1 : 0) + (record.italic ? 2 : 0);
    f->face = desk().sans[style];
    // A negative height is the character height; a positive one the cell
    // height, of which the characters take about four fifths.
    int height = record.height;
    if (height < 0)
        f->size = -height;
    else if (height > 0)
        f->size = std::max(1, height * 4 / 5);
    else
        f->size = 12;
    f->underline = record.underline;
    return f;
}

FontHandle stockGuiFont() { return &stockFont(); }

void setFont(WindowHandle window, FontHandle font, bool redraw) {
    if (!live(window))
        return;
    window->font = font;
    if (window->widget != nullptr) {
        applyFont(window);
        if (redraw)
            window->widget->redraw();
    }
}

BrushHandle createSolidBrush(Colour colour) { return new Brush{colour}; }
Colour brushColour(BrushHandle brush) { return brush ? brush->colour : 0; }

void deleteFont(FontHandle font) {
    if (font != nullptr && font != &stockFont())
        delete font;
}

void deleteBrush(BrushHandle brush) { delete brush; }

void setHandCursor(WindowHandle) {
    // Labels that notify show the hand on their own (see Label::handle).
}

BitmapHandle setStaticBitmap(WindowHandle window, BitmapHandle bitmap) {
    if (!live(window))
        return nullptr;
    BitmapHandle previous = window->bitmap;
    window->bitmap = bitmap;
    window->widget->redraw();
    return previous;
}

BitmapHandle staticBitmap(WindowHandle window) { return live(window) ? window->bitmap : nullptr; }

ScrollInfo scrollInfo(WindowHandle window, ScrollBar bar) {
    return live(window) ? window->scroll[static_cast<int>(bar)] : ScrollInfo{};
}

void setScrollRange(WindowHandle window, ScrollBar bar, int minimum, int maximum, int page,
                    bool) {
    if (!live(window))
        return;
    ScrollInfo& info = window->scroll[static_cast<int>(bar)];
    info.minimum = minimum;
    info.maximum = maximum;
    info.page = std::max(0, std::min(page, maximum - minimum + 1));
    int highest = std::max(info.minimum, info.maximum - std::max(info.page - 1, 0));
    info.position = std::clamp(info.position, info.minimum, highest);
    syncScrollBar(window, static_cast<int>(bar));
}

int setScrollPosition(WindowHandle window, ScrollBar bar, int position, bool) {
    if (!live(window))
        return 0;
    ScrollInfo& info = window->scroll[static_cast<int>(bar)];
    int highest = std::max(info.minimum, info.maximum - std::max(info.page - 1, 0));
    info.position = std::clamp(position, info.minimum, highest);
    syncScrollBar(window, static_cast<int>(bar));
    return info.position;
}

int scrollPosition(WindowHandle window, ScrollBar bar) {
    return live(window) ? window->scroll[static_cast<int>(bar)].position : 0;
}

void scrollWindow(WindowHandle window, int dx, int dy) {
    if (!live(window))
        return;
    for (Window* child : window->children) {
        Fl_Widget* widget = child->widget;
        widget->position(widget->x() + dx, widget->y() + dy);
    }
    window->widget->redraw();
}

Result sendEvent(WindowHandle window, const Event& event) { return sendTo(window, event); }

void postEvent(WindowHandle window, const Event& event) {
    desk().posted.push_back({window, event});
    Fl::awake();
}

void setFocus(WindowHandle window) {
    if (!live(window))
        return;
    window->widget->take_focus();
}

WindowHandle focusedWindow() { return desk().focus; }

Procedure subclassControl(WindowHandle control, Procedure procedure) {
    if (!live(control))
        return nullptr;
    Procedure previous = control->procedure;
    control->procedure = procedure;
    return previous;
}

Result callProcedure(Procedure previous, WindowHandle window, const Event& event) {
    return previous ? previous(window, event) : builtIn(window, event);
}

Result defaultProcedure(WindowHandle window, const Event& event) {
    return live(window) ? builtIn(window, event) : 0;
}

int runMessageLoop(WindowHandle) {
    while (!desk().quit) {
        while (!desk().posted.empty() && !desk().quit) {
            PostedEvent next = desk().posted.front();
            desk().posted.pop_front();
            if (next.event.kind == EventKind::Quit) {
                desk().quit = true;
                desk().exitCode = next.event.code;
                break;
            }
            sendTo(next.window, next.event);
        }
        if (desk().quit)
            break;
        if (Fl::first_window() == nullptr && desk().posted.empty())
            break;
        Fl::wait();
    }
    return desk().exitCode;
}

void postQuit(int exitCode) {
    desk().posted.push_back({nullptr, Event{EventKind::Quit, exitCode}});
    Fl::awake();
}

void messageBox(const char* text, const char* caption, MessageIcon) {
    std::string title = codepage::toUtf8(caption);
    fl_close = "OK";
    fl_message_title(title.c_str());
    fl_message("%s", codepage::toUtf8(text).c_str());
}

void openWithShell(const char* text) {
    char message[256];
    fl_open_uri(codepage::toUtf8(text).c_str(), message, sizeof message);
}

} // namespace ui

namespace fltk {

Fl_Window* videoWindow(ui::WindowHandle clipWindow) {
    if (!live(clipWindow) || clipWindow->windowKind != WindowKind::Control ||
        clipWindow->parent == nullptr || clipWindow->parent->windowKind != WindowKind::Pane)
        return nullptr;
    if (auto* box = dynamic_cast<VideoBox*>(clipWindow->widget))
        return box->video;
    // The box takes the place of the clip window's label, in the same spot
    // of the pane's children.
    Fl_Widget* label = clipWindow->widget;
    auto* pane = static_cast<Fl_Group*>(clipWindow->parent->widget);
    Fl_Group::current(nullptr);
    auto* box = new VideoBox(label->x(), label->y(), label->w(), label->h());
    box->user_data(clipWindow);
    pane->insert(*box, pane->find(label));
    pane->remove(label);
    Fl::delete_widget(label);
    clipWindow->widget = box;
    if (!(clipWindow->styleBits & style::visible))
        box->Fl_Box::hide();

    box->viewport = new VideoWindow(-2, -2, 1, 1);
    box->video = new VideoWindow(0, 0, 1, 1);
    box->viewport->add(box->video);
    pane->add(box->viewport);
    box->placeVideo();
    if (static_cast<Fl_Window*>(pane)->shown())
        box->viewport->show();
    return box->video;
}

void whenDestroyed(ui::WindowHandle window, void (*hook)(void*), void* data) {
    if (!live(window))
        return;
    window->destroyHook = hook;
    window->destroyData = data;
}

} // namespace fltk
