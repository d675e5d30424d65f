// The running program's file and plain file services the portable modules
// need beyond the standard library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Copies the full path of the running program into buffer with a
// terminating zero and returns its length; 0 when it cannot be found or does
// not fit capacity (a cut path would name another file).
int moduleFileName(char* buffer, int capacity);

// Makes moduleFileName give path instead (tests); null returns to the real
// one. The text is copied.
void overrideModuleFileName(const char* path);

// Replaces the file at path by size bytes without ever leaving it half
// written: the bytes go to a new file in the same directory, which then takes
// the old one's place. False when anything fails; the old file is then
// untouched and the new one removed.
bool replaceFileContents(const char* path, const uint8_t* data, size_t size);

// Writes size bytes to a file made afresh under path: whatever stood there
// (an old file, or a link planted under that name) is removed first, and the
// file is then created only where nothing stands, so the bytes never go
// through a link into another file. False when anything fails; a file left
// half written is removed.
bool writeFreshFile(const char* path, const uint8_t* data, size_t size);

// Reads the whole of the plain file at path into bytes. False, with bytes
// empty, when there is no such file, when it is anything but a plain file
// (a folder, a pipe, a device: reading one could wait for a writer or never
// end), when it holds more than limit bytes, or when it cannot be read.
bool readFileContents(const char* path, size_t limit, std::vector<uint8_t>& bytes);

// Test hook, not for the program: makes every following replacement (and
// fresh write) fail at one step, as a full disk, a failing device or a
// crash would, until called again with replaceStepNone.
enum ReplaceStep : int {
    replaceStepNone = 0,
    replaceStepCreate = 1, // the new file cannot be created
    replaceStepWrite = 2,  // writing stops after half of the bytes
    replaceStepFlush = 3,  // the bytes cannot be brought to the disk
    replaceStepRename = 4, // the new file cannot take the old one's place
};
void failReplaceStepForTesting(int step);
