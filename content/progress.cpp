#include "content/progress.h"

#include "platform/system.h"
#include "platform/ui.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr const char* progressExtension = "txt";
constexpr int extensionLength = 3;
constexpr uint8_t carriageReturn = 0x0D;
constexpr uint8_t lineFeed = 0x0A;
constexpr const char* lineEnd = "\r\n";

// Room for the program's full path, as the platform gives it.
constexpr int modulePathCapacity = 4096;

// Reads the whole file; false when it cannot be opened or read, when it is
// not a plain file (a pipe or a device planted under its name would hold
// the player at start-up, or never end), or when it is larger than any the
// player writes by far, as a file that cannot be mapped is where the whole
// file is mapped.
bool readFile(const char* name, std::unique_ptr<uint8_t[]>& contents, size_t& size) {
    std::vector<uint8_t> bytes;
    if (!readFileContents(name, maxProgressFileSize, bytes) || bytes.empty())
        return false;
    contents.reset(new (std::nothrow) uint8_t[bytes.size()]);
    if (!contents)
        return false;
    std::memcpy(contents.get(), bytes.data(), bytes.size());
    size = bytes.size();
    return true;
}

} // namespace

bool progressFileNameFor(const char* programPath, char* buffer, int capacity) {
    if (!programPath || capacity <= 0)
        return false;
    const char* name = programPath;
    for (const char* c = programPath; *c; ++c) {
        if (*c == '\\' || *c == '/')
            name = c + 1;
    }
    size_t length = std::strlen(name);
    if (length == 0)
        return false;
    // Only a real extension is replaced: on systems whose programs have
    // none, cutting three characters would garble the name.
    bool hasExtension =
        length > static_cast<size_t>(extensionLength) && name[length - extensionLength - 1] == '.';
    size_t stem = hasExtension ? length - extensionLength : length;
    size_t total = hasExtension ? length : length + 1 + extensionLength;
    if (total >= static_cast<size_t>(capacity))
        return false;
    std::memcpy(buffer, name, stem);
    if (!hasExtension)
        buffer[stem++] = '.';
    std::memcpy(buffer + stem, progressExtension, extensionLength);
    buffer[total] = '\0';
    return true;
}

bool progressFileName(char* buffer, int capacity) {
    char path[modulePathCapacity];
    if (moduleFileName(path, modulePathCapacity) == 0)
        return false;
    return progressFileNameFor(path, buffer, capacity);
}

void saveProgress(const QuizState& state) {
    char name[modulePathCapacity];
    if (!progressFileName(name, modulePathCapacity))
        return;
    std::string contents;
    int lines = state.answersPerQuestion * state.questionCount;
    for (int i = 0; i < lines; ++i) {
        char text[savedLineLength + 1] = {};
        ui::WindowHandle edit = ui::findControl(state.questionPane, firstAnswerEditId + i);
        int length = edit ? ui::getText(edit, text, sizeof text) : 0;
        if (length > 0)
            contents.append(text, static_cast<size_t>(length));
        contents += lineEnd;
    }
    replaceFileContents(name, reinterpret_cast<const uint8_t*>(contents.data()), contents.size());
}

void openProgress(ProgressReader& reader) {
    reader.contents.reset();
    reader.size = 0;
    reader.position = 0;
    char name[modulePathCapacity];
    if (!progressFileName(name, modulePathCapacity))
        return;
    if (!readFile(name, reader.contents, reader.size)) {
        reader.contents.reset();
        reader.size = 0;
    }
}

void readProgressLine(ProgressReader& reader, char line[progressLineLength + 1]) {
    const uint8_t* bytes = reader.contents.get();
    size_t size = bytes ? reader.size : 0;
    size_t p = reader.position;
    int copied = 0;
    while (p < size && bytes[p] != carriageReturn && copied < progressLineLength)
        line[copied++] = static_cast<char>(bytes[p++]);
    line[copied] = '\0';
    // The rest of a line longer than an edit accepts is dropped.
    while (p < size && bytes[p] != carriageReturn)
        ++p;
    while (p < size && bytes[p] != lineFeed)
        ++p;
    if (p <= size)
        ++p;
    reader.position = p;
}

void closeProgress(ProgressReader& reader) {
    reader.contents.reset();
    reader.size = 0;
    reader.position = 0;
}
