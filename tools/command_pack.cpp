// zorbe-tool pack: writes a copy of the player with a quiz packed in, from
// a quiz source in TOML (docs/quiz-format.md).
#include "tools/tool.h"

#include "content/content_loader.h"
#include "content/link_block.h"
#include "content/package_writer.h"
#include "platform/archive.h"
#include "platform/codepage.h"
#include "platform/resources.h"
#include "platform/system.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// Parse failures come back as results, like every other failure here.
#define TOML_EXCEPTIONS 0
#include <toml++/toml.h>

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

// Resource identifiers of a question's media (question numbers from 1).
constexpr int questionMediaBase = 400;
constexpr int answerPictureBase = 10400;
// Pictures stored with "IMG" above this identifier have the halves of every
// byte swapped.
constexpr int swappedPictureAbove = 10000;

constexpr uint8_t pngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// The types of the quiz's own resources: a packed player carries those of
// its new quiz only.
constexpr const char* quizResourceTypes[] = {"PATCH", "IMG", resourceTypeRcData};

struct NamedValue {
    const char* name;
    int value;
};
constexpr NamedValue quizModes[] = {{"list", 0}, {"pictures", 1}, {"audio", 2}, {"video", 3}};
constexpr NamedValue revealModes[] = {{"none", 0},         {"picture", 1},
                                      {"comment", 2},      {"comment-and-picture", 3},
                                      {"all-comments", 4}, {"word-count", 5}};

constexpr const char* topLevelKeys[] = {"title",  "author",  "explanation", "column1",    "column2",
                                        "mode",   "answers", "reveal",      "background", "link",
                                        "footer", "codes",   "question"};
constexpr const char* questionKeys[] = {"answer1", "answer2",        "text", "comment",
                                        "picture", "answer_picture", "clip"};

// A media file to store as one resource.
struct MediaFile {
    std::string field;
    std::string path;
    int line = 0;
    int id = 0;
    bool answerPicture = false;
};

int lineOf(const toml::node& node) {
    return static_cast<int>(node.source().begin.line);
}

struct Finding {
    int line = 0; // 0: not tied to a line
    std::string text;
};

// Findings are printed as FILE:LINE: FIELD: REASON, in the order of the
// quiz file.
struct Report {
    std::string quizPath;
    std::vector<Finding> errors;
    std::vector<Finding> warnings;
    std::map<std::string, int> lines; // where each field was written

    void saw(const std::string& field, const toml::node& node) { lines[field] = lineOf(node); }
    int lineOfField(const std::string& field) const {
        auto found = lines.find(field);
        return found == lines.end() ? 0 : found->second;
    }

    std::string where(int line, const std::string& field) const {
        std::string text = quizPath;
        if (line > 0)
            text += ":" + std::to_string(line);
        return text + ": " + field;
    }
    void error(int line, const std::string& field, const std::string& reason) {
        errors.push_back({line, where(line, field) + ": " + reason});
    }
    void warning(int line, const std::string& field, const std::string& reason) {
        warnings.push_back({line, where(line, field) + ": " + reason});
    }
};

void printFindings(std::vector<Finding> findings, const char* prefix) {
    std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
        return (a.line ? a.line : INT_MAX) < (b.line ? b.line : INT_MAX);
    });
    for (const Finding& finding : findings)
        std::fprintf(stderr, "%s%s\n", prefix, finding.text.c_str());
}

bool isOneOf(std::string_view key, const char* const* names, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (key == names[i])
            return true;
    }
    return false;
}

// The first character of a UTF-8 text without a Windows-1252 form.
std::string firstUnrepresentable(const std::string& utf8) {
    size_t i = 0;
    while (i < utf8.size()) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        std::string one = utf8.substr(i, length);
        std::string ansi;
        if (!codepage::fromUtf8(one, ansi))
            return one;
        i += length;
    }
    return {};
}

// A text of the quiz, converted to the player's Windows-1252 bytes.
bool readText(const toml::node& node, const std::string& field, Report& report, std::string& ansi) {
    report.saw(field, node);
    const toml::value<std::string>* value = node.as_string();
    if (!value) {
        report.error(lineOf(node), field, "must be a text");
        return false;
    }
    if (!codepage::fromUtf8(value->get(), ansi)) {
        report.error(lineOf(node), field,
                     "holds \"" + firstUnrepresentable(value->get()) +
                         "\", which has no Windows-1252 form");
        return false;
    }
    return true;
}

