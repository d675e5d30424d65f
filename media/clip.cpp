#include "media/clip.h"

#include "platform/resources.h"
#include "platform/system.h"

#include <cstdio>
#include <cstring>

namespace {

// The sniffing table: the first row whose first byte matches, and whose
// further byte (if it names one) is one of the listed values, gives the
// extension. RIFF files tell WAVE from AVI by their form type at byte 8;
// MPEG program streams start 00 00 01 and MPEG audio frames FF.
struct SniffRow {
    uint8_t first;
    int position; // the further byte looked at, or noFurtherByte
    uint8_t values[2];
    int valueCount;
    const char* extension;
};
constexpr int noFurtherByte = -1;
// clang-format off
constexpr SniffRow sniffTable[] = {
    {0x52, 8,             {'A'},      1, "AVI"},
    {0x52, 8,             {'W'},      1, "WAV"},
    {0x52, noFurtherByte, {},         0, "MP3"},
    {0x4D, noFurtherByte, {},         0, "MID"},
    {0x30, noFurtherByte, {},         0, "WMV"},
    {0x00, 8,             {'A', 'W'}, 2, "AVI"},
    {0x00, noFurtherByte, {},         0, "MPG"},
    {0xFF, 1,             {0x00},     1, "MPG"},
    {0xFF, noFurtherByte, {},         0, "MP3"},
};
// clang-format on
// Anything else, ID3-tagged MPEG audio ('I') included.
constexpr const char* otherExtension = "MP3";

const char* const damagedClipMessage[] = {
    "Impossible de charger le fichier audio.",
    "Impossible de charger le fichier vid\xE9o.",
};
constexpr const char* messageCaption = "Zorbe";

// The media state of the process: zero at start-up.
struct MediaState {
    bool hostLoaded = false;
    ClipSlot table[maxQuestions];
    int current = 0;
    char lastClipFile[clipFileCapacity] = {};
    // Whether the file named by lastClipFile was made here. A name whose
    // file could not be created may belong to someone else's file, which
    // deleting would destroy where a read-only file can still be unlinked.
    bool lastClipWritten = false;
};

MediaState& media() {
    static MediaState state;
    return state;
}

bool clipMode(const QuizState& quiz) {
    return quiz.quizMode == 2 || quiz.quizMode == 3;
}

ClipSlot* slotAt(int slot) {
    if (slot < 0 || slot >= maxQuestions)
        return nullptr;
    return &media().table[slot];
}

bool rowMatches(const SniffRow& row, const uint8_t* data, size_t size) {
    if (size == 0 || data[0] != row.first)
        return false;
    if (row.position == noFurtherByte)
        return true;
    if (static_cast<size_t>(row.position) >= size)
        return false;
    for (int i = 0; i < row.valueCount; ++i) {
        if (data[row.position] == row.values[i])
            return true;
    }
    return false;
}

} // namespace

const char* clipExtension(const uint8_t* data, size_t size) {
    for (const SniffRow& row : sniffTable) {
        if (rowMatches(row, data, size))
            return row.extension;
    }
    return otherExtension;
}

void mediaStartup(const QuizState& quiz) {
    media() = MediaState{};
    if (clipMode(quiz))
        media().hostLoaded = ui::mediaHostStartup();
}

void mediaShutdown(const QuizState& quiz, ui::WindowHandle mainWindow) {
    if (!clipMode(quiz))
        return;
    ui::destroyWindow(mainWindow);
    if (media().hostLoaded)
        ui::mediaHostShutdown();
    // The clip windows and players are gone; the last clip file went with
    // the question pane.
    media() = MediaState{};
}

bool createClipHost(const QuizState& quiz, ui::WindowHandle pane, int question, int x, int y) {
    ClipSlot* slot = slotAt(question - 1);
    if (slot == nullptr)
        return false;
    const bool video = quiz.quizMode == 3;
    *slot = ClipSlot{};
    slot->clipWindow =
        ui::createControl(pane, ui::ControlKind::Static, clipWindowBase + question, "",
                          ui::style::child | ui::style::visible | ui::style::border, x, y,
                          video ? videoWindowWidth : 0, video ? videoWindowHeight : 0);
    slot->player = ui::createClipPlayer(slot->clipWindow, video);
    return slot->player != nullptr;
}

bool extractClip(const QuizState& quiz, int id, int kind) {
    ResourceBytes clip = findResource(clipResourceType, id);
    if (clip.size == 0) {
        // Our resources come with their bytes once found: a clip listed
        // without any is the one that cannot be loaded.
        if (resourceExists(clipResourceType, id) &&
            (kind == clipKindAudio || kind == clipKindVideo))
            ui::messageBox(damagedClipMessage[kind - 1], messageCaption);
        return false;
    }
    MediaState& state = media();
    char name[clipFileCapacity];
    int length = std::snprintf(name, sizeof name, "%szorbe%d.%s", quiz.mediaFolder, id,
                               clipExtension(clip.data, clip.size));
    if (length < 0 || length >= static_cast<int>(sizeof name)) {
        // A cut name would write and later delete some other file.
        releaseResource(clip);
        return false;
    }
    std::memcpy(state.lastClipFile, name, static_cast<size_t>(length) + 1);
    state.lastClipWritten = false;

    // Written afresh: a link planted under the clip's name is not followed.
    bool written = writeFreshFile(name, clip.data, clip.size);
    state.lastClipWritten = written;
    releaseResource(clip);
    return written;
}

const char* lastClipFile() {
    return media().lastClipFile;
}

void deleteLastClipFile() {
    MediaState& state = media();
    if (!state.lastClipWritten)
        return;
    std::remove(state.lastClipFile);
    state.lastClipWritten = false;
}

void setClipFile(int slot, const char* fileName) {
    ClipSlot* entry = slotAt(slot);
    if (entry != nullptr && entry->player != nullptr)
        ui::setClipPlayerFile(entry->player, fileName);
}

void playClip(int slot) {
    ClipSlot* entry = slotAt(slot);
    if (entry != nullptr && entry->player != nullptr)
        ui::playClipPlayer(entry->player);
}

void stopClip(int slot) {
    ClipSlot* entry = slotAt(slot);
    if (entry != nullptr && entry->player != nullptr)
        ui::stopClipPlayer(entry->player);
}

void playQuestionClip(const QuizState& quiz, int question) {
    if (slotAt(question - 1) == nullptr)
        return;
    MediaState& state = media();
    for (int slot = 0; slot < maxQuestions; ++slot) {
        stopClip(slot);
        state.table[slot].state = clipStopped;
    }
    deleteLastClipFile();
    state.current = question;
    const int kind = quiz.quizMode == 2 ? clipKindAudio : clipKindVideo;
    if (!extractClip(quiz, clipResourceBase + question, kind))
        return;
    // A fresh file for every play: the clip always starts from its beginning.
    setClipFile(question - 1, state.lastClipFile);
    playClip(question - 1);
    state.table[question - 1].state = clipPlaying;
}

void stopCurrentClip() {
    MediaState& state = media();
    ClipSlot* slot = slotAt(state.current - 1);
    if (slot == nullptr)
        return;
    slot->state = clipStopped;
    if (slot->player != nullptr) {
        stopClip(state.current - 1);
        deleteLastClipFile();
    }
}

const ClipSlot& clipSlot(int slot) {
    static const ClipSlot none;
    const ClipSlot* entry = slotAt(slot);
    return entry != nullptr ? *entry : none;
}

int currentClip() {
    return media().current;
}
