// fuzz_content_seed PLAYER OUT: writes the content packages of a player
// with a quiz packed in (zorbe-tool pack) as one input of the content
// loader's fuzzer: the 70-byte link block, the quiz record's length in two
// bytes (most significant first), the quiz record, the code list.
#include "content/content_loader.h"
#include "content/link_block.h"
#include "content/package_writer.h"
#include "platform/archive.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr size_t maxRecordSize = 0xFFFF;

const ArchiveEntry* findEntry(const std::vector<ArchiveEntry>& entries, int id) {
    for (const ArchiveEntry& entry : entries) {
        if (entry.type == packageResourceType && entry.id == id)
            return &entry;
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_content_seed PLAYER OUT\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<uint8_t> player((std::istreambuf_iterator<char>(in)),
                                      std::istreambuf_iterator<char>());
    std::vector<ArchiveEntry> entries;
    size_t programSize = 0;
    if (readArchive(player.data(), player.size(), entries, programSize) != ArchiveStatus::found) {
        std::fprintf(stderr, "fuzz_content_seed: %s: no resource archive\n", argv[1]);
        return 1;
    }
    size_t linkOffset = 0;
    if (findLinkBlock(player.data(), programSize, linkOffset) != linkBlockFound) {
        std::fprintf(stderr, "fuzz_content_seed: %s: no link block\n", argv[1]);
        return 1;
    }
    const ArchiveEntry* record = findEntry(entries, quizRecordId);
    const ArchiveEntry* codes = findEntry(entries, codeListId);
    if (!record || !codes || record->bytes.size() > maxRecordSize) {
        std::fprintf(stderr, "fuzz_content_seed: %s: no quiz record and code list that fit\n",
                     argv[1]);
        return 1;
    }
    std::vector<uint8_t> seed(player.begin() + static_cast<long>(linkOffset),
                              player.begin() + static_cast<long>(linkOffset + linkBlockSize));
    seed.push_back(static_cast<uint8_t>(record->bytes.size() >> 8));
    seed.push_back(static_cast<uint8_t>(record->bytes.size() & 0xFF));
    seed.insert(seed.end(), record->bytes.begin(), record->bytes.end());
    seed.insert(seed.end(), codes->bytes.begin(), codes->bytes.end());
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(seed.data()),
              static_cast<std::streamsize>(seed.size()));
    if (!out.flush()) {
        std::fprintf(stderr, "fuzz_content_seed: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
