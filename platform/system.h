// The running program's file and plain file services the portable modules
// need beyond the standard library.
#pragma once

#include <cstddef>
#include <cstdint>

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
