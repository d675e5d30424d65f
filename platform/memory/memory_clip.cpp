#include "platform/memory/memory_clip.h"

#include <memory>

namespace ui {

struct ClipPlayer {
    memory::ClipPlayerRecord record;
};

} // namespace ui

namespace {

struct MemoryMediaHost {
    bool loaded = false;
    bool failStartup = false;
    int creationsBeforeFailure = 0; // 0: none fails
    std::vector<std::unique_ptr<ui::ClipPlayer>> players;
    std::vector<std::string> log;
};

MemoryMediaHost& host() {
    static MemoryMediaHost state;
    return state;
}

// A handle from before a shutdown or a reset is no player any more.
bool known(const ui::ClipPlayer* player) {
    for (const auto& each : host().players) {
        if (each.get() == player)
            return true;
    }
    return false;
}

} // namespace

namespace ui {

bool mediaHostStartup() {
    MemoryMediaHost& state = host();
    state.loaded = !state.failStartup;
    state.failStartup = false;
    return state.loaded;
}

void mediaHostShutdown() {
    host().players.clear();
    host().loaded = false;
}

ClipPlayer* createClipPlayer(WindowHandle clipWindow, bool video) {
    MemoryMediaHost& state = host();
    if (state.creationsBeforeFailure > 0 && --state.creationsBeforeFailure == 0)
        return nullptr;
    if (!state.loaded || clipWindow == nullptr)
        return nullptr;
    auto player = std::make_unique<ClipPlayer>();
    player->record.clipWindow = clipWindow;
    player->record.clipWindowId = controlId(clipWindow);
    player->record.video = video;
    state.players.push_back(std::move(player));
    return state.players.back().get();
}

void setClipPlayerFile(ClipPlayer* player, const char* fileName) {
    if (!known(player))
        return;
    player->record.file = fileName;
    host().log.push_back("file " + std::to_string(player->record.clipWindowId) + " " + fileName);
}

void playClipPlayer(ClipPlayer* player) {
    if (!known(player))
        return;
    player->record.playing = true;
    host().log.push_back("play " + std::to_string(player->record.clipWindowId) + " " +
                         player->record.file);
}

void stopClipPlayer(ClipPlayer* player) {
    if (!known(player))
        return;
    player->record.playing = false;
    host().log.push_back("stop " + std::to_string(player->record.clipWindowId));
}

} // namespace ui

namespace memory {

const std::vector<std::string>& clipLog() {
    return host().log;
}
void clearClipLog() {
    host().log.clear();
}

std::vector<ClipPlayerRecord> clipPlayers() {
    std::vector<ClipPlayerRecord> records;
    for (const auto& player : host().players)
        records.push_back(player->record);
    return records;
}

bool mediaHostLoaded() {
    return host().loaded;
}
void failMediaHost() {
    host().failStartup = true;
}
void failClipPlayerCreation(int count) {
    host().creationsBeforeFailure = count;
}
void resetClips() {
    host() = MemoryMediaHost{};
}

} // namespace memory
