#include "platform/memory/memory_ui.h"

#include "platform/heap/heap_bitmaps.h"
#include "platform/memory/memory_clip.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <set>

namespace ui {

enum class WindowKind { Main, Pane, Control };

struct Window {
    WindowKind windowKind = WindowKind::Control;
    ControlKind kind = ControlKind::Static;
    int id = 0;
    int templateId = 0;
    std::string text;
    uint32_t styleBits = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool visible = false;
    Window* parent = nullptr;
    std::vector<Window*> children;
    Procedure procedure = nullptr;
    FontHandle font = nullptr;
    int editLimit = 30000;
    int selectionFrom = 0;
    int selectionTo = 0;
    bool checked = false;
    bool handCursor = false;
    int icon = 0;
    bool everShown = false;
    BitmapHandle bitmap = nullptr;
    StockIcon largeIcon = StockIcon::Application;
    ScrollInfo bars[2];
};

struct Font {
    LogicalFont record;
    bool stock = false;
};

struct Brush {
    Colour colour = 0;
};

} // namespace ui

namespace {

using namespace ui;

struct PostedEvent {
    WindowHandle window;
    Event event;
};

struct MemoryDesktop {
    std::map<std::string, Procedure> classes;
    std::set<Window*> windows;
    std::vector<Window*> topLevel;
    std::set<Font*> fonts;
    std::set<Brush*> brushes;
    std::vector<memory::MessageRecord> messages;
    std::vector<std::string> links;
    std::deque<PostedEvent> posted;
    Window* focus = nullptr;
    bool failRegistration = false;
    Rect desktop{0, 0, 1280, 1024};
    bool quit = false;
    int exitCode = 0;
};

MemoryDesktop& desk() {
    static MemoryDesktop state;
    return state;
}

Font& stockFont() {
    static Font font{{-11, 400, false, false, "MS Shell Dlg"}, true};
    return font;
}

bool live(WindowHandle w) { return w != nullptr && desk().windows.count(w) != 0; }

bool hasBorder(const Window* w) { return (w->styleBits & style::border) != 0; }

// Client area inside the frame, border and scroll bars, relative to the
// window's outer top-left corner.
Rect clientArea(const Window* w) {
    Rect r{0, 0, w->width, w->height};
    if (w->windowKind == WindowKind::Main) {
        r = {memory::frameLeft, memory::frameTop, w->width - memory::frameRight,
             w->height - memory::frameBottom};
    } else if (hasBorder(w)) {
        r = {1, 1, w->width - 1, w->height - 1};
    }
    if (w->styleBits & style::vScroll)
        r.right -= memory::scrollBarSize;
    if (w->styleBits & style::hScroll)
        r.bottom -= memory::scrollBarSize;
    r.right = std::max(r.right, r.left);
    r.bottom = std::max(r.bottom, r.top);
    return r;
}

// Screen position of the window's outer top-left corner.
void screenOrigin(const Window* w, int& x, int& y) {
    if (w->parent == nullptr) {
        x = w->x;
        y = w->y;
        return;
    }
    screenOrigin(w->parent, x, y);
    Rect client = clientArea(w->parent);
    x += client.left + w->x;
    y += client.top + w->y;
}

Result editDefault(WindowHandle w, const Event& event) {
    switch (event.kind) {
    case EventKind::Char:
        if (w->styleBits & style::editReadOnly)
            return 0;
        if (event.code == 8) {
            if (!w->text.empty())
                w->text.pop_back();
        } else if (event.code >= 32 && static_cast<int>(w->text.size()) < w->editLimit) {
            w->text += static_cast<char>(event.code);
        }
        return 0;
    default:
        return 0;
    }
}

Result buttonDefault(WindowHandle w, const Event& event) {
    (void)w;
    (void)event;
    return 0;
}

Result staticDefault(WindowHandle, const Event&) { return 0; }

Procedure builtInProcedure(ControlKind kind) {
    switch (kind) {
    case ControlKind::Edit: return editDefault;
    case ControlKind::Button: return buttonDefault;
    case ControlKind::Static: return staticDefault;
    }
    return staticDefault;
}

void destroyTree(Window* w) {
    // Children first get their destroy notification after the parent's,
    // as the platform does.
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

void unlinkFromParent(Window* w) {
    std::vector<Window*>& siblings = w->parent ? w->parent->children : desk().topLevel;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), w), siblings.end());
}

} // namespace

