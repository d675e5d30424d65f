#include "platform/archive.h"
#include "platform/resources.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

std::vector<ArchiveEntry> sampleEntries() {
    return {
        {"PATCH", 104, {1, 2, 3}},
        {"PATCH", 105, {}},
        {"IMG", 401, std::vector<uint8_t>(1000, 0xAB)},
        {"#10", 10401, {0x89, 'P', 'N', 'G'}},
    };
}

std::vector<uint8_t> programWith(const std::vector<ArchiveEntry>& entries,
                                 const std::string& program = "program bytes") {
    std::vector<uint8_t> file(program.begin(), program.end());
    std::vector<uint8_t> archive;
    EXPECT_TRUE(buildArchive(entries, archive));
    file.insert(file.end(), archive.begin(), archive.end());
    return file;
}

void expectSameEntries(const std::vector<ArchiveEntry>& a, const std::vector<ArchiveEntry>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].type, b[i].type);
        EXPECT_EQ(a[i].id, b[i].id);
        EXPECT_EQ(a[i].bytes, b[i].bytes);
    }
}

void putLittle(std::vector<uint8_t>& bytes, size_t at, uint64_t value, int count) {
    for (int i = 0; i < count; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A copy of file with count bytes at `at` set to value, little-endian.
std::vector<uint8_t> patched(std::vector<uint8_t> file, size_t at, uint64_t value, int count) {
    putLittle(file, at, value, count);
    return file;
}

struct ArchiveRead {
    ArchiveStatus status = ArchiveStatus::absent;
    std::vector<ArchiveEntry> entries;
    size_t programSize = 0;
};

ArchiveRead readBytes(const std::vector<uint8_t>& file) {
    ArchiveRead read;
    read.status = readArchive(file.data(), file.size(), read.entries, read.programSize);
    return read;
}

TEST(Archive, RoundTripsItsEntriesAfterTheProgram) {
    std::vector<uint8_t> file = programWith(sampleEntries());
    std::vector<ArchiveEntry> entries;
    size_t programSize = 0;
    ASSERT_EQ(readArchive(file.data(), file.size(), entries, programSize), ArchiveStatus::found);
    EXPECT_EQ(programSize, std::string("program bytes").size());
    expectSameEntries(entries, sampleEntries());

    // An archive with no entries is still an archive.
    file = programWith({});
    ASSERT_EQ(readArchive(file.data(), file.size(), entries, programSize), ArchiveStatus::found);
    EXPECT_TRUE(entries.empty());
}

TEST(Archive, AProgramWithoutArchiveHasNoResources) {
    const std::string programs[] = {"", "short", std::string(100, 'p')};
    for (const std::string& program : programs) {
        std::vector<uint8_t> file(program.begin(), program.end());
        std::vector<ArchiveEntry> entries;
        size_t programSize = 1234;
        EXPECT_EQ(readArchive(file.data(), file.size(), entries, programSize),
                  ArchiveStatus::absent);
        EXPECT_EQ(programSize, file.size());
    }
}

TEST(Archive, RefusesEntriesItCannotStore) {
    const std::vector<ArchiveEntry> refused[] = {
        {{"", 1, {}}},           {{std::string(33, 'T'), 1, {}}},
        {{"WITH SPACE", 1, {}}}, {{"IMG", 65536, {}}},
        {{"IMG", -1, {}}},       {{"IMG", 401, {1}}, {"IMG", 401, {2}}},
    };
    for (const auto& entries : refused) {
        std::vector<uint8_t> archive;
        EXPECT_FALSE(buildArchive(entries, archive)) << entries.front().type;
    }
}

// Layout offsets, from the end of the file: the trailer is the last 32 bytes.
constexpr size_t trailerSize = 32;

TEST(Archive, RefusesDamagedArchivesAsAWhole) {
    const std::vector<uint8_t> good = programWith(sampleEntries());
    const size_t trailer = good.size() - trailerSize;
    const uint64_t archiveSize = good.size() - std::string("program bytes").size();
    const struct {
        const char* name;
        size_t at;
        uint64_t value;
        int count;
    } cases[] = {
        {"archive larger than the file", trailer, good.size() + 1, 8},
        {"archive smaller than its trailer", trailer, 31, 8},
        {"directory past the trailer", trailer + 8, archiveSize, 8},
        {"entry count too high for the directory", trailer + 16, 1000000, 4},
        {"one entry fewer than recorded", trailer + 16, 3, 4},
        {"one entry more than recorded", trailer + 16, 5, 4},
        {"unknown version", trailer + 20, 2, 4},
    };
    for (const auto& c : cases) {
        const ArchiveRead read = readBytes(patched(good, c.at, c.value, c.count));
        EXPECT_EQ(read.status, ArchiveStatus::damaged) << c.name;
        EXPECT_TRUE(read.entries.empty()) << c.name;
        EXPECT_EQ(read.programSize, good.size()) << c.name;
    }
}

TEST(Archive, RefusesDamagedDirectoryRecords) {
    // One entry, so that the directory record sits right before the trailer.
    const std::vector<ArchiveEntry> one = {{"IMG", 401, {1, 2, 3, 4}}};
    const std::vector<uint8_t> good = programWith(one, "p");
    const size_t record = good.size() - trailerSize - (21 + 3);
    const struct {
        const char* name;
        size_t at;
        uint64_t value;
        int count;
    } cases[] = {
        {"identifier out of range", record, 70000, 4},
        {"payload past the directory", record + 4, 1, 8},
        {"payload size past the directory", record + 12, 5, 8},
        {"payload offset wrapping around", record + 4, ~uint64_t{0}, 8},
        {"payload size wrapping around", record + 12, ~uint64_t{0}, 8},
        {"empty type name", record + 20, 0, 1},
        {"type name past the directory", record + 20, 4, 1},
        {"type name with a control byte", record + 21, 0x01, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readBytes(patched(good, c.at, c.value, c.count)).status, ArchiveStatus::damaged)
            << c.name;
}

// Records may name the same payload bytes, but never more bytes in all than
// the archive holds: a small file must not take any amount of memory.
TEST(Archive, SharedPayloadsStayWithinTheArchiveSize) {
    const std::vector<ArchiveEntry> two = {{"IMG", 1, std::vector<uint8_t>(100, 7)},
                                           {"IMG", 2, {7}}};
    const std::vector<uint8_t> good = programWith(two, "");
    // Payloads 101 bytes, two records of 24, trailer 32: 181 bytes.
    ASSERT_EQ(good.size(), 181u);
    const size_t second = 101 + 24;
    const struct {
        const char* name;
        uint64_t size;
        ArchiveStatus status;
    } cases[] = {
        {"half of the first payload again", 50, ArchiveStatus::found},
        {"up to the archive size", 81, ArchiveStatus::found},
        {"one byte more than the archive", 82, ArchiveStatus::damaged},
    };
    // The second record names the start of the first payload.
    const std::vector<uint8_t> sharing = patched(good, second + 4, 0, 8);
    for (const auto& c : cases) {
        const ArchiveRead read = readBytes(patched(sharing, second + 12, c.size, 8));
        EXPECT_EQ(read.status, c.status) << c.name;
        if (c.status == ArchiveStatus::found) {
            ASSERT_EQ(read.entries.size(), 2u) << c.name;
            EXPECT_EQ(read.entries[1].bytes, std::vector<uint8_t>(c.size, 7)) << c.name;
        }
    }
}

// Whatever a damaged file holds, reading it stays within the file.
TEST(Archive, SurvivesEveryTruncationAndEveryFlippedByte) {
    const std::vector<uint8_t> good = programWith({{"PATCH", 104, {9, 8, 7}}, {"IMG", 1, {}}}, "");
    for (size_t size = 0; size < good.size(); ++size) {
        const std::vector<uint8_t> cut(good.begin(), good.begin() + size);
        EXPECT_NE(readBytes(cut).status, ArchiveStatus::found) << size;
    }
    for (size_t at = 0; at < good.size(); ++at) {
        for (uint8_t flip : {0x01, 0x80, 0xFF}) {
            std::vector<uint8_t> file = good;
            file[at] ^= flip;
            EXPECT_LE(readBytes(file).programSize, file.size());
        }
    }
}

#ifndef _WIN32

TEST(Archive, ReadsTheArchiveOfAFileOnDisk) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("zorbe-archive-" + std::to_string(getpid()));
    const struct {
        const char* name;
        std::vector<uint8_t> contents;
        ArchiveStatus status;
        size_t entries;
    } cases[] = {
        {"archive", programWith(sampleEntries()), ArchiveStatus::found, 4},
        {"no archive", std::vector<uint8_t>(100, 'x'), ArchiveStatus::absent, 0},
        {"tiny file", {'x'}, ArchiveStatus::absent, 0},
        {"cut archive",
         [] {
             std::vector<uint8_t> file = programWith(sampleEntries());
             file.erase(file.begin(), file.begin() + 20);
             return file;
         }(),
         ArchiveStatus::damaged, 0},
    };
    for (const auto& c : cases) {
        {
            std::ofstream out(path, std::ios::binary);
            out.write(reinterpret_cast<const char*>(c.contents.data()),
                      static_cast<std::streamsize>(c.contents.size()));
        }
        std::vector<ArchiveEntry> entries;
        EXPECT_EQ(readArchiveFile(path.c_str(), entries), c.status) << c.name;
        EXPECT_EQ(entries.size(), c.entries) << c.name;
        if (c.status == ArchiveStatus::found)
            expectSameEntries(entries, sampleEntries());
    }
    std::filesystem::remove(path);
    std::vector<ArchiveEntry> entries;
    EXPECT_EQ(readArchiveFile(path.c_str(), entries), ArchiveStatus::damaged);
}

TEST(Archive, InstallsEntriesIntoTheResourceTable) {
    clearResources();
    std::vector<ArchiveEntry> entries = sampleEntries();
    installArchive(entries);
    ResourceBytes img = findResource("IMG", 401);
    EXPECT_EQ(img.size, 1000u);
    EXPECT_EQ(findResource("PATCH", 104).size, 3u);
    EXPECT_EQ(findResource("PATCH", 105).size, 0u);
    EXPECT_EQ(findResource("#10", 10401).size, 4u);
    clearResources();

    // The test program carries no archive: nothing to install, no failure.
    EXPECT_TRUE(loadProgramResources());
    EXPECT_EQ(findResource("PATCH", 104).size, 0u);
}

#endif

} // namespace