void readOptionalText(const toml::table& table, const char* key, const std::string& field,
                      Report& report, std::string& ansi) {
    if (const toml::node* node = table.get(key))
        readText(*node, field, report, ansi);
}

void readNamed(const toml::table& table, const char* key, const NamedValue* names, size_t count,
               Report& report, int& value) {
    const toml::node* node = table.get(key);
    if (!node)
        return;
    report.saw(key, *node);
    const toml::value<std::string>* text = node->as_string();
    if (text) {
        for (size_t i = 0; i < count; ++i) {
            if (text->get() == names[i].name) {
                value = names[i].value;
                return;
            }
        }
    }
    std::string choices;
    for (size_t i = 0; i < count; ++i)
        choices += std::string(i ? ", " : "") + "\"" + names[i].name + "\"";
    report.error(lineOf(*node), key, "must be one of " + choices);
}

void readBackground(const toml::table& table, Report& report, QuizSource& source) {
    const toml::node* node = table.get("background");
    if (!node)
        return;
    const toml::array* array = node->as_array();
    uint8_t components[3] = {};
    bool valid = array && array->size() == 3;
    for (size_t i = 0; valid && i < 3; ++i) {
        const toml::value<int64_t>* component = array->get(i)->as_integer();
        valid = component && component->get() >= 0 && component->get() <= 255;
        if (valid)
            components[i] = static_cast<uint8_t>(component->get());
    }
    if (!valid) {
        report.error(lineOf(*node), "background",
                     "must be [red, green, blue], each a whole number from 0 to 255");
        return;
    }
    source.backgroundRed = components[0];
    source.backgroundGreen = components[1];
    source.backgroundBlue = components[2];
}

void readCodes(const toml::table& table, Report& report, QuizSource& source) {
    const toml::node* node = table.get("codes");
    if (!node)
        return;
    report.saw("codes", *node);
    const toml::array* array = node->as_array();
    if (!array) {
        report.error(lineOf(*node), "codes", "must be a list of texts");
        return;
    }
    for (size_t i = 0; i < array->size(); ++i) {
        std::string code;
        readText(*array->get(i), "codes[" + std::to_string(i + 1) + "]", report, code);
        source.codes.push_back(code);
    }
}

void readMediaPath(const toml::table& question, const char* key, const std::string& prefix, int id,
                   bool answerPicture, Report& report, std::vector<MediaFile>& media) {
    const toml::node* node = question.get(key);
    if (!node)
        return;
    const toml::value<std::string>* value = node->as_string();
    if (!value || value->get().empty()) {
        report.error(lineOf(*node), prefix + key, "must be the path of a file");
        return;
    }
    media.push_back({prefix + key, value->get(), lineOf(*node), id, answerPicture});
}

void readQuestions(const toml::table& table, Report& report, QuizSource& source,
                   std::vector<MediaFile>& media) {
    const toml::node* node = table.get("question");
    if (!node)
        return;
    report.saw("question", *node);
    const toml::array* array = node->as_array();
    if (!array || !array->is_array_of_tables()) {
        report.error(lineOf(*node), "question", "must be written as [[question]] tables");
        return;
    }
    for (size_t i = 0; i < array->size(); ++i) {
        const toml::table& entry = *array->get(i)->as_table();
        const std::string prefix = "question[" + std::to_string(i + 1) + "].";
        const int number = static_cast<int>(i) + 1;
        for (auto&& [key, value] : entry) {
            if (!isOneOf(key.str(), questionKeys, std::size(questionKeys)))
                report.error(lineOf(value), prefix + std::string(key.str()), "unknown key");
        }
        SourceQuestion question;
        if (const toml::node* answer = entry.get("answer1"))
            readText(*answer, prefix + "answer1", report, question.answer1);
        else
            report.error(lineOf(entry), prefix + "answer1", "missing: every question has one");
        if (const toml::node* answer = entry.get("answer2"))
            readText(*answer, prefix + "answer2", report, question.answer2);
        else if (source.answersPerQuestion == 2)
            report.error(lineOf(entry), prefix + "answer2",
                         "missing: the quiz has two answers per question (\"-\" for none)");
        readOptionalText(entry, "text", prefix + "text", report, question.questionText);
        readOptionalText(entry, "comment", prefix + "comment", report, question.comment);
        source.questions.push_back(question);

        const bool pictures = source.quizMode == 1;
        const bool clips = source.quizMode == 2 || source.quizMode == 3;
        const bool answerPictures = source.revealMode == 1 || source.revealMode == 3;
        const struct {
            const char* key;
            bool allowed;
            const char* reason;
            int id;
            bool answerPicture;
        } mediaKeys[] = {
            {"picture", pictures, "pictures are shown only in the pictures mode",
             questionMediaBase + number, false},
            {"answer_picture", pictures && answerPictures,
             "answer pictures are shown only in the pictures mode with the reveal modes "
             "picture and comment-and-picture",
             answerPictureBase + number, true},
            {"clip", clips, "clips are played only in the audio and video modes",
             questionMediaBase + number, false},
        };
        for (const auto& mediaKey : mediaKeys) {
            const toml::node* path = entry.get(mediaKey.key);
            if (path && !mediaKey.allowed)
                report.error(lineOf(*path), prefix + mediaKey.key, mediaKey.reason);
            else
                readMediaPath(entry, mediaKey.key, prefix, mediaKey.id, mediaKey.answerPicture,
                              report, media);
        }
    }
}

