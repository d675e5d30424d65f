// The FLTK backend's media host: libmpv, loaded at run time, so that the
// player starts and shows its quiz where the library is missing (its clip
// blocks then cannot get a player). Each clip window has a player record;
// the playback core behind it is made when the clip starts and ended when
// it stops, so that at most one core (a few megabytes and its threads)
// exists at a time, whatever the number of questions. Video is drawn by the
// core into the clip window's native window (fltk_internal.h), by its X
// window id; audio needs no window at all.
#include "platform/clip_player.h"
#include "platform/fltk/fltk_internal.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <mpv/client.h>

#include <dlfcn.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace ui {

struct ClipPlayer {
    bool video = false;
    Fl_Window* videoWindow = nullptr; // null once the clip window is gone
    std::string file;                 // set last; bytes as the file was named
    mpv_handle* core = nullptr;       // while a clip plays
};

} // namespace ui

namespace {

using ui::ClipPlayer;

constexpr const char* libraryName = "libmpv.so.2";
// The interface generation whose types <mpv/client.h> gives.
constexpr unsigned long interfaceMajor = MPV_CLIENT_API_VERSION >> 16;

// The library's functions, found by name.
struct MpvFunctions {
    unsigned long (*clientApiVersion)() = nullptr;
    mpv_handle* (*create)() = nullptr;
    int (*setOptionString)(mpv_handle*, const char*, const char*) = nullptr;
    int (*initialize)(mpv_handle*) = nullptr;
    int (*commandAsync)(mpv_handle*, uint64_t, const char**) = nullptr;
    mpv_event* (*waitEvent)(mpv_handle*, double) = nullptr;
    void (*terminateDestroy)(mpv_handle*) = nullptr;
};

struct MediaHost {
    void* library = nullptr;
    MpvFunctions mpv;
    bool loaded = false;
    std::vector<std::unique_ptr<ClipPlayer>> players;
    // The X error handler the toolkit installed. A core's video output puts
    // its own in place while it runs and, as it ends, the default one,
    // which ends the process at the first error the toolkit's connection
    // meets; the toolkit's goes back after every core.
    bool toolkitHandlerKept = false;
    XErrorHandler toolkitHandler = nullptr;
};

MediaHost& host() {
    static MediaHost state;
    return state;
}

template <typename Function> bool lookUp(void* library, const char* name, Function& function) {
    void* address = dlsym(library, name);
    function = reinterpret_cast<Function>(address);
    return address != nullptr;
}

bool loadLibrary(MediaHost& state) {
    state.library = dlopen(libraryName, RTLD_NOW | RTLD_LOCAL);
    if (state.library == nullptr)
        return false;
    MpvFunctions& f = state.mpv;
    void* library = state.library;
    bool found = lookUp(library, "mpv_client_api_version", f.clientApiVersion) &&
                 lookUp(library, "mpv_create", f.create) &&
                 lookUp(library, "mpv_set_option_string", f.setOptionString) &&
                 lookUp(library, "mpv_initialize", f.initialize) &&
                 lookUp(library, "mpv_command_async", f.commandAsync) &&
                 lookUp(library, "mpv_wait_event", f.waitEvent) &&
                 lookUp(library, "mpv_terminate_destroy", f.terminateDestroy);
    if (!found || f.clientApiVersion() >> 16 != interfaceMajor) {
        dlclose(state.library);
        state.library = nullptr;
        state.mpv = MpvFunctions{};
        return false;
    }
    return true;
}

bool known(const ClipPlayer* player) {
    for (const auto& each : host().players) {
        if (each.get() == player)
            return true;
    }
    return false;
}

void keepToolkitErrorHandler(MediaHost& state) {
    if (state.toolkitHandlerKept)
        return;
    state.toolkitHandler = XSetErrorHandler(nullptr);
    XSetErrorHandler(state.toolkitHandler);
    state.toolkitHandlerKept = true;
}

void restoreToolkitErrorHandler(const MediaHost& state) {
    if (state.toolkitHandlerKept)
        XSetErrorHandler(state.toolkitHandler);
}

// Events are never waited for; taking them keeps the core's queue short.
void dropEvents(const MediaHost& state, mpv_handle* core) {
    while (state.mpv.waitEvent(core, 0)->event_id != MPV_EVENT_NONE) {
    }
}

// What every core is told: play what it is given and nothing else, with no
// on-screen controls, no keys or mouse of its own, no files beside the clip
// and no configuration of the user's; stay on the last picture at the end;
// play on silently where no sound device can be opened.
constexpr const char* coreOptions[][2] = {
    {"config", "no"},
    {"terminal", "no"},
    {"load-scripts", "no"},
    {"osc", "no"},
    {"osd-level", "0"},
    {"input-default-bindings", "no"},
    {"input-vo-keyboard", "no"},
    {"input-cursor", "no"},
    {"cursor-autohide", "no"},
    {"idle", "yes"},
    {"keep-open", "yes"},
    {"force-window", "no"},
    {"audio-fallback-to-null", "yes"},
    {"sub-auto", "no"},
    {"audio-file-auto", "no"},
    {"resume-playback", "no"},
    {"ytdl", "no"},
};

void endCore(ClipPlayer* player) {
    if (player->core == nullptr)
        return;
    MediaHost& state = host();
    // Blocks until the core has let go of its window and its file.
    state.mpv.terminateDestroy(player->core);
    player->core = nullptr;
    restoreToolkitErrorHandler(state);
}

mpv_handle* startCore(ClipPlayer* player) {
    MediaHost& state = host();
    // The video goes into the clip window's native window, which must
    // exist on the display before the core's own connection names it.
    unsigned long windowId = 0;
    if (player->video) {
        if (player->videoWindow == nullptr || !player->videoWindow->shown())
            return nullptr;
        windowId = static_cast<unsigned long>(fl_xid(player->videoWindow));
        if (windowId == 0)
            return nullptr;
        XSync(fl_display, False);
    }
    keepToolkitErrorHandler(state);
    // Cores are refused under any other number format.
    const char* numbers = std::setlocale(LC_NUMERIC, nullptr);
    if (numbers == nullptr || std::strcmp(numbers, "C") != 0)
        std::setlocale(LC_NUMERIC, "C");
    mpv_handle* core = state.mpv.create();
    if (core == nullptr)
        return nullptr;
    for (const auto& option : coreOptions)
        state.mpv.setOptionString(core, option[0], option[1]);
    bool ready;
    if (player->video) {
        char window[32];
        std::snprintf(window, sizeof window, "%lu", windowId);
        // Left to choose, the core may pick an output that opens a window of
        // its own; the X11 output draws into the window it is given.
        ready = state.mpv.setOptionString(core, "wid", window) >= 0 &&
                state.mpv.setOptionString(core, "vo", "x11") >= 0;
    } else {
        ready = state.mpv.setOptionString(core, "vid", "no") >= 0 &&
                state.mpv.setOptionString(core, "vo", "null") >= 0;
        state.mpv.setOptionString(core, "audio-display", "no");
    }
    if (!ready || state.mpv.initialize(core) < 0) {
        state.mpv.terminateDestroy(core);
        restoreToolkitErrorHandler(state);
        return nullptr;
    }
    return core;
}

// The clip window goes with its pane: its core ends first, while the
// window it draws into still exists.
void clipWindowGone(void* data) {
    auto* player = static_cast<ClipPlayer*>(data);
    if (!known(player))
        return;
    endCore(player);
    player->videoWindow = nullptr;
}

} // namespace

