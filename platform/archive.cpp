#include "platform/archive.h"

#include "platform/resources.h"

#include <cstdio>
#include <cstring>
#include <set>
#include <utility>

namespace {

// Layout (docs/resource-archive.md), every number little-endian:
//   payloads, then the directory, then a fixed trailer ending the file.
// Directory record: id (u32), offset (u64), size (u64), type length (u8),
// type name. Offsets count from the archive's first byte.
// Trailer: archive size (u64, trailer included), directory offset (u64),
// entry count (u32), format version (u32), magic (8 bytes).
constexpr uint8_t archiveMagic[8] = {'Z', 'o', 'r', 'b', 'e', 'R', 'e', 's'};
constexpr uint32_t archiveVersion = 1;
constexpr size_t trailerSize = 32;
constexpr size_t trailerArchiveSize = 0;
constexpr size_t trailerDirectoryOffset = 8;
constexpr size_t trailerEntryCount = 16;
constexpr size_t trailerVersion = 20;
constexpr size_t trailerMagic = 24;

constexpr size_t recordFixedSize = 4 + 8 + 8 + 1; // id, offset, size, type length
constexpr size_t maxTypeLength = 32;
constexpr uint32_t maxId = 0xFFFF;

uint64_t readLittle(const uint8_t* bytes, int count) {
    uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | bytes[i];
    return value;
}

void appendLittle(std::vector<uint8_t>& out, uint64_t value, int count) {
    for (int i = 0; i < count; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

bool validType(const std::string& type) {
    if (type.empty() || type.size() > maxTypeLength)
        return false;
    for (unsigned char c : type) {
        if (c < 0x21 || c > 0x7E)
            return false;
    }
    return true;
}

struct Trailer {
    uint64_t archiveSize = 0;
    uint64_t directoryOffset = 0;
    uint32_t entryCount = 0;
};

// Checks the trailer against the file it ends; fileSize counts the trailer.
ArchiveStatus readTrailer(const uint8_t* bytes, uint64_t fileSize, Trailer& trailer) {
    if (fileSize < trailerSize || std::memcmp(bytes + trailerMagic, archiveMagic, 8) != 0)
        return ArchiveStatus::absent;
    if (readLittle(bytes + trailerVersion, 4) != archiveVersion)
        return ArchiveStatus::damaged;
    trailer.archiveSize = readLittle(bytes + trailerArchiveSize, 8);
    trailer.directoryOffset = readLittle(bytes + trailerDirectoryOffset, 8);
    trailer.entryCount = static_cast<uint32_t>(readLittle(bytes + trailerEntryCount, 4));
    if (trailer.archiveSize < trailerSize || trailer.archiveSize > fileSize)
        return ArchiveStatus::damaged;
    if (trailer.directoryOffset > trailer.archiveSize - trailerSize)
        return ArchiveStatus::damaged;
    uint64_t directorySize = trailer.archiveSize - trailerSize - trailer.directoryOffset;
    if (trailer.entryCount > directorySize / recordFixedSize)
        return ArchiveStatus::damaged;
    return ArchiveStatus::found;
}

// Reads the directory and the payloads of an archive held whole in memory
// (archive bytes, trailer included).
ArchiveStatus readEntries(const uint8_t* archive, const Trailer& trailer,
                          std::vector<ArchiveEntry>& entries) {
    const uint64_t payloadEnd = trailer.directoryOffset;
    const uint64_t directoryEnd = trailer.archiveSize - trailerSize;
    uint64_t position = trailer.directoryOffset;
    // Payloads may share bytes, but together they may not outgrow the
    // archive: a few records naming the same large payload would otherwise
    // make a small file take any amount of memory.
    uint64_t payloadTotal = 0;
    std::set<std::pair<std::string, int>> seen;
    entries.reserve(trailer.entryCount);
    for (uint32_t i = 0; i < trailer.entryCount; ++i) {
        if (directoryEnd - position < recordFixedSize)
            return ArchiveStatus::damaged;
        const uint8_t* record = archive + position;
        uint64_t id = readLittle(record, 4);
        uint64_t offset = readLittle(record + 4, 8);
        uint64_t size = readLittle(record + 12, 8);
        size_t typeLength = record[20];
        position += recordFixedSize;
        if (typeLength > directoryEnd - position)
            return ArchiveStatus::damaged;
        ArchiveEntry entry;
        entry.type.assign(reinterpret_cast<const char*>(archive + position), typeLength);
        position += typeLength;
        if (!validType(entry.type) || id > maxId)
            return ArchiveStatus::damaged;
        if (offset > payloadEnd || size > payloadEnd - offset)
            return ArchiveStatus::damaged;
        if (size > trailer.archiveSize - payloadTotal)
            return ArchiveStatus::damaged;
        payloadTotal += size;
        entry.id = static_cast<int>(id);
        if (!seen.insert({entry.type, entry.id}).second)
            return ArchiveStatus::damaged;
        entry.bytes.assign(archive + offset, archive + offset + size);
        entries.push_back(std::move(entry));
    }
    // Bytes left over in the directory mean the count and the records
    // disagree.
    if (position != directoryEnd)
        return ArchiveStatus::damaged;
    return ArchiveStatus::found;
}

#ifndef _WIN32

constexpr const char* runningProgram = "/proc/self/exe";

bool readAt(std::FILE* file, uint64_t offset, uint8_t* out, size_t count) {
    if (offset > static_cast<uint64_t>(INT64_MAX) ||
        fseeko(file, static_cast<off_t>(offset), SEEK_SET) != 0)
        return false;
    return std::fread(out, 1, count, file) == count;
}

#endif

} // namespace

ArchiveStatus readArchive(const uint8_t* file, size_t size, std::vector<ArchiveEntry>& entries,
                          size_t& programSize) {
    entries.clear();
    programSize = size;
    Trailer trailer;
    if (!file)
        return ArchiveStatus::absent;
    ArchiveStatus status = size < trailerSize
                               ? ArchiveStatus::absent
                               : readTrailer(file + size - trailerSize, size, trailer);
    if (status != ArchiveStatus::found)
        return status;
    size_t start = size - static_cast<size_t>(trailer.archiveSize);
    status = readEntries(file + start, trailer, entries);
    if (status != ArchiveStatus::found) {
        entries.clear();
        return status;
    }
    programSize = start;
    return status;
}

ArchiveStatus readArchiveFile(const char* path, std::vector<ArchiveEntry>& entries) {
    entries.clear();
#ifdef _WIN32
    (void)path;
    return ArchiveStatus::absent;
#else
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return ArchiveStatus::damaged;
    ArchiveStatus status = ArchiveStatus::damaged;
    uint8_t tail[trailerSize];
    Trailer trailer;
    std::vector<uint8_t> archive;
    off_t end = -1;
    if (fseeko(file, 0, SEEK_END) == 0)
        end = ftello(file);
    if (end >= 0 && static_cast<uint64_t>(end) < trailerSize) {
        status = ArchiveStatus::absent;
    } else if (end >= 0 &&
               readAt(file, static_cast<uint64_t>(end) - trailerSize, tail, trailerSize)) {
        status = readTrailer(tail, static_cast<uint64_t>(end), trailer);
        if (status == ArchiveStatus::found) {
            status = ArchiveStatus::damaged;
            if (trailer.archiveSize <= SIZE_MAX) {
                archive.resize(static_cast<size_t>(trailer.archiveSize));
                if (readAt(file, static_cast<uint64_t>(end) - trailer.archiveSize, archive.data(),
                           archive.size()))
                    status = readEntries(archive.data(), trailer, entries);
            }
        }
    }
    std::fclose(file);
    if (status != ArchiveStatus::found)
        entries.clear();
    return status;
#endif
}

bool buildArchive(const std::vector<ArchiveEntry>& entries, std::vector<uint8_t>& archive) {
    archive.clear();
    std::set<std::pair<std::string, int>> seen;
    for (const ArchiveEntry& entry : entries) {
        if (!validType(entry.type) || entry.id < 0 || static_cast<uint32_t>(entry.id) > maxId ||
            !seen.insert({entry.type, entry.id}).second)
            return false;
    }
    std::vector<uint64_t> offsets;
    for (const ArchiveEntry& entry : entries) {
        offsets.push_back(archive.size());
        archive.insert(archive.end(), entry.bytes.begin(), entry.bytes.end());
    }
    uint64_t directoryOffset = archive.size();
    for (size_t i = 0; i < entries.size(); ++i) {
        const ArchiveEntry& entry = entries[i];
        appendLittle(archive, static_cast<uint32_t>(entry.id), 4);
        appendLittle(archive, offsets[i], 8);
        appendLittle(archive, entry.bytes.size(), 8);
        archive.push_back(static_cast<uint8_t>(entry.type.size()));
        archive.insert(archive.end(), entry.type.begin(), entry.type.end());
    }
    appendLittle(archive, archive.size() + trailerSize, 8);
    appendLittle(archive, directoryOffset, 8);
    appendLittle(archive, entries.size(), 4);
    appendLittle(archive, archiveVersion, 4);
    archive.insert(archive.end(), archiveMagic, archiveMagic + sizeof archiveMagic);
    return true;
}

void installArchive(std::vector<ArchiveEntry>& entries) {
    for (ArchiveEntry& entry : entries)
        installResource(entry.type.c_str(), entry.id, std::move(entry.bytes));
}

bool loadProgramResources() {
#ifdef _WIN32
    return true;
#else
    std::vector<ArchiveEntry> entries;
    ArchiveStatus status = readArchiveFile(runningProgram, entries);
    installArchive(entries);
    return status != ArchiveStatus::damaged;
#endif
}
