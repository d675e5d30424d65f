// zorbe-tool load and inspect: what the player would make of stored
// content packages, taken from separate files or from a player file.
#include "tools/quiz_json.h"
#include "tools/tool.h"

#include "content/content_loader.h"
#include "content/link_block.h"
#include "content/package_writer.h"
#include "content/pe_resources.h"
#include "platform/archive.h"
#include "platform/resources.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* loadUsage =
    "usage: zorbe-tool load --link-block FILE [--quiz-record FILE] [--code-list FILE]\n"
    "\n"
    "Runs the player's content loader on stored packages and prints the loaded\n"
    "quiz as one JSON object, texts in UTF-8, message boxes listed under\n"
    "\"messages\" instead of shown.\n"
    "\n"
    "  --link-block FILE   the link block as stored in the player: at most 70\n"
    "                      bytes, a shorter file is completed with zero bytes\n"
    "  --quiz-record FILE  the PATCH 104 resource; absent: the player has none\n"
    "  --code-list FILE    the PATCH 105 resource; absent: the player has none\n"
    "\n"
    "An empty file stands for a resource of size 0.\n";

constexpr const char* inspectUsage =
    "usage: zorbe-tool inspect PLAYER\n"
    "\n"
    "Prints the quiz a player file carries, as the player would load it: the same\n"
    "JSON object as 'zorbe-tool load', read from the player's link block and its\n"
    "resources (the archive after a Linux player, a Windows player's own).\n";

void printJson(const std::string& json) {
    std::printf("%s\n", json.c_str());
}

} // namespace

int commandLoad(int argc, char** argv) {
    if (wantsHelp(argc, argv)) {
        std::fputs(loadUsage, stdout);
        return 0;
    }
    const char* linkPath = nullptr;
    const char* recordPath = nullptr;
    const char* codesPath = nullptr;
    for (int i = 0; i < argc; ++i) {
        const char** target = nullptr;
        if (std::strcmp(argv[i], "--link-block") == 0)
            target = &linkPath;
        else if (std::strcmp(argv[i], "--quiz-record") == 0)
            target = &recordPath;
        else if (std::strcmp(argv[i], "--code-list") == 0)
            target = &codesPath;
        if (!target || i + 1 >= argc) {
            std::fprintf(stderr, "zorbe-tool load: %s '%s'\n\n%s",
                         target ? "missing file after" : "unknown argument", argv[i], loadUsage);
            return 2;
        }
        *target = argv[++i];
    }
    if (!linkPath) {
        std::fprintf(stderr, "zorbe-tool load: --link-block is required\n\n%s", loadUsage);
        return 2;
    }

    std::vector<unsigned char> link;
    if (!readWholeFile(linkPath, link))
        return 1;
    if (link.size() > linkBlockSize) {
        std::fprintf(stderr, "zorbe-tool load: %s: %zu bytes; a link block holds 70\n", linkPath,
                     link.size());
        return 1;
    }
    link.resize(linkBlockSize, 0);

    clearResources();
    const std::pair<const char*, int> packages[] = {{recordPath, quizRecordId},
                                                    {codesPath, codeListId}};
    for (const auto& [path, id] : packages) {
        if (!path)
            continue;
        std::vector<unsigned char> bytes;
        if (!readWholeFile(path, bytes))
            return 1;
        installResource(packageResourceType, id, std::move(bytes));
    }
    printJson(loadedQuizJson(link.data()));
    clearResources();
    return 0;
}

int commandInspect(int argc, char** argv) {
    if (wantsHelp(argc, argv)) {
        std::fputs(inspectUsage, stdout);
        return 0;
    }
    if (argc != 1) {
        std::fprintf(stderr, "zorbe-tool inspect: one player file expected\n\n%s", inspectUsage);
        return 2;
    }
    const char* path = argv[0];
    std::vector<unsigned char> file;
    if (!readWholeFile(path, file))
        return 1;
    std::vector<ArchiveEntry> entries;
    size_t offset = 0;
    int search = linkBlockFound;
    if (file.size() >= 2 && file[0] == 'M' && file[1] == 'Z') {
        // A Windows player: the quiz is among the executable's resources.
        std::vector<PeResource> resources;
        int result = readPeResources(file.data(), file.size(), resources);
        if (result != peOk) {
            std::fprintf(stderr, "zorbe-tool inspect: %s: %s\n", path, peResultText(result));
            return 1;
        }
        for (PeResource& resource : resources) {
            std::string type = peTypeText(resource.type);
            if (!type.empty() && resource.name.text.empty())
                entries.push_back({type, resource.name.number, std::move(resource.bytes)});
        }
        search = findPeLinkBlock(file.data(), file.size(), offset);
    } else {
        size_t programSize = 0;
        if (readArchive(file.data(), file.size(), entries, programSize) == ArchiveStatus::damaged) {
            std::fprintf(stderr, "zorbe-tool inspect: %s: damaged resource archive\n", path);
            return 1;
        }
        search = findLinkBlock(file.data(), programSize, offset);
    }
    if (search != linkBlockFound) {
        std::fprintf(stderr, "zorbe-tool inspect: %s: %s\n", path, linkBlockSearchText(search));
        return 1;
    }
    uint8_t link[linkBlockSize];
    std::memcpy(link, file.data() + offset, linkBlockSize);
    clearResources();
    installArchive(entries);
    printJson(loadedQuizJson(link));
    clearResources();
    return 0;
}