namespace ui {

bool mediaHostStartup() {
    MediaHost& state = host();
    if (!state.loaded)
        state.loaded = loadLibrary(state);
    return state.loaded;
}

void mediaHostShutdown() {
    MediaHost& state = host();
    for (const auto& player : state.players)
        endCore(player.get());
    state.players.clear();
    // The library stays mapped until the process ends: what it brought in
    // (sound servers' clients among them) may leave exit handlers behind,
    // which would run into unmapped code.
    state.loaded = false;
}

ClipPlayer* createClipPlayer(WindowHandle clipWindow, bool video) {
    MediaHost& state = host();
    if (!state.loaded || clipWindow == nullptr)
        return nullptr;
    auto player = std::make_unique<ClipPlayer>();
    player->video = video;
    if (video) {
        player->videoWindow = fltk::videoWindow(clipWindow);
        if (player->videoWindow == nullptr)
            return nullptr;
    }
    fltk::whenDestroyed(clipWindow, clipWindowGone, player.get());
    state.players.push_back(std::move(player));
    return state.players.back().get();
}

void setClipPlayerFile(ClipPlayer* player, const char* fileName) {
    if (known(player))
        player->file = fileName;
}

void playClipPlayer(ClipPlayer* player) {
    if (!known(player) || player->file.empty())
        return;
    MediaHost& state = host();
    if (player->core == nullptr)
        player->core = startCore(player);
    if (player->core == nullptr)
        return;
    // Replacing whatever is loaded starts the file from its beginning. The
    // command runs on the core's own thread: loading waits for nothing.
    const char* command[] = {"loadfile", player->file.c_str(), "replace", nullptr};
    state.mpv.commandAsync(player->core, 0, command);
    dropEvents(state, player->core);
}

void stopClipPlayer(ClipPlayer* player) {
    if (known(player))
        endCore(player);
}

} // namespace ui
