// Sound and video clips of the audio and video quizzes. The clip of
// question n is a whole media file in resource "IMG" 400 + n. Starting it
// writes it out to a file in the current directory, named after the type
// its first bytes show, and hands that file to the media host's player in
// the question's clip window. Only one clip file exists at a time: the one
// written last is deleted before the next is written, when the clip is
// stopped and when the question pane closes.
#pragma once

#include "content/quiz_state.h"
#include "platform/clip_player.h"

#include <cstddef>
#include <cstdint>

constexpr int clipResourceBase = 400;
constexpr const char* clipResourceType = "IMG";
// Clip window of question n: 9900 + n, as the picture windows.
constexpr int clipWindowBase = 9900;
// The video area of a block; audio clip windows have no size at all.
constexpr int videoWindowWidth = 260;
constexpr int videoWindowHeight = 200;
// Clip file names, terminating zero included.
constexpr int clipFileCapacity = 260;

// What extractClip writes: the kind chooses the message of a damaged clip.
constexpr int clipKindAudio = 1;
constexpr int clipKindVideo = 2;

constexpr int clipStopped = 0;
constexpr int clipPlaying = 1;

// One entry of the clip table per question: question n uses entry n - 1.
struct ClipSlot {
    ui::WindowHandle clipWindow = nullptr;
    ui::ClipPlayer* player = nullptr; // null when none could be made
    int state = clipStopped;
};

// The extension of a clip file, from the clip's first bytes; bytes past the
// end of a short clip match nothing.
const char* clipExtension(const uint8_t* data, size_t size);

// Loads the media host in the audio and video modes; nothing otherwise.
// Starts the clip table and the last clip file afresh.
void mediaStartup(const QuizState& quiz);
// In the audio and video modes: destroys the main window (and with it the
// panes and clip windows still there), then releases the media host.
void mediaShutdown(const QuizState& quiz, ui::WindowHandle mainWindow);

// Makes the clip window of question n at x, y in the pane (260 × 200 for
// video, 0 × 0 for audio) and its player. False when the player cannot be
// made: the window stays, without a player.
bool createClipHost(const QuizState& quiz, ui::WindowHandle pane, int question, int x, int y);

// Writes the clip in resource id to a file and names it in lastClipFile,
// which names the file before it is written. False, silently, when there is
// no such clip or the file cannot be written; a clip that is listed but
// holds no bytes is told to the user first.
bool extractClip(const QuizState& quiz, int id, int kind);
const char* lastClipFile();
// Deletes the file named by lastClipFile, if this program wrote it.
void deleteLastClipFile();

// The player operations on slot n - 1; nothing for a slot without player.
void setClipFile(int slot, const char* fileName);
void playClip(int slot);
void stopClip(int slot);

// The question pane's clip buttons. Play: every clip stops, the last clip
// file goes, and question's clip is written and played from its beginning.
// Stop: the clip started last stops and its file goes; before any play,
// nothing.
void playQuestionClip(const QuizState& quiz, int question);
void stopCurrentClip();

// The clip table and the question whose clip was started last (0: none).
const ClipSlot& clipSlot(int slot);
int currentClip();