bool readQuizSource(const std::string& path, Report& report, QuizSource& source,
                    std::vector<MediaFile>& media) {
    toml::parse_result parsed = toml::parse_file(path);
    if (!parsed) {
        const toml::parse_error& failure = parsed.error();
        report.error(static_cast<int>(failure.source().begin.line), "TOML",
                     std::string(failure.description()));
        return false;
    }
    const toml::table& table = parsed.table();
    for (auto&& [key, value] : table) {
        if (!isOneOf(key.str(), topLevelKeys, std::size(topLevelKeys)))
            report.error(lineOf(value), std::string(key.str()), "unknown key");
    }
    readOptionalText(table, "title", "title", report, source.title);
    readOptionalText(table, "author", "author", report, source.author);
    readOptionalText(table, "explanation", "explanation", report, source.explanation);
    readOptionalText(table, "column1", "column1", report, source.columnLabel1);
    readOptionalText(table, "column2", "column2", report, source.columnLabel2);
    readOptionalText(table, "link", "link", report, source.linkText);
    readOptionalText(table, "footer", "footer", report, source.footerText);
    readNamed(table, "mode", quizModes, std::size(quizModes), report, source.quizMode);
    readNamed(table, "reveal", revealModes, std::size(revealModes), report, source.revealMode);
    if (const toml::node* answers = table.get("answers")) {
        report.saw("answers", *answers);
        const toml::value<int64_t>* count = answers->as_integer();
        if (count && (count->get() == 1 || count->get() == 2))
            source.answersPerQuestion = static_cast<int>(count->get());
        else
            report.error(lineOf(*answers), "answers", "must be 1 or 2");
    }
    readBackground(table, report, source);
    readCodes(table, report, source);
    readQuestions(table, report, source, media);
    return true;
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

void readMedia(const std::vector<MediaFile>& media, const std::filesystem::path& base,
               Report& report, std::vector<ArchiveEntry>& entries) {
    for (const MediaFile& file : media) {
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

    Report report;
    report.quizPath = quizPath;
    QuizSource source;
    std::vector<MediaFile> media;
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
    std::vector<ArchiveEntry> entries;
    size_t programSize = 0;
    if (readArchive(player.data(), player.size(), entries, programSize) == ArchiveStatus::damaged) {
        std::fprintf(stderr, "zorbe-tool pack: %s: damaged resource archive\n", playerPath.c_str());
        return 1;
    }
    size_t linkOffset = 0;
    int search = findLinkBlock(player.data(), programSize, linkOffset);
    if (search != linkBlockFound) {
        std::fprintf(stderr, "zorbe-tool pack: %s: %s\n", playerPath.c_str(),
                     linkBlockSearchText(search));
        return 1;
    }

    // The player's own resources stay; those of a quiz packed before go.
    std::vector<ArchiveEntry> kept;
    for (ArchiveEntry& entry : entries) {
        if (!isQuizResource(entry.type))
            kept.push_back(std::move(entry));
    }
    kept.push_back({packageResourceType, quizRecordId, packages.quizRecord});
    kept.push_back({packageResourceType, codeListId, packages.codeList});
    for (ArchiveEntry& entry : mediaEntries)
        kept.push_back(std::move(entry));
    std::vector<uint8_t> archive;
    if (!buildArchive(kept, archive)) {
        std::fprintf(stderr, "zorbe-tool pack: the player's resources cannot be stored again\n");
        return 1;
    }

    std::vector<uint8_t> output(player.begin(), player.begin() + static_cast<long>(programSize));
    std::memcpy(output.data() + linkOffset, packages.linkBlock, linkBlockSize);
    output.insert(output.end(), archive.begin(), archive.end());
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
