// Quiz sources whose accented letters stand where the TOML library tests
// for whitespace, which it cannot do safely for every character: the reader
// escapes them in strings, and refuses them, with their line, where TOML
// takes no such character at all.
#include "tools/quiz_toml.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct ReadResult {
    bool read = false;
    std::string title;
    std::vector<std::string> errors;
};

ReadResult readText(const std::string& text) {
    std::random_device random;
    const fs::path path =
        fs::temp_directory_path() / ("zorbe-quiz-toml-" + std::to_string(random()) + ".toml");
    {
        std::ofstream out(path, std::ios::binary);
        out << text;
    }
    QuizReport report;
    report.quizPath = "quiz.toml";
    QuizSource source;
    std::vector<QuizMediaFile> media;
    ReadResult result;
    result.read = readQuizSource(path.string(), report, source, media);
    fs::remove(path);
    result.title = source.title;
    for (const QuizFinding& finding : report.errors)
        result.errors.push_back(finding.text);
    return result;
}

TEST(QuizTomlReader, AccentsAreReadInStringsAndRefusedElsewhere) {
    const struct {
        const char* name;
        std::string toml;
        std::string title; // Windows-1252; read when error is empty
        std::string error; // the start of the only finding
    } cases[] = {
        {"in a basic string", "title = \"caf\xC3\xA9 cr\xC3\xA8me\"\n", "caf\xE9 cr\xE8me", ""},
        {"in a literal string", "title = 'l\xE2\x80\x99\xC3\xA9t\xC3\xA9'\n", "l\x92\xE9t\xE9", ""},
        {"after a line-ending backslash", "title = \"\"\"caf\\\n      \xC3\xA9\"\"\"\n", "caf\xE9",
         ""},
        {"in a multi-line string ending in quotes", "title = \"\"\"\xC3\xA9\"\"\"\"\"\n",
         "\xE9\"\"", ""},
        {"in a literal string with backslashes and quotes",
         "title = 'C:\\d\xC3\xA9j\xC3\xA0 \"x\"'\n", "C:\\d\xE9j\xE0 \"x\"", ""},
        {"in a multi-line literal string ending in quotes", "title = '''\n\xC3\xA9\\\n''x'''''\n",
         "\xE9\\\n''x''", ""},
        {"as an escape", "title = \"\\u00E9\\U000000e8\"\n", "\xE9\xE8", ""},
        {"in a comment", "# r\xC3\xA9sum\xC3\xA9\ntitle = \"x\" # \xC3\xA9\n", "x", ""},
        {"in a quoted key of a table", "title = \"t\"\n[\"d\xC3\xA9j\xC3\xA0\"]\nx = 1\n", "t",
         "quiz.toml:2: d\xC3\xA9j\xC3\xA0: unknown key"},
        {"in a table name", "title = \"t\"\n\n[[qu\xC3\xA9stion]]\n", "",
         "quiz.toml:3: TOML: '\xC3\xA9' outside a string or comment"},
        {"in a bare key", "titr\xC3\xA9 = \"t\"\n", "",
         "quiz.toml:1: TOML: '\xC3\xA9' outside a string or comment"},
        {"after a value", "title = \"t\" \xC3\xA9\n", "",
         "quiz.toml:1: TOML: '\xC3\xA9' outside a string or comment"},
        // A quote inside a bare word begins no string: the parser reads the
        // word on, character by character.
        {"after a quote inside a bare value", "title = +x'r\xC3\xA9'\n", "", "quiz.toml:1: TOML:"},
        {"a quote inside a bare key", "ti'tle = 'r\xC3\xA9'\n", "", "quiz.toml:1: TOML:"},
        {"after a backslash in a multi-line string", "\n\ntitle = \"\"\"a\\\xC3\xA9\"\"\"\n", "",
         "quiz.toml:3: TOML: '\xC3\xA9' after a backslash"},
        {"after a backslash in a string", "title = \"a\\\xC3\xA9\"\n", "", "quiz.toml:1: TOML:"},
        {"not UTF-8", "title = \"caf\xE9\"\n", "", "quiz.toml:1: TOML: byte E9 is not UTF-8"},
        {"not UTF-8 in a comment", "title = \"x\"\n# caf\xE9\n", "",
         "quiz.toml:2: TOML: byte E9 is not UTF-8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadResult result = readText(c.toml);
        if (c.error.empty()) {
            EXPECT_TRUE(result.read);
            EXPECT_TRUE(result.errors.empty()) << (result.errors.empty() ? "" : result.errors[0]);
            EXPECT_EQ(result.title, c.title);
            continue;
        }
        ASSERT_EQ(result.errors.size(), 1u);
        EXPECT_EQ(result.errors[0].substr(0, c.error.size()), c.error) << result.errors[0];
    }
}

} // namespace
