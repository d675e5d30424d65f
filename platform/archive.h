// The program's resources on systems whose executables carry none of their
// own: an archive appended to the program file, read back from the running
// program's file at start-up into the resource table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ArchiveEntry {
    std::string type; // "PATCH", "IMG", "#10": 1 to 32 printable ASCII characters
    int id = 0;       // 0 to 65535
    std::vector<uint8_t> bytes;
};

enum class ArchiveStatus {
    found,   // entries hold the archive's resources
    absent,  // the file ends without an archive: a program with no resources
    damaged, // an archive whose sizes, offsets or names do not hold together
};

// Finds the archive at the end of the size bytes of file. On found, entries
// holds its resources in stored order and programSize the number of bytes
// before it; otherwise entries is empty and programSize is size. A damaged
// archive is refused as a whole.
ArchiveStatus readArchive(const uint8_t* file, size_t size, std::vector<ArchiveEntry>& entries,
                          size_t& programSize);

// The same for a file on disk, reading only the archive.
ArchiveStatus readArchiveFile(const char* path, std::vector<ArchiveEntry>& entries);

// The bytes to append to a program file so that it carries entries. False
// when an entry cannot be stored (a type name or identifier out of range, or
// the same type and identifier twice).
bool buildArchive(const std::vector<ArchiveEntry>& entries, std::vector<uint8_t>& archive);

// Puts every entry into the resource table.
void installArchive(std::vector<ArchiveEntry>& entries);

// Installs the running program's own resources. On systems with resources
// in the executable format it has nothing to do. False when the program's
// archive is damaged or cannot be read; the table is then left empty, as for
// a program without resources.
bool loadProgramResources();
