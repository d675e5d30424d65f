// zorbe-tool pack: writes a copy of the player with a quiz packed in, from
// a quiz source in TOML (docs/quiz-format.md).
#include "tools/quiz_toml.h"
#include "tools/tool.h"

#include "content/content_loader.h"
#include "content/link_block.h"
#include "content/package_writer.h"
#include "content/pe_resources.h"
#include "platform/archive.h"
#include "platform/resources.h"
#include "platform/system.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr const char* packUsage =
    "usage: zorbe-tool pack QUIZ.toml -o OUT [--player PLAYER] [--plain]\n"
    "\n"
    "Writes OUT, a copy of the player with the quiz of QUIZ.toml packed in: the\n"
    "link block, the quiz record, the code list and every picture and clip.\n"
    "\n"
    "  -o OUT           the player to write\n"
    "  --player PLAYER  the player to copy (default: the zorbe beside this tool)\n"
    "  --plain          store the packages plain instead of scrambled\n"
    "\n"
    "Anything the player could not show as written is refused with the file,\n"
    "the field and the reason, and nothing is written. Answers that can never be\n"
    "judged right, or are easy to miss, are warned about. The quiz format is\n"
    "described in docs/quiz-format.md.\n";

#ifdef _WIN32
constexpr const char* defaultPlayerName = "zorbe.exe";
#else
constexpr const char* defaultPlayerName = "zorbe";
#endif

// Pictures stored with "IMG" above this identifier have the halves of every
// byte swapped.
constexpr int swappedPictureAbove = 10000;

constexpr uint8_t pngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// The types of the quiz's own resources: a packed player carries those of
// its new quiz only.
constexpr const char* quizResourceTypes[] = {"PATCH", "IMG", resourceTypeRcData};

void printFindings(std::vector<QuizFinding> findings, const char* prefix) {
    std::stable_sort(findings.begin(), findings.end(),
                     [](const QuizFinding& a, const QuizFinding& b) {
                         return (a.line ? a.line : INT_MAX) < (b.line ? b.line : INT_MAX);
                     });
    for (const QuizFinding& finding : findings)
        std::fprintf(stderr, "%s%s\n", prefix, finding.text.c_str());
}

// Which of the player's forms a picture takes: PNG files go to the raw
// data resources, read by the player's own decoder; the rest to "IMG".
bool isPng(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= sizeof pngSignature &&
           std::memcmp(bytes.data(), pngSignature, sizeof pngSignature) == 0;
}

bool isKnownPicture(const std::vector<uint8_t>& bytes) {
    auto startsWith = [&](const char* prefix) {
        size_t length = std::strlen(prefix);
        return bytes.size() >= length && std::memcmp(bytes.data(), prefix, length) == 0;
    };
    return isPng(bytes) || startsWith("\xFF\xD8\xFF") || startsWith("GIF8") || startsWith("BM");
}

void readMedia(const std::vector<QuizMediaFile>& media, const std::filesystem::path& base,
               QuizReport& report, std::vector<ArchiveEntry>& entries) {
    for (const QuizMediaFile& file : media) {
        std::filesystem::path path = std::filesystem::path(file.path);
        if (path.is_relative())
            path = base / path;
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error)) {
            report.error(file.line, file.field, "no such file: " + path.string());
            continue;
        }
        std::vector<unsigned char> bytes;
        if (!readWholeFile(path.string(), bytes)) {
            report.error(file.line, file.field, "cannot be read: " + path.string());
            continue;
        }
        if (bytes.empty()) {
            report.error(file.line, file.field,
                         "is an empty file, which the player takes for a missing one");
            continue;
        }
        const bool picture = file.field.find("picture") != std::string::npos;
        if (picture && !isKnownPicture(bytes))
            report.warning(file.line, file.field,
                           "is not a PNG, JPEG, GIF or BMP file: the player may not show it");
        ArchiveEntry entry;
        entry.id = file.id;
        if (picture && isPng(bytes)) {
            entry.type = resourceTypeRcData;
        } else {
            entry.type = "IMG";
            if (file.id > swappedPictureAbove) {
                for (unsigned char& byte : bytes)
                    byte = static_cast<unsigned char>((byte << 4) | (byte >> 4));
            }
        }
        entry.bytes = std::move(bytes);
        entries.push_back(std::move(entry));
    }
}

