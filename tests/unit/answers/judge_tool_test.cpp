// Runs the built zorbe-tool's judge command: arguments and standard input
// in UTF-8, one feedback per line out, refused lines named on stderr.
#ifndef _WIN32

#include "tests/unit/tool_runner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Runs the tool's judge command with the given arguments and input.
ToolRun runJudge(std::vector<std::string> arguments, const std::string& input = "") {
    arguments.insert(arguments.begin(), "judge");
    return runTool(arguments, input);
}

const char idee[] = "y a de l'id\xC3\xA9"
                    "e"; // in UTF-8

TEST(JudgeTool, GradesOnePairFromTheCommandLine) {
    const struct {
        std::vector<std::string> arguments;
        std::string output;
    } cases[] = {
        {{"Paris", " paris "}, "BRAVO\n"},
        {{"\xC3\x89l\xC3\xA8ve", "eleve"}, "Presque\n"}, // Élève
        {{"\xC3\x89l\xC3\xA8ve", "\xC3\xA9L\xC3\x88VE"}, "BRAVO\n"},
        {{"Anticonstitutionnellement", "anticonstitusionelement"}, std::string(idee) + "\n"},
        {{"Oui", ""}, "?\n"},
        {{"--", "-h", "-H"}, "BRAVO\n"}, // texts after -- are never options
        {{"Non", "-h"}, "FAUX\n"},       // help is asked for first only
    };
    for (const auto& c : cases) {
        ToolRun run = runJudge(c.arguments);
        EXPECT_EQ(run.exitCode, 0) << c.arguments[0] << ": " << run.err;
        EXPECT_EQ(run.out, c.output) << c.arguments[0];
    }
}

TEST(JudgeTool, GradesLinesFromStandardInputInOrder) {
    const std::string input = "\xEF\xBB\xBF"
                              "Chien\tchine\r\n"
                              "La tour Eiffel\ttour Eiffel\n"
                              "Napol\xC3\xA9on\tNapol\xC3\xA9on Bonaparte\r\n"
                              "Paris\t\n"
                              "Paris\tpa\tris\n" // split at the first TAB: one edit away
                              "Oui\touii";       // no final LF
    ToolRun run = runJudge({"--batch"}, input);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Anagramme\nTrop court\nTrop long\n?\nQuasiment\nFAUX\n");
    EXPECT_EQ(run.err, "");

    ToolRun empty = runJudge({"--batch"}, "");
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_EQ(empty.out, "");
}

TEST(JudgeTool, RefusesLinesItCannotGradeExactly) {
    const struct {
        std::string input;
        std::string message;
    } cases[] = {
        {"Paris\tparis\nParis paris\n", "line 2: no TAB"},
        {"Paris\tparis\nBonhomme\t\xE2\x98\x83\n", "line 2: the typed text is not UTF-8"},
        {"\xE2\x98\x83\tparis\n", "line 1: the expected answer is not UTF-8"},
        {"Paris\tpar\xFFis\n", "line 1: the typed text is not UTF-8"},
        {"Paris\tpa" + std::string(1, '\0') + "ris\n", "line 1: the typed text holds a NUL"},
        {"a\ta\n" + std::string(260, 'x') + "\tx\n", "line 2: the expected answer is longer"},
        {"\n", "line 1: no TAB"},
    };
    for (const auto& c : cases) {
        ToolRun run = runJudge({"--batch"}, c.input);
        EXPECT_EQ(run.exitCode, 1) << c.message;
        EXPECT_EQ(run.out, "") << c.message; // nothing graded, not even the good lines
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }

    std::string accented;
    for (int i = 0; i < 259; ++i)
        accented += "\xC3\xA9"; // 518 bytes of UTF-8, 259 for the player
    ToolRun fits = runJudge({"--batch"}, accented + "\t" + accented + "\n");
    EXPECT_EQ(fits.exitCode, 0) << fits.err;
    EXPECT_EQ(fits.out, "BRAVO\n");
    ToolRun tooLong = runJudge({accented, accented + "e"});
    EXPECT_EQ(tooLong.exitCode, 1);
    EXPECT_NE(tooLong.err.find("the typed text is longer"), std::string::npos) << tooLong.err;
}

TEST(JudgeTool, UsageErrors) {
    const std::vector<std::string> cases[] = {
        {}, {"Paris"}, {"Paris", "paris", "extra"}, {"--batch", "extra"}, {"--bogus", "x"},
    };
    for (const auto& arguments : cases) {
        ToolRun run = runJudge(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.size();
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("usage:"), std::string::npos);
    }
    ToolRun help = runJudge({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("usage: zorbe-tool judge"), std::string::npos);
}

} // namespace

#endif
