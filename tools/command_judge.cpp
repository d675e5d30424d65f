// zorbe-tool judge: grades typed answers the way the player's result labels
// do, one pair from the command line or many from standard input.
//
// Texts come in and go out as UTF-8; the grading itself sees the player's
// Windows-1252 bytes. A text that cannot be given to the player exactly (a
// character without a Windows-1252 form, a NUL, more bytes than an answer
// field holds) is refused rather than graded as some other text.
#include "answers/feedback.h"
#include "answers/text_match.h"
#include "platform/codepage.h"
#include "tools/tool.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int exitOk = 0;
constexpr int exitRefused = 1; // some input could not be graded
constexpr int exitUsage = 2;

constexpr char commandName[] = "zorbe-tool judge";

void printUsage(FILE* out) {
    std::fprintf(out,
                 "usage: zorbe-tool judge [--] EXPECTED TYPED\n"
                 "       zorbe-tool judge --batch < PAIRS\n"
                 "\n"
                 "Prints the feedback the player shows for TYPED when EXPECTED is the\n"
                 "expected answer (\"BRAVO\", \"Presque\", ...).\n"
                 "\n"
                 "--batch reads lines 'EXPECTED<TAB>TYPED' from standard input and prints\n"
                 "one feedback per line, in the same order. The line is split at its first\n"
                 "TAB (a further TAB belongs to the typed text); a CR before the LF is\n"
                 "dropped; a UTF-8 byte order mark on the first line is ignored.\n"
                 "\n"
                 "Texts are UTF-8 and must have a Windows-1252 form of at most %zu bytes\n"
                 "without NUL, as the player's answer fields do. Any refused line is\n"
                 "reported on stderr with its number, nothing is printed on stdout and\n"
                 "the exit code is 1. Usage errors exit with 2.\n",
                 textMaxLength);
}

// Checks and converts one text; returns why it is refused, or nullptr.
const char* toAnswerText(std::string_view utf8, std::string& ansi) {
    if (!codepage::fromUtf8(utf8, ansi))
        return "is not UTF-8 or holds a character without a Windows-1252 form";
    if (ansi.find('\0') != std::string::npos)
        return "holds a NUL character";
    if (ansi.size() > textMaxLength)
        return "is longer than an answer field holds (259 bytes in Windows-1252)";
    return nullptr;
}

bool writeAll(const std::string& text) {
    bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    if (std::fflush(stdout) != 0 || !written) {
        std::fprintf(stderr, "%s: cannot write the results\n", commandName);
        return false;
    }
    return true;
}

int judgeOne(const char* expectedUtf8, const char* typedUtf8) {
    std::string expected;
    std::string typed;
    if (const char* why = toAnswerText(expectedUtf8, expected)) {
        std::fprintf(stderr, "%s: the expected answer %s\n", commandName, why);
        return exitRefused;
    }
    if (const char* why = toAnswerText(typedUtf8, typed)) {
        std::fprintf(stderr, "%s: the typed text %s\n", commandName, why);
        return exitRefused;
    }
    std::string output = codepage::toUtf8(gradeAnswer(expected.c_str(), typed.c_str()));
    output += '\n';
    return writeAll(output) ? exitOk : exitRefused;
}

bool readStandardInput(std::string& data) {
    char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, stdin)) > 0)
        data.append(chunk, got);
    if (std::ferror(stdin)) {
        std::fprintf(stderr, "%s: cannot read standard input\n", commandName);
        return false;
    }
    return true;
}

// Grades every line before printing any: a refused line would otherwise
// leave the output out of step with the input.
int judgeBatch() {
    std::string data;
    if (!readStandardInput(data))
        return exitRefused;
    std::string_view rest = data;
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (rest.starts_with(byteOrderMark))
        rest.remove_prefix(byteOrderMark.size());

    std::string output;
    size_t refused = 0;
    std::string expected;
    std::string typed;
    for (size_t lineNumber = 1; !rest.empty(); ++lineNumber) {
        size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);

        size_t tab = line.find('\t');
        if (tab == std::string_view::npos) {
            std::fprintf(stderr,
                         "%s: line %zu: no TAB between the expected answer and the typed text\n",
                         commandName, lineNumber);
            ++refused;
            continue;
        }
        const char* why = toAnswerText(line.substr(0, tab), expected);
        const char* which = "expected answer";
        if (!why) {
            why = toAnswerText(line.substr(tab + 1), typed);
            which = "typed text";
        }
        if (why) {
            std::fprintf(stderr, "%s: line %zu: the %s %s\n", commandName, lineNumber, which, why);
            ++refused;
            continue;
        }
        output += codepage::toUtf8(gradeAnswer(expected.c_str(), typed.c_str()));
        output += '\n';
    }
    if (refused > 0) {
        std::fprintf(stderr, "%s: %zu line%s refused, nothing graded\n", commandName, refused,
                     refused == 1 ? "" : "s");
        return exitRefused;
    }
    return writeAll(output) ? exitOk : exitRefused;
}

} // namespace

int commandJudge(int argc, char** argv) {
    // Only the first argument can ask for help: "-h" is a possible answer.
    if (argc >= 1 && wantsHelp(1, argv)) {
        printUsage(stdout);
        return exitOk;
    }
    if (argc >= 1 && std::strcmp(argv[0], "--batch") == 0) {
        if (argc != 1) {
            std::fprintf(stderr, "%s: --batch takes no further arguments\n\n", commandName);
            printUsage(stderr);
            return exitUsage;
        }
        return judgeBatch();
    }
    if (argc >= 1 && std::strcmp(argv[0], "--") == 0) {
        --argc;
        ++argv;
    } else if (argc >= 1 && std::strncmp(argv[0], "--", 2) == 0) {
        std::fprintf(stderr, "%s: unknown option '%s' (put -- before texts that begin with --)\n\n",
                     commandName, argv[0]);
        printUsage(stderr);
        return exitUsage;
    }
    if (argc != 2) {
        std::fprintf(stderr, "%s: expected two texts, the expected answer and the typed one\n\n",
                     commandName);
        printUsage(stderr);
        return exitUsage;
    }
    return judgeOne(argv[0], argv[1]);
}