std::string defaultPlayer() {
    char path[4096];
    if (moduleFileName(path, sizeof path) == 0)
        return defaultPlayerName;
    return (std::filesystem::path(path).parent_path() / defaultPlayerName).string();
}

const char* packResultText(int result) {
    switch (result) {
    case packInvalidSource: return "the quiz has errors";
    case packLinkBlockTooLong: return "link and footer do not fit the 70-byte link block";
    case packRecordTooLong: return "the quiz is too large for the player's content packages";
    case packEncodingFailed: return "no stored form of the quiz reads back as written";
    default: return "packing failed";
    }
}

bool isQuizResource(const std::string& type) {
    for (const char* quizType : quizResourceTypes) {
        if (type == quizType)
            return true;
    }
    return false;
}

// Overwrites the link block of program, found by the given search.
bool placeLinkBlock(const std::string& playerPath, const uint8_t* linkBlock,
                    int (*search)(const uint8_t*, size_t, size_t&), size_t searchedSize,
                    std::vector<uint8_t>& program) {
    size_t linkOffset = 0;
    int found = search(program.data(), searchedSize, linkOffset);
    if (found != linkBlockFound) {
        std::fprintf(stderr, "zorbe-tool pack: %s: %s\n", playerPath.c_str(),
                     linkBlockSearchText(found));
        return false;
    }
    std::memcpy(program.data() + linkOffset, linkBlock, linkBlockSize);
    return true;
}

// A player that carries its resources in an archive after the program.
bool packArchivePlayer(const std::string& playerPath, const uint8_t* linkBlock,
                       std::vector<ArchiveEntry>& quizEntries, std::vector<uint8_t>& player,
                       std::vector<uint8_t>& output) {
    std::vector<ArchiveEntry> entries;
    size_t programSize = 0;
    if (readArchive(player.data(), player.size(), entries, programSize) == ArchiveStatus::damaged) {
        std::fprintf(stderr, "zorbe-tool pack: %s: damaged resource archive\n", playerPath.c_str());
        return false;
    }
    if (!placeLinkBlock(playerPath, linkBlock, findLinkBlock, programSize, player))
        return false;
    // The player's own resources stay; those of a quiz packed before go.
    std::vector<ArchiveEntry> kept;
    for (ArchiveEntry& entry : entries) {
        if (!isQuizResource(entry.type))
            kept.push_back(std::move(entry));
    }
    for (ArchiveEntry& entry : quizEntries)
        kept.push_back(std::move(entry));
    std::vector<uint8_t> archive;
    if (!buildArchive(kept, archive)) {
        std::fprintf(stderr, "zorbe-tool pack: the player's resources cannot be stored again\n");
        return false;
    }
    output.assign(player.begin(), player.begin() + static_cast<long>(programSize));
    output.insert(output.end(), archive.begin(), archive.end());
    return true;
}

// A Windows player: the quiz goes into the executable's own resources, in
// the language the player's resource compiler gives its own.
bool packWindowsPlayer(const std::string& playerPath, const uint8_t* linkBlock,
                       std::vector<ArchiveEntry>& quizEntries, std::vector<uint8_t>& player,
                       std::vector<uint8_t>& output) {
    std::vector<PeResource> resources;
    int result = readPeResources(player.data(), player.size(), resources);
    if (result == peOk) {
        if (!placeLinkBlock(playerPath, linkBlock, findPeLinkBlock, player.size(), player))
            return false;
        // The player's own resources stay; those of a quiz packed before go.
        std::erase_if(resources, [](const PeResource& resource) {
            return isQuizResource(peTypeText(resource.type));
        });
        std::vector<PeResource> added;
        for (ArchiveEntry& entry : quizEntries) {
            PeResource resource;
            resource.type = peTypeOf(entry.type);
            resource.name.number = static_cast<uint16_t>(entry.id);
            resource.bytes = std::move(entry.bytes);
            added.push_back(std::move(resource));
        }
        mergePeResources(resources, std::move(added));
        result = writePeResources(player.data(), player.size(), resources, output);
    }
    if (result != peOk) {
        std::fprintf(stderr, "zorbe-tool pack: %s: %s\n", playerPath.c_str(), peResultText(result));
        return false;
    }
    return true;
}

} // namespace

