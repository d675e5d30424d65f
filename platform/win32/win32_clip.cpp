// The Win32 media host: the system's media player control, hosted in each
// clip window by atl.dll's AtlAxAttachControl. The library is loaded at run
// time, so a system without it still shows its quiz (its clip blocks then
// get no player). COM stays initialised for the whole run of a clip quiz.
#include "platform/clip_player.h"

#include <windows.h>

#include <ocidl.h>
#include <oleauto.h>

// The control's class and interface identifiers are defined here, once:
// the system's import libraries do not carry them.
#include <initguid.h>

#include <wmp.h>

#include <memory>
#include <vector>

namespace ui {

struct ClipPlayer {
    IWMPPlayer* player = nullptr;
    IWMPControls* controls = nullptr;
    HRESULT result = E_FAIL; // of the last call made while creating the player
    bool hasFile = false;    // a file was set since the last stop
};

} // namespace ui

namespace {

using ui::ClipPlayer;

using AttachControl = HRESULT(WINAPI*)(IUnknown* control, HWND window, IUnknown** container);

// In-process server, in-process handler or local server: wherever the
// system keeps its player.
constexpr DWORD playerContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;
// File names handed to the control, terminator included.
constexpr int wideNameCapacity = 512;

struct MediaHost {
    HMODULE atl = nullptr;
    AttachControl attach = nullptr;
    bool comStarted = false;
    std::vector<std::unique_ptr<ClipPlayer>> players;
};

MediaHost& host() {
    static MediaHost state;
    return state;
}

// A handle from before a shutdown is no player any more.
bool known(const ClipPlayer* player) {
    for (const auto& each : host().players) {
        if (each.get() == player)
            return true;
    }
    return false;
}

// Texts reach the control as allocated UTF-16 strings made from the
// system's code page; null when the text does not fit or cannot be made.
BSTR wideText(const char* text) {
    wchar_t wide[wideNameCapacity];
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, wide, wideNameCapacity) == 0)
        return nullptr;
    return SysAllocString(wide);
}

void releasePlayer(ClipPlayer& clip) {
    if (clip.controls != nullptr)
        clip.controls->Release();
    if (clip.player != nullptr)
        clip.player->Release();
    clip.controls = nullptr;
    clip.player = nullptr;
}

} // namespace

namespace ui {

bool mediaHostStartup() {
    MediaHost& state = host();
    if (state.atl == nullptr) {
        state.atl = LoadLibraryA("atl.dll");
        if (state.atl == nullptr)
            return false;
        FARPROC found = GetProcAddress(state.atl, "AtlAxAttachControl");
        state.attach = reinterpret_cast<AttachControl>(reinterpret_cast<void*>(found));
        state.comStarted = SUCCEEDED(CoInitialize(nullptr));
    }
    // A library without the attach function cannot host any player.
    return state.attach != nullptr;
}

void mediaHostShutdown() {
    MediaHost& state = host();
    for (auto& clip : state.players)
        releasePlayer(*clip);
    state.players.clear();
    if (state.comStarted)
        CoUninitialize();
    if (state.atl != nullptr)
        FreeLibrary(state.atl);
    state.atl = nullptr;
    state.attach = nullptr;
    state.comStarted = false;
}

ClipPlayer* createClipPlayer(WindowHandle clipWindow, bool video) {
    // Video fills the clip window and audio has a window of no size: the
    // control needs to be told neither.
    (void)video;
    MediaHost& state = host();
    HWND window = reinterpret_cast<HWND>(clipWindow);
    if (state.attach == nullptr || window == nullptr || !IsWindow(window))
        return nullptr;
    auto clip = std::make_unique<ClipPlayer>();
    clip->result = CoCreateInstance(CLSID_WindowsMediaPlayer, nullptr, playerContext,
                                    IID_IWMPPlayer, reinterpret_cast<void**>(&clip->player));
    if (clip->result != S_OK || clip->player == nullptr) {
        releasePlayer(*clip);
        return nullptr;
    }
    // What follows may fail on some systems (a player without its own
    // controls bar, say) and is not acted upon: the clip plays regardless.
    clip->result = state.attach(clip->player, window, nullptr);
    clip->result = clip->player->get_controls(&clip->controls);
    if (BSTR none = wideText("none")) {
        clip->result = clip->player->put_uiMode(none);
        SysFreeString(none);
    }
    state.players.push_back(std::move(clip));
    return state.players.back().get();
}

void setClipPlayerFile(ClipPlayer* player, const char* fileName) {
    if (!known(player) || player->player == nullptr || fileName == nullptr)
        return;
    player->hasFile = false;
    // A file that is not there is not handed over: some versions of the
    // control fault when asked to play one.
    if (GetFileAttributesA(fileName) == INVALID_FILE_ATTRIBUTES)
        return;
    // A name that does not fit is not cut: a cut name would play another file.
    if (BSTR url = wideText(fileName)) {
        player->hasFile = SUCCEEDED(player->player->put_URL(url));
        SysFreeString(url);
    }
}

void playClipPlayer(ClipPlayer* player) {
    if (known(player) && player->controls != nullptr && player->hasFile)
        player->controls->play();
}

void stopClipPlayer(ClipPlayer* player) {
    if (!known(player) || player->controls == nullptr)
        return;
    player->controls->stop();
    // The file is deleted next: the control lets go of it, and the next
    // play needs a file set again.
    if (player->player != nullptr)
        player->player->close();
    player->hasFile = false;
}

} // namespace ui