namespace ui {

bool registerWindowClass(const char* className, Procedure procedure) {
    if (desk().failRegistration) {
        desk().failRegistration = false;
        return false;
    }
    desk().classes[className] = procedure;
    return true;
}

WindowHandle createMainWindow(const char* className, const char* caption, int width, int height) {
    auto found = desk().classes.find(className);
    if (found == desk().classes.end())
        return nullptr;
    auto* w = new Window;
    w->windowKind = WindowKind::Main;
    w->text = caption;
    w->width = width;
    w->height = height;
    w->procedure = found->second;
    desk().windows.insert(w);
    desk().topLevel.push_back(w);
    sendEvent(w, Event{EventKind::Create});
    return w;
}

WindowHandle createPane(WindowHandle parent, int templateId, Procedure procedure) {
    if (!live(parent))
        return nullptr;
    auto* w = new Window;
    w->windowKind = WindowKind::Pane;
    w->templateId = templateId;
    w->parent = parent;
    w->procedure = procedure;
    w->styleBits = style::child | style::border;
    if (templateId == 1001)
        w->styleBits |= style::vScroll | style::hScroll;
    // 86 × 100 dialog units of the 8-point dialog font.
    w->width = 86 * 6 / 4;
    w->height = 100 * 13 / 8;
    desk().windows.insert(w);
    parent->children.push_back(w);
    sendEvent(w, Event{EventKind::InitDialog});
    return w;
}

void destroyWindow(WindowHandle window) {
    if (!live(window))
        return;
    unlinkFromParent(window);
    destroyTree(window);
}

WindowHandle createControl(WindowHandle parent, ControlKind kind, int id, const char* text,
                           uint32_t styleBits, int x, int y, int width, int height) {
    if (!live(parent))
        return nullptr;
    auto* w = new Window;
    w->kind = kind;
    w->id = id;
    w->text = text ? text : "";
    w->styleBits = styleBits;
    w->visible = (styleBits & style::visible) != 0;
    w->x = x;
    w->y = y;
    w->width = width;
    w->height = height;
    w->parent = parent;
    w->procedure = builtInProcedure(kind);
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
        window->text = text ? text : "";
}

int getText(WindowHandle window, char* buffer, int capacity) {
    if (capacity <= 0)
        return 0;
    if (!live(window)) {
        buffer[0] = '\0';
        return 0;
    }
    int length = std::min<int>(static_cast<int>(window->text.size()), capacity - 1);
    std::memcpy(buffer, window->text.data(), static_cast<size_t>(length));
    buffer[length] = '\0';
    return length;
}

void setEditLimit(WindowHandle edit, int characters) {
    if (live(edit))
        edit->editLimit = characters;
}

void setEditSelection(WindowHandle edit, int from, int to) {
    if (!live(edit))
        return;
    int length = static_cast<int>(edit->text.size());
    edit->selectionFrom = std::clamp(from, 0, length);
    edit->selectionTo = std::clamp(to, 0, length);
}

bool isChecked(WindowHandle checkBox) { return live(checkBox) && checkBox->checked; }

void setButtonIcon(WindowHandle button, int iconId) {
    if (live(button))
        button->icon = iconId;
}

void showWindow(WindowHandle window, bool show) {
    if (!live(window))
        return;
    window->visible = show;
    if (show && !window->everShown && window->windowKind == WindowKind::Main) {
        window->everShown = true;
        Rect client = clientRect(window);
        Event event{EventKind::Size, sizeRestored};
        event.width = client.right;
        event.height = client.bottom;
        sendEvent(window, event);
    }
}

void setLargeIcon(WindowHandle window, StockIcon icon) {
    if (live(window))
        window->largeIcon = icon;
}

bool isVisible(WindowHandle window) {
    // Visible means the window and all its ancestors are.
    for (Window* w = window; w != nullptr; w = w->parent) {
        if (!live(w) || !w->visible)
            return false;
    }
    return true;
}

Rect windowRect(WindowHandle window) {
    if (!live(window))
        return {};
    int x, y;
    screenOrigin(window, x, y);
    return {x, y, x + window->width, y + window->height};
}

Rect clientRect(WindowHandle window) {
    if (!live(window))
        return {};
    Rect area = clientArea(window);
    return {0, 0, widthOf(area), heightOf(area)};
}

Rect desktopRect() { return desk().desktop; }

void screenToClient(WindowHandle window, int& x, int& y) {
    if (!live(window))
        return;
    int ox, oy;
    screenOrigin(window, ox, oy);
    Rect area = clientArea(window);
    x -= ox + area.left;
    y -= oy + area.top;
}

void moveWindow(WindowHandle window, int x, int y, int width, int height) {
    if (!live(window))
        return;
    bool resized = window->width != width || window->height != height;
    window->x = x;
    window->y = y;
    window->width = width;
    window->height = height;
    if (resized && window->procedure != nullptr && window->windowKind != WindowKind::Control) {
        Rect client = clientRect(window);
        Event event{EventKind::Size, sizeRestored};
        event.width = client.right;
        event.height = client.bottom;
        sendEvent(window, event);
    }
}

void moveWindowTo(WindowHandle window, int x, int y) {
    if (!live(window))
        return;
    window->x = x;
    window->y = y;
}

void invalidate(WindowHandle) {}

FontHandle createFont(const LogicalFont& font) {
    auto* f = new Font{font, false};
    desk().fonts.insert(f);
    return f;
}

FontHandle stockGuiFont() { return &stockFont(); }

void setFont(WindowHandle window, FontHandle font, bool) {
    if (live(window))
        window->font = font;
}

BrushHandle createSolidBrush(Colour colour) {
    auto* b = new Brush{colour};
    desk().brushes.insert(b);
    return b;
}

Colour brushColour(BrushHandle brush) { return brush ? brush->colour : 0; }

void deleteFont(FontHandle font) {
    if (font != nullptr && desk().fonts.erase(font) != 0)
        delete font;
}

void deleteBrush(BrushHandle brush) {
    if (brush != nullptr && desk().brushes.erase(brush) != 0)
        delete brush;
}

void setHandCursor(WindowHandle window) {
    if (live(window))
        window->handCursor = true;
}

BitmapHandle setStaticBitmap(WindowHandle window, BitmapHandle bitmap) {
    if (!live(window))
        return nullptr;
    BitmapHandle previous = window->bitmap;
    window->bitmap = bitmap;
    return previous;
}

BitmapHandle staticBitmap(WindowHandle window) { return live(window) ? window->bitmap : nullptr; }

ScrollInfo scrollInfo(WindowHandle window, ScrollBar bar) {
    if (!live(window))
        return {};
    return window->bars[static_cast<int>(bar)];
}

void setScrollRange(WindowHandle window, ScrollBar bar, int minimum, int maximum, int page,
                    bool) {
    if (!live(window))
        return;
    ScrollInfo& info = window->bars[static_cast<int>(bar)];
    info.minimum = minimum;
    info.maximum = maximum;
    info.page = std::max(0, std::min(page, maximum - minimum + 1));
    int highest = std::max(info.minimum, info.maximum - std::max(info.page - 1, 0));
    info.position = std::clamp(info.position, info.minimum, highest);
}

int setScrollPosition(WindowHandle window, ScrollBar bar, int position, bool) {
    if (!live(window))
        return 0;
    ScrollInfo& info = window->bars[static_cast<int>(bar)];
    int highest = std::max(info.minimum, info.maximum - std::max(info.page - 1, 0));
    info.position = std::clamp(position, info.minimum, highest);
    return info.position;
}

int scrollPosition(WindowHandle window, ScrollBar bar) {
    return live(window) ? window->bars[static_cast<int>(bar)].position : 0;
}

void scrollWindow(WindowHandle window, int dx, int dy) {
    if (!live(window))
        return;
    for (Window* child : window->children) {
        child->x += dx;
        child->y += dy;
    }
}

Result sendEvent(WindowHandle window, const Event& event) {
    if (!live(window) || window->procedure == nullptr)
        return 0;
    return window->procedure(window, event);
}

void postEvent(WindowHandle window, const Event& event) { desk().posted.push_back({window, event}); }

void setFocus(WindowHandle window) {
    Window* old = desk().focus;
    if (old == window)
        return;
    if (window != nullptr && !live(window))
        return;
    desk().focus = window;
    if (live(old))
        sendEvent(old, Event{EventKind::KillFocus});
    if (live(window) && desk().focus == window)
        sendEvent(window, Event{EventKind::SetFocus});
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
    return previous ? previous(window, event) : defaultProcedure(window, event);
}

Result defaultProcedure(WindowHandle window, const Event& event) {
    if (!live(window))
        return 0;
    if (event.kind == EventKind::Close && window->windowKind == WindowKind::Main) {
        destroyWindow(window);
        return 0;
    }
    if (window->windowKind == WindowKind::Control)
        return builtInProcedure(window->kind)(window, event);
    return 0;
}

int runMessageLoop(WindowHandle) {
    memory::dispatchPosted();
    return desk().exitCode;
}

void postQuit(int exitCode) { desk().posted.push_back({nullptr, Event{EventKind::Quit, exitCode}}); }

void messageBox(const char* text, const char* caption, MessageIcon icon) {
    desk().messages.push_back({text, caption, icon});
}

void openWithShell(const char* text) { desk().links.push_back(text); }

} // namespace ui