int commandPack(int argc, char** argv) {
    if (wantsHelp(argc, argv)) {
        std::fputs(packUsage, stdout);
        return 0;
    }
    std::string quizPath;
    std::string outPath;
    std::string playerPath;
    bool plain = false;
    for (int i = 0; i < argc; ++i) {
        std::string argument = argv[i];
        if ((argument == "-o" || argument == "--player") && i + 1 < argc) {
            (argument == "-o" ? outPath : playerPath) = argv[++i];
        } else if (argument == "--plain") {
            plain = true;
        } else if (!argument.empty() && argument[0] != '-' && quizPath.empty()) {
            quizPath = argument;
        } else {
            std::fprintf(stderr, "zorbe-tool pack: unexpected argument '%s'\n\n%s", argv[i],
                         packUsage);
            return 2;
        }
    }
    if (quizPath.empty() || outPath.empty()) {
        std::fprintf(stderr, "zorbe-tool pack: a quiz file and -o OUT are required\n\n%s",
                     packUsage);
        return 2;
    }
    if (playerPath.empty())
        playerPath = defaultPlayer();

    QuizReport report;
    report.quizPath = quizPath;
    QuizSource source;
    std::vector<QuizMediaFile> media;
    std::vector<ArchiveEntry> mediaEntries;
    if (readQuizSource(quizPath, report, source, media)) {
        readMedia(media, std::filesystem::path(quizPath).parent_path(), report, mediaEntries);
        std::vector<SourceFinding> errors;
        std::vector<SourceFinding> warnings;
        checkQuizSource(source, errors, warnings);
        for (const SourceFinding& finding : errors)
            report.error(report.lineOfField(finding.field), finding.field, finding.reason);
        // Warnings about a quiz read only in part would mislead.
        if (report.errors.empty()) {
            for (const SourceFinding& finding : warnings)
                report.warning(report.lineOfField(finding.field), finding.field, finding.reason);
        }
    }
    printFindings(report.warnings, "warning: ");
    printFindings(report.errors, "");
    if (!report.errors.empty()) {
        std::fprintf(stderr, "zorbe-tool pack: %zu error%s; nothing written\n",
                     report.errors.size(), report.errors.size() == 1 ? "" : "s");
        return 1;
    }

    QuizPackages packages;
    int result = packQuiz(source, !plain, packages);
    if (result != packOk) {
        std::fprintf(stderr, "zorbe-tool pack: %s: %s\n", quizPath.c_str(), packResultText(result));
        return 1;
    }

    std::vector<unsigned char> player;
    if (!readWholeFile(playerPath, player))
        return 1;
    // The quiz's resources, the same for either kind of player.
    std::vector<ArchiveEntry> quizEntries;
    quizEntries.push_back({packageResourceType, quizRecordId, packages.quizRecord});
    quizEntries.push_back({packageResourceType, codeListId, packages.codeList});
    for (ArchiveEntry& entry : mediaEntries)
        quizEntries.push_back(std::move(entry));
    std::vector<uint8_t> output;
    const bool windowsPlayer = player.size() >= 2 && player[0] == 'M' && player[1] == 'Z';
    if (!(windowsPlayer
              ? packWindowsPlayer(playerPath, packages.linkBlock, quizEntries, player, output)
              : packArchivePlayer(playerPath, packages.linkBlock, quizEntries, player, output)))
        return 1;
    if (!replaceFileContents(outPath.c_str(), output.data(), output.size())) {
        std::fprintf(stderr, "zorbe-tool pack: cannot write %s\n", outPath.c_str());
        return 1;
    }
    // The copy runs like the player it was made from.
    std::error_code error;
    auto permissions = std::filesystem::status(playerPath, error).permissions();
    if (!error)
        std::filesystem::permissions(outPath, permissions, error);
    return 0;
}
