// The media host: the platform's player of sound and video files, hosted in
// the clip window of a question's block. The player hands it files it has
// written out itself and asks it to play and to stop; it never decodes a
// clip and never waits for one. Backends: platform/win32 (the system's media
// player control), platform/fltk (a media library loaded at run time) and
// platform/memory (tests: every call recorded, failures on request).
#pragma once

#include "platform/ui.h"

namespace ui {

// One player per clip window, opaque, defined by each backend. A player
// lives until mediaHostShutdown.
struct ClipPlayer;

// Loads the media host for the whole run; the audio and video quizzes only.
// False when it cannot be loaded: every player creation then fails.
bool mediaHostStartup();
// Ends every player and releases the media host. Players must not be used
// afterwards.
void mediaHostShutdown();

// A player for the clip window. With video, the pictures fill the window's
// inside, without any control of the player's own; without, the window
// shows nothing. Null when no player can be made (no media host).
ClipPlayer* createClipPlayer(WindowHandle clipWindow, bool video);
// The file the next play starts, named as the program's file functions name
// it (Windows-1252 bytes, relative to the current directory).
void setClipPlayerFile(ClipPlayer* player, const char* fileName);
// Plays the file set last from its beginning and returns at once, the clip
// going on playing. A file the host cannot open or play goes unnoticed.
void playClipPlayer(ClipPlayer* player);
// Ends playback; nothing happens for a player that is not playing. The
// pane deletes the clip file right after, so a host should let go of it.
void stopClipPlayer(ClipPlayer* player);

} // namespace ui