namespace memory {

void reset() {
    // As at the end of a process: windows vanish without notifications.
    for (ui::Window* w : desk().windows)
        delete w;
    for (ui::Font* f : desk().fonts)
        delete f;
    for (ui::Brush* b : desk().brushes)
        delete b;
    heapBitmaps::releaseAll();
    desk() = MemoryDesktop{};
    resetClips();
}

const std::vector<MessageRecord>& messages() { return desk().messages; }
const std::vector<std::string>& openedLinks() { return desk().links; }
int liveFonts() { return static_cast<int>(desk().fonts.size()); }
int liveBrushes() { return static_cast<int>(desk().brushes.size()); }
int liveBitmaps() { return heapBitmaps::liveCount(); }
void failNextRegistration() { desk().failRegistration = true; }
void failNextBitmap() { heapBitmaps::failNext(); }
void setDesktop(const ui::Rect& desktop) { desk().desktop = desktop; }
int pendingEvents() { return static_cast<int>(desk().posted.size()); }

std::vector<ui::Event> postedTo(ui::WindowHandle window) {
    std::vector<ui::Event> events;
    for (const PostedEvent& posted : desk().posted) {
        if (posted.window == window)
            events.push_back(posted.event);
    }
    return events;
}

int dispatchPosted() {
    int count = 0;
    while (!desk().posted.empty()) {
        PostedEvent next = desk().posted.front();
        desk().posted.pop_front();
        ++count;
        if (next.event.kind == ui::EventKind::Quit) {
            desk().quit = true;
            desk().exitCode = next.event.code;
            break;
        }
        ui::sendEvent(next.window, next.event);
    }
    return count;
}

ui::ControlKind kindOf(ui::WindowHandle window) {
    return live(window) ? window->kind : ui::ControlKind::Static;
}
uint32_t styleOf(ui::WindowHandle window) { return live(window) ? window->styleBits : 0; }
ui::FontHandle fontOf(ui::WindowHandle window) { return live(window) ? window->font : nullptr; }

ui::Rect placementOf(ui::WindowHandle window) {
    if (!live(window))
        return {};
    return {window->x, window->y, window->x + window->width, window->y + window->height};
}

int editLimitOf(ui::WindowHandle window) { return live(window) ? window->editLimit : 0; }
ui::StockIcon largeIconOf(ui::WindowHandle window) {
    return live(window) ? window->largeIcon : ui::StockIcon::Application;
}
std::pair<int, int> selectionOf(ui::WindowHandle edit) {
    return live(edit) ? std::pair{edit->selectionFrom, edit->selectionTo} : std::pair{0, 0};
}
bool hasHandCursor(ui::WindowHandle window) { return live(window) && window->handCursor; }
int buttonIconOf(ui::WindowHandle button) { return live(button) ? button->icon : 0; }
int templateOf(ui::WindowHandle pane) { return live(pane) ? pane->templateId : 0; }

std::vector<ui::WindowHandle> childrenOf(ui::WindowHandle parent) {
    return live(parent) ? parent->children : std::vector<ui::WindowHandle>{};
}

std::vector<ui::WindowHandle> topLevelWindows() { return desk().topLevel; }
bool isLive(ui::WindowHandle window) { return live(window); }

void setChecked(ui::WindowHandle checkBox, bool checked) {
    if (live(checkBox))
        checkBox->checked = checked;
}

ui::LogicalFont logicalFontOf(ui::FontHandle font) { return font ? font->record : ui::LogicalFont{}; }
bool isStockFont(ui::FontHandle font) { return font != nullptr && font->stock; }

uint8_t* bitmapBits(ui::BitmapHandle bitmap) {
    return heapBitmaps::isLive(bitmap) ? bitmap->bits.data() : nullptr;
}

ui::BitmapInfo bitmapInfoOf(ui::BitmapHandle bitmap) {
    return heapBitmaps::isLive(bitmap) ? bitmap->info : ui::BitmapInfo{};
}

bool colourOf(ui::WindowHandle window, ui::ColourReply& reply) {
    if (!live(window) || window->parent == nullptr)
        return false;
    reply = {};
    ui::Event event{ui::EventKind::ColourStatic};
    event.id = window->id;
    event.control = window;
    event.colour = &reply;
    return ui::sendEvent(window->parent, event) != 0;
}

} // namespace memory
