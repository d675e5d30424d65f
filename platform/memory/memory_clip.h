// The in-memory media host: players are records and every call on them is
// written to a log, so tests read what was played and stopped, in order.
#pragma once

#include "platform/clip_player.h"

#include <string>
#include <vector>

namespace memory {

// The log, one line per call on a player, the player named by the
// identifier its clip window had when it was made:
//   "file 9903 zorbe403.WAV", "play 9903 zorbe403.WAV" (the file set last),
//   "stop 9903".
const std::vector<std::string>& clipLog();
void clearClipLog();

// Players made and not yet ended by mediaHostShutdown, in creation order.
struct ClipPlayerRecord {
    ui::WindowHandle clipWindow = nullptr;
    int clipWindowId = 0;
    bool video = false;
    std::string file; // set last
    bool playing = false;
};
std::vector<ClipPlayerRecord> clipPlayers();
bool mediaHostLoaded();

// Makes the next mediaHostStartup fail, as a missing media library does.
void failMediaHost();
// Makes the creation of the count-th player from now fail (1: the next).
void failClipPlayerCreation(int count);

// Forgets players, log and failures (memory::reset does it too).
void resetClips();

} // namespace memory
