// Resources of Windows executables: a small stand-in executable built here
// in both forms (PE32 and PE32+), and the real Windows players when the
// Windows builds are present.
#include "content/pe_resources.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

void put16(std::vector<uint8_t>& file, size_t at, uint32_t value) {
    file[at] = static_cast<uint8_t>(value);
    file[at + 1] = static_cast<uint8_t>(value >> 8);
}

void put32(std::vector<uint8_t>& file, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        file[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t get32(const std::vector<uint8_t>& file, size_t at) {
    return file[at] | (file[at + 1] << 8) | (file[at + 2] << 16) |
           (static_cast<uint32_t>(file[at + 3]) << 24);
}

uint16_t get16(const std::vector<uint8_t>& file, size_t at) {
    return static_cast<uint16_t>(file[at] | (file[at + 1] << 8));
}

enum class Rsrc { none, last, beforeRelocations };

struct StandIn {
    bool plus;
    Rsrc rsrc;
    std::vector<uint8_t> tree = {}; // in place of the one-dialog tree
};

constexpr size_t peAt = 0x40;
constexpr size_t headersSize = 0x400;
constexpr size_t optionalAt = peAt + 24;
size_t optionalSize(bool plus) {
    return plus ? 240 : 224;
}
size_t directoriesAt(bool plus) {
    return optionalAt + (plus ? 112 : 96);
}
size_t sectionTableAt(bool plus) {
    return optionalAt + optionalSize(plus);
}

// The stand-in: .text and .data, then, as asked, a resource section holding
// one dialog (type 5, 1001, language 0x409, bytes "DLG!") last or followed
// by a relocation section. File alignment 0x200, section alignment 0x1000,
// headers with room for one more section header.
std::vector<uint8_t> makeStandIn(const StandIn& shape) {
    const bool plus = shape.plus;
    std::vector<uint8_t> file(headersSize, 0);
    file[0] = 'M';
    file[1] = 'Z';
    put32(file, 0x3C, peAt);
    std::memcpy(&file[peAt], "PE\0\0", 4);
    put16(file, peAt + 4, plus ? 0x8664 : 0x14C);
    put16(file, peAt + 4 + 16, static_cast<uint32_t>(optionalSize(plus)));
    put16(file, optionalAt, plus ? 0x20B : 0x10B);
    put32(file, optionalAt + 32, 0x1000);
    put32(file, optionalAt + 36, 0x200);
    put32(file, optionalAt + 60, headersSize);
    put32(file, optionalAt + (plus ? 108 : 92), 16);

    struct Section {
        const char* name;
        uint32_t characteristics;
        std::vector<uint8_t> bytes;
    };
    std::vector<Section> sections = {{".text", 0x60000020, std::vector<uint8_t>(0x180, 0xC3)},
                                     {".data", 0xC0000040, std::vector<uint8_t>(0x40, 0x11)}};
    if (shape.rsrc != Rsrc::none) {
        // Root, name and language directories with one entry each, then the
        // data entry and the data.
        std::vector<uint8_t> tree(100, 0);
        put16(tree, 14, 1);
        put32(tree, 16, 5);
        put32(tree, 20, 0x80000000u | 24);
        put16(tree, 24 + 14, 1);
        put32(tree, 24 + 16, 1001);
        put32(tree, 24 + 20, 0x80000000u | 48);
        put16(tree, 48 + 14, 1);
        put32(tree, 48 + 16, 0x409);
        put32(tree, 48 + 20, 72);
        put32(tree, 72, 0x3000 + 88);
        put32(tree, 76, 4);
        std::memcpy(&tree[88], "DLG!", 4);
        if (!shape.tree.empty())
            tree = shape.tree;
        sections.push_back({".rsrc", 0x40000040, tree});
        put32(file, directoriesAt(plus) + 2 * 8, 0x3000);
        put32(file, directoriesAt(plus) + 2 * 8 + 4, 100);
        if (shape.rsrc == Rsrc::beforeRelocations) {
            sections.push_back({".reloc", 0x42000040, std::vector<uint8_t>(12, 0x22)});
            put32(file, directoriesAt(plus) + 5 * 8, 0x14000);
            put32(file, directoriesAt(plus) + 5 * 8 + 4, 12);
        }
    }
    put16(file, peAt + 6, static_cast<uint32_t>(sections.size()));
    for (size_t i = 0; i < sections.size(); ++i) {
        size_t header = sectionTableAt(plus) + 40 * i;
        std::memcpy(&file[header], sections[i].name, std::strlen(sections[i].name));
        put32(file, header + 8, static_cast<uint32_t>(sections[i].bytes.size()));
        put32(file, header + 12, static_cast<uint32_t>(0x1000 * (i + 1) + (i == 3 ? 0x10000 : 0)));
        const uint32_t rawSize =
            static_cast<uint32_t>((sections[i].bytes.size() + 0x1FF) & ~0x1FFu);
        put32(file, header + 16, rawSize);
        put32(file, header + 20, static_cast<uint32_t>(file.size()));
        put32(file, header + 36, sections[i].characteristics);
        std::vector<uint8_t> raw = sections[i].bytes;
        raw.resize(rawSize, 0);
        file.insert(file.end(), raw.begin(), raw.end());
    }
    put32(file, optionalAt + 56, static_cast<uint32_t>(0x1000 * (sections.size() + 1) + 0x10000));
    return file;
}

PeName named(const char* text) {
    PeName name;
    for (const char* c = text; *c; ++c)
        name.text.push_back(static_cast<char16_t>(*c));
    return name;
}

PeName numbered(uint16_t number) {
    PeName name;
    name.number = number;
    return name;
}

PeResource resource(PeName type, uint16_t id, std::vector<uint8_t> bytes) {
    PeResource made;
    made.type = std::move(type);
    made.name = numbered(id);
    made.bytes = std::move(bytes);
    return made;
}

const PeResource* findResource(const std::vector<PeResource>& resources, const PeName& type,
                               uint16_t id) {
    for (const PeResource& found : resources) {
        if (found.type.text == type.text &&
            (!type.text.empty() || found.type.number == type.number) && found.name.text.empty() &&
            found.name.number == id)
            return &found;
    }
    return nullptr;
}

// The quiz's resources as the packer adds them.
std::vector<PeResource> quizResources() {
    std::vector<uint8_t> big(5000);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<uint8_t>(i * 7);
    return {resource(named("PATCH"), 104, {1, 2, 3}), resource(named("PATCH"), 105, {4}),
            resource(named("IMG"), 401, big), resource(numbered(10), 402, {9, 9, 9, 9, 9}),
            resource(named("IMG"), 10403, {})};
}

// The checksum rule, computed independently: 16-bit words summed with the
// carries folded, the checksum field skipped, the length added.
uint32_t checksumOf(const std::vector<uint8_t>& file) {
    size_t checksumAt = get32(file, 0x3C) + 24 + 64;
    uint32_t sum = 0;
    for (size_t i = 0; i + 1 < file.size() + 1; i += 2) {
        if (i == checksumAt || i == checksumAt + 2)
            continue;
        uint32_t word = file[i] | (i + 1 < file.size() ? file[i + 1] << 8 : 0);
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return sum + static_cast<uint32_t>(file.size());
}

void expectSoundHeaders(const std::vector<uint8_t>& file) {
    size_t pe = get32(file, 0x3C);
    size_t optional = pe + 24;
    bool plus = get16(file, optional) == 0x20B;
    uint32_t sectionAlignment = get32(file, optional + 32);
    uint32_t fileAlignment = get32(file, optional + 36);
    size_t count = get16(file, pe + 6);
    size_t table = optional + get16(file, pe + 20);
    uint32_t imageEnd = 0;
    uint32_t initialized = 0;
    for (size_t i = 0; i < count; ++i) {
        size_t header = table + 40 * i;
        uint32_t address = get32(file, header + 12);
        uint32_t rawSize = get32(file, header + 16);
        uint32_t rawPointer = get32(file, header + 20);
        EXPECT_EQ(address % sectionAlignment, 0u);
        EXPECT_EQ(rawSize % fileAlignment, 0u);
        EXPECT_EQ(rawPointer % fileAlignment, 0u);
        EXPECT_LE(size_t{rawPointer} + rawSize, file.size());
        imageEnd = std::max(imageEnd, address + std::max(get32(file, header + 8), rawSize));
        if (get32(file, header + 36) & 0x40)
            initialized += rawSize;
    }
    uint32_t sizeOfImage = get32(file, optional + 56);
    EXPECT_EQ(sizeOfImage % sectionAlignment, 0u);
    EXPECT_GE(sizeOfImage, imageEnd);
    EXPECT_LT(sizeOfImage - imageEnd, sectionAlignment);
    EXPECT_EQ(get32(file, optional + 8), initialized);
    EXPECT_EQ(get32(file, optional + 64), checksumOf(file));
    // The resource directory points at the section called .rsrc, the last.
    size_t directory = optional + (plus ? 112 : 96) + 16;
    size_t last = table + 40 * (count - 1);
    EXPECT_EQ(std::memcmp(&file[last], ".rsrc\0\0\0", 8), 0);
    EXPECT_EQ(get32(file, directory), get32(file, last + 12));
    EXPECT_EQ(get32(file, directory + 4), get32(file, last + 8));
}

TEST(PeResources, StandInsReadBackWhatWasWritten) {
    const StandIn shapes[] = {
        {false, Rsrc::none}, {false, Rsrc::last}, {false, Rsrc::beforeRelocations},
        {true, Rsrc::none},  {true, Rsrc::last},  {true, Rsrc::beforeRelocations}};
    for (const StandIn& shape : shapes) {
        SCOPED_TRACE(testing::Message()
                     << "PE32+ " << shape.plus << " shape " << static_cast<int>(shape.rsrc));
        std::vector<uint8_t> player = makeStandIn(shape);
        std::vector<PeResource> resources;
        ASSERT_EQ(readPeResources(player.data(), player.size(), resources), peOk);
        ASSERT_EQ(resources.size(), shape.rsrc == Rsrc::none ? 0u : 1u);
        mergePeResources(resources, quizResources());

        std::vector<uint8_t> packed;
        ASSERT_EQ(writePeResources(player.data(), player.size(), resources, packed), peOk);
        expectSoundHeaders(packed);
        // Everything before the resources is the player's, untouched.
        EXPECT_TRUE(std::equal(player.begin() + headersSize, player.begin() + headersSize + 0x400,
                               packed.begin() + headersSize));

        std::vector<PeResource> back;
        ASSERT_EQ(readPeResources(packed.data(), packed.size(), back), peOk);
        ASSERT_EQ(back.size(), resources.size());
        for (const PeResource& expected : resources) {
            const PeResource* found = findResource(back, expected.type, expected.name.number);
            ASSERT_NE(found, nullptr);
            EXPECT_EQ(found->bytes, expected.bytes);
            EXPECT_EQ(found->language, 0x409);
        }
        // Named types first, in order, then numbers in order.
        EXPECT_EQ(back.front().type.text, u"IMG");
        EXPECT_EQ(back[2].type.text, u"PATCH");
        EXPECT_EQ(back[4].type.number, shape.rsrc == Rsrc::none ? 10 : 5);

        // Packing again replaces the quiz and changes nothing else.
        std::vector<uint8_t> again;
        ASSERT_EQ(writePeResources(packed.data(), packed.size(), back, again), peOk);
        EXPECT_EQ(again, packed);
    }
}

TEST(PeResources, MergeReplacesTheSameTypeAndName) {
    std::vector<PeResource> resources = {resource(numbered(5), 1001, {1}),
                                         resource(named("PATCH"), 104, {2}),
                                         resource(named("PATCH"), 105, {3})};
    resources[1].language = 0x40C;
    mergePeResources(resources,
                     {resource(named("PATCH"), 104, {7}), resource(numbered(5), 1002, {8})});
    ASSERT_EQ(resources.size(), 4u);
    EXPECT_EQ(findResource(resources, numbered(5), 1001)->bytes, std::vector<uint8_t>{1});
    EXPECT_EQ(findResource(resources, named("PATCH"), 104)->bytes, std::vector<uint8_t>{7});
    EXPECT_EQ(findResource(resources, named("PATCH"), 105)->bytes, std::vector<uint8_t>{3});
}

TEST(PeResources, TypeNamesOfTheResourceTable) {
    EXPECT_EQ(peTypeOf("#10").number, 10);
    EXPECT_TRUE(peTypeOf("#10").text.empty());
    EXPECT_EQ(peTypeOf("PATCH").text, u"PATCH");
    EXPECT_EQ(peTypeOf("#99999").text, u"#99999");
    EXPECT_EQ(peTypeText(numbered(10)), "#10");
    EXPECT_EQ(peTypeText(named("IMG")), "IMG");
    EXPECT_EQ(peTypeText(named("A B")), "");
}

TEST(PeResources, DuplicatesAreRefused) {
    std::vector<uint8_t> player = makeStandIn({true, Rsrc::last});
    std::vector<uint8_t> packed;
    EXPECT_EQ(writePeResources(player.data(), player.size(),
                               {resource(named("IMG"), 401, {1}), resource(named("IMG"), 401, {2})},
                               packed),
              peDuplicateResource);
    EXPECT_TRUE(packed.empty());
}

// Every prefix of a file shorter than its sections is refused, and none
// makes the reader or writer go outside the bytes it was given.
TEST(PeResources, TruncatedFilesAreRefused) {
    for (bool plus : {false, true}) {
        std::vector<uint8_t> player = makeStandIn({plus, Rsrc::beforeRelocations});
        for (size_t size = 0; size < player.size(); ++size) {
            std::vector<uint8_t> cut(player.begin(), player.begin() + static_cast<long>(size));
            std::vector<PeResource> resources;
            int read = readPeResources(cut.data(), cut.size(), resources);
            EXPECT_NE(read, peOk) << "size " << size;
            EXPECT_TRUE(resources.empty());
            std::vector<uint8_t> packed;
            EXPECT_NE(writePeResources(cut.data(), cut.size(), quizResources(), packed), peOk);
            EXPECT_TRUE(packed.empty());
        }
    }
}

struct Damage {
    const char* what;
    size_t at; // offset in the stand-in (PE32+, resources before relocations)
    uint32_t value;
    bool wide; // 32 bits, else 16
    int expected;
};

TEST(PeResources, DamagedFilesAreRefused) {
    const size_t table = sectionTableAt(true);
    const size_t tree = headersSize + 0x400; // the resource section's bytes
    const Damage damages[] = {
        {"no MZ", 0, 0x5A4E, false, peNotExecutable},
        {"PE header past the end", 0x3C, 0x7FFFFFF0, true, peDamagedHeaders},
        {"PE header at the very end", 0x3C, 0xC00 - 2, true, peDamagedHeaders},
        {"no PE signature", peAt, 0x4550 + 1, false, peNotExecutable},
        {"unknown optional header", optionalAt, 0x30B, false, peNotExecutable},
        {"optional header too short", peAt + 20, 8, false, peDamagedHeaders},
        {"optional header past the end", peAt + 20, 0xFFFF, false, peDamagedHeaders},
        {"too many directories", optionalAt + 108, 1000, true, peDamagedHeaders},
        {"too many sections", peAt + 6, 0xFFFF, false, peDamagedHeaders},
        {"section data past the end", table + 40 + 20, 0x7FFFFE00, true, peDamagedHeaders},
        {"section size past the end", table + 40 + 16, 0xFFFFFE00, true, peDamagedHeaders},
        {"odd file alignment", optionalAt + 36, 0x300, true, peDamagedHeaders},
        {"symbol table", peAt + 4 + 8, 0x100, true, peDamagedHeaders},
        {"resources outside every section", directoriesAt(true) + 16, 0x9000, true,
         peDamagedResources},
        {"resource count past the section", tree + 14, 0xFFFF, false, peDamagedResources},
        {"subdirectory past the section", tree + 20, 0x80000000u | 0x1F8, true, peDamagedResources},
        {"subdirectory pointing back", tree + 24 + 20, 0x80000000u | 0, true, peDamagedResources},
        {"subdirectory pointing at itself", tree + 24 + 20, 0x80000000u | 24, true,
         peDamagedResources},
        {"data entry where a directory belongs", tree + 20, 24, true, peDamagedResources},
        {"directory where data belongs", tree + 48 + 20, 0x80000000u | 72, true,
         peDamagedResources},
        {"data entry past the section", tree + 48 + 20, 0x1FC, true, peDamagedResources},
        {"data outside every section", tree + 72, 0x9000, true, peDamagedResources},
        {"data running off its section", tree + 76, 0x200, true, peDamagedResources},
        {"data size beyond the file", tree + 76, 0xFFFFFFFF, true, peDamagedResources},
        {"name past the section", tree + 16, 0x80000000u | 0x1FF, true, peDamagedResources},
        {"name running off the section", tree + 16, 0x80000000u | 88, true, peDamagedResources},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        std::vector<uint8_t> file = makeStandIn({true, Rsrc::beforeRelocations});
        if (damage.wide)
            put32(file, damage.at, damage.value);
        else
            put16(file, damage.at, damage.value);
        // A name running off: its length says more than the section holds.
        if (std::strcmp(damage.what, "name running off the section") == 0)
            put16(file, tree + 88, 0x7FFF);
        std::vector<PeResource> resources;
        EXPECT_EQ(readPeResources(file.data(), file.size(), resources), damage.expected);
        EXPECT_TRUE(resources.empty());
        std::vector<uint8_t> packed;
        EXPECT_EQ(writePeResources(file.data(), file.size(), quizResources(), packed),
                  damage.expected);
        EXPECT_TRUE(packed.empty());
    }
}

// Bytes of the headers and the resource tree changed at random: every
// result is a clean refusal or a file that reads back, never a read outside
// the input (the sanitizer build watches that).
TEST(PeResources, RandomDamageIsHandled) {
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    for (bool plus : {false, true}) {
        const std::vector<uint8_t> player = makeStandIn({plus, Rsrc::beforeRelocations});
        const size_t tree = headersSize + 0x400;
        for (int round = 0; round < 3000; ++round) {
            std::vector<uint8_t> file = player;
            for (uint32_t changes = 1 + next() % 4; changes > 0; --changes) {
                size_t at = next() % 2 ? next() % 0x200 : tree + next() % 100;
                file[at] = static_cast<uint8_t>(next());
            }
            std::vector<PeResource> resources;
            if (readPeResources(file.data(), file.size(), resources) != peOk)
                continue;
            mergePeResources(resources, quizResources());
            std::vector<uint8_t> packed;
            if (writePeResources(file.data(), file.size(), resources, packed) != peOk)
                continue;
            std::vector<PeResource> back;
            EXPECT_EQ(readPeResources(packed.data(), packed.size(), back), peOk) << round;
        }
    }
}

// Entries that all lead to the same directories name few resources but
// would take billions of steps to walk in a larger file: the walk stops.
TEST(PeResources, SharedDirectoriesAreRefused) {
    const uint32_t count = 2000;
    const uint32_t second = 16 + 8 * count;
    const uint32_t third = second + 16 + 8 * count;
    std::vector<uint8_t> tree(third + 16, 0);
    put16(tree, 14, count);
    put16(tree, second + 14, count);
    for (uint32_t i = 0; i < count; ++i) {
        put32(tree, 16 + 8 * i, i);
        put32(tree, 20 + 8 * i, 0x80000000u | second);
        put32(tree, second + 16 + 8 * i, i);
        put32(tree, second + 20 + 8 * i, 0x80000000u | third);
    }
    std::vector<uint8_t> file = makeStandIn({true, Rsrc::last, tree});
    std::vector<PeResource> resources;
    EXPECT_EQ(readPeResources(file.data(), file.size(), resources), peDamagedResources);
}

TEST(PeResources, SignedOrFullHeadersAreNotRewritten) {
    std::vector<uint8_t> file = makeStandIn({false, Rsrc::beforeRelocations});
    std::vector<uint8_t> packed;
    std::vector<uint8_t> signedFile = file;
    put32(signedFile, directoriesAt(false) + 4 * 8, 0xC00);
    put32(signedFile, directoriesAt(false) + 4 * 8 + 4, 8);
    EXPECT_EQ(writePeResources(signedFile.data(), signedFile.size(), quizResources(), packed),
              peSigned);
    // No zeros left after the section table for another header.
    std::vector<uint8_t> full = file;
    for (size_t i = sectionTableAt(false) + 4 * 40; i < headersSize; ++i)
        full[i] = 0xEE;
    EXPECT_EQ(writePeResources(full.data(), full.size(), quizResources(), packed),
              peNoRoomForSection);
    EXPECT_TRUE(packed.empty());
}

std::vector<uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

#ifndef _WIN32
std::string readText(const std::filesystem::path& path) {
    std::vector<uint8_t> bytes = readFile(path);
    return {bytes.begin(), bytes.end()};
}
#endif

class RealPlayer : public testing::TestWithParam<const char*> {};

// The Windows players as built: their own resources (made by the resource
// compiler) read, kept through packing, and the packed file still what the
// resource compiler reads.
TEST_P(RealPlayer, PackedPlayerKeepsItsOwnResources) {
    std::filesystem::path path =
        std::filesystem::path(ZORBE_SOURCE_DIR) / "build" / GetParam() / "zorbe.exe";
    if (!std::filesystem::exists(path))
        GTEST_SKIP() << path << " not built";
    std::vector<uint8_t> player = readFile(path);
    std::vector<PeResource> resources;
    ASSERT_EQ(readPeResources(player.data(), player.size(), resources), peOk);
    const std::pair<uint16_t, uint16_t> own[] = {
        {5, 1001}, {5, 1002}, {12, 1003}, {14, 1004}, {14, 1005}};
    for (auto [type, id] : own)
        EXPECT_NE(findResource(resources, numbered(type), id), nullptr) << type << " " << id;
    const size_t ownCount = resources.size();
    mergePeResources(resources, quizResources());

    std::vector<uint8_t> packed;
    ASSERT_EQ(writePeResources(player.data(), player.size(), resources, packed), peOk);
    expectSoundHeaders(packed);
    std::vector<PeResource> back;
    ASSERT_EQ(readPeResources(packed.data(), packed.size(), back), peOk);
    EXPECT_EQ(back.size(), ownCount + quizResources().size());
    for (const PeResource& expected : resources)
        EXPECT_EQ(findResource(back, expected.type, expected.name.number)->bytes, expected.bytes);

    // Every damaged prefix of the real file is refused too.
    for (size_t size = 0; size < player.size(); size += 997) {
        std::vector<PeResource> ignored;
        EXPECT_NE(readPeResources(player.data(), size, ignored), peOk) << size;
    }

#ifndef _WIN32
    if (std::system("x86_64-w64-mingw32-windres --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no windres";
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("zorbe-pe-" + std::to_string(::getpid()) + GetParam());
    std::filesystem::create_directories(dir);
    {
        std::ofstream out(dir / "packed.exe", std::ios::binary);
        out.write(reinterpret_cast<const char*>(packed.data()),
                  static_cast<std::streamsize>(packed.size()));
    }
    std::string command = "x86_64-w64-mingw32-windres -i '" + (dir / "packed.exe").string() +
                          "' -o '" + (dir / "packed.rc").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::string rc = readText(dir / "packed.rc");
    for (const char* expected :
         {"104 \"PATCH\"", "105 \"PATCH\"", "401 \"IMG\"", "10403 \"IMG\"", "402 RCDATA",
          "1001 DIALOG", "1002 DIALOG", "1004 14", "1005 14", "1003 12"})
        EXPECT_NE(rc.find(expected), std::string::npos) << expected;
    std::filesystem::remove_all(dir);
#endif
}

INSTANTIATE_TEST_SUITE_P(Builds, RealPlayer, testing::Values("win32", "win64"));

#ifndef _WIN32
// zorbe-tool packs the demo into a Windows player and reads the same quiz
// back from it as from the quiz source; a damaged player is refused with a
// message and nothing written.
TEST(PeResources, ToolPacksAndInspectsWindowsPlayers) {
    std::filesystem::path source(ZORBE_SOURCE_DIR);
    std::filesystem::path player = source / "build" / "win64" / "zorbe.exe";
    if (!std::filesystem::exists(player))
        GTEST_SKIP() << player << " not built";
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("zorbe-pe-tool-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string tool = ZORBE_TOOL_PATH;
    const std::string out = (dir / "demo.exe").string();
    std::string pack = "'" + tool + "' pack '" + (source / "resources/demo/demo.toml").string() +
                       "' -o '" + out + "' --player '" + player.string() + "' 2>/dev/null";
    ASSERT_EQ(std::system(pack.c_str()), 0);
    ASSERT_EQ(std::system(("'" + tool + "' inspect '" + out + "' >'" + out + ".json'").c_str()), 0);
    std::string json = readText(out + ".json");
    EXPECT_NE(json.find("\"title\": \"Drapeaux du monde\""), std::string::npos);
    EXPECT_NE(json.find("\"questionCount\": 9"), std::string::npos);
    EXPECT_NE(json.find("\"messages\": []"), std::string::npos);

    std::vector<uint8_t> damaged = readFile(player);
    damaged.resize(damaged.size() / 2);
    {
        std::ofstream file(dir / "damaged.exe", std::ios::binary);
        file.write(reinterpret_cast<const char*>(damaged.data()),
                   static_cast<std::streamsize>(damaged.size()));
    }
    std::string refused = "'" + tool + "' pack '" + (source / "resources/demo/demo.toml").string() +
                          "' -o '" + (dir / "never.exe").string() + "' --player '" +
                          (dir / "damaged.exe").string() + "' 2>'" + (dir / "err").string() + "'";
    EXPECT_NE(std::system(refused.c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "never.exe"));
    EXPECT_NE(readText(dir / "err").find("damaged executable"), std::string::npos);
    std::filesystem::remove_all(dir);
}
#endif

} // namespace
