#include "content/progress.h"
#include "content/quiz_state.h"
#include "platform/memory/memory_ui.h"
#include "platform/system.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

TEST(ProgressFileName, ReplacesAnExtensionOrAppendsOne) {
    const struct {
        const char* program;
        const char* expected; // null: no name can be made
    } cases[] = {
        {"C:\\Jeux\\Test.exe", "Test.txt"},
        {"C:\\Jeux\\TEST.EXE", "TEST.txt"},
        {"/usr/local/bin/zorbe-demo", "zorbe-demo.txt"},
        {"/opt/quiz/zorbe.v2/player", "player.txt"},
        {"relative/Quiz.bin", "Quiz.txt"},
        {"mixed\\dir/Quiz.exe", "Quiz.txt"},
        {"/games/a.b", "a.b.txt"},
        {"/games/.exe", ".txt"},
        {"Zorbe.exe", "Zorbe.txt"},
        {"/games/", nullptr},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        char name[64] = "unchanged";
        bool made = progressFileNameFor(c.program, name, sizeof name);
        EXPECT_EQ(made, c.expected != nullptr) << c.program;
        if (c.expected) {
            EXPECT_STREQ(name, c.expected) << c.program;
        }
    }
}

TEST(ProgressFileName, StaysWithinItsBuffer) {
    char name[9];
    EXPECT_TRUE(progressFileNameFor("/x/abcd.exe", name, sizeof name));
    EXPECT_STREQ(name, "abcd.txt");
    EXPECT_FALSE(progressFileNameFor("/x/abcde.exe", name, sizeof name));
    EXPECT_FALSE(progressFileNameFor("/x/abcde", name, sizeof name)); // abcde.txt needs 10
}

#ifndef _WIN32

// Runs each case in a fresh current directory, with the program named
// Quiz.exe, as the progress file lives in the current directory.
class ProgressFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        memory::reset();
        char pattern[] = "/tmp/zorbe-progress-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
        previous = fs::current_path();
        fs::current_path(directory);
        overrideModuleFileName("C:\\Jeux\\Quiz.exe");
        state = std::make_unique<QuizState>();
        ui::registerWindowClass("ProgressTest",
                                [](ui::WindowHandle, const ui::Event&) { return ui::Result{0}; });
        state->questionPane = ui::createMainWindow("ProgressTest", "pane", 100, 100);
    }
    void TearDown() override {
        state.reset();
        overrideModuleFileName(nullptr);
        fs::current_path(previous);
        fs::remove_all(directory);
        memory::reset();
    }

    void addEdit(int id, const std::string& text) {
        ui::createControl(state->questionPane, ui::ControlKind::Edit, id, text.c_str(), 0, 0, 0, 10,
                          10);
    }
    void writeFile(const std::string& contents) {
        std::ofstream out("Quiz.txt", std::ios::binary);
        out << contents;
    }
    std::string readFile() {
        std::ifstream in("Quiz.txt", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::vector<std::string> readLines(int count) {
        ProgressReader reader;
        openProgress(reader);
        std::vector<std::string> lines;
        for (int i = 0; i < count; ++i) {
            char line[progressLineLength + 1];
            std::memset(line, '#', sizeof line);
            readProgressLine(reader, line);
            lines.push_back(line);
        }
        closeProgress(reader);
        return lines;
    }
    std::vector<std::string> filesHere() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(directory))
            names.push_back(entry.path().filename().string());
        return names;
    }

    fs::path directory;
    fs::path previous;
    std::unique_ptr<QuizState> state;
};

TEST_F(ProgressFileTest, SavesOneLinePerAnswerEditInIdentifierOrder) {
    state->questionCount = 3;
    state->answersPerQuestion = 2;
    // Created out of order: the file follows the identifiers.
    const char* texts[] = {"un", "deux", "", "quatre \xE9t\xE9", "cinq", "six"};
    for (int i = 5; i >= 0; --i)
        addEdit(4001 + i, texts[i]);
    addEdit(4007, "not an answer of this quiz");
    saveProgress(*state);
    EXPECT_EQ(readFile(), "un\r\ndeux\r\n\r\nquatre \xE9t\xE9\r\ncinq\r\nsix\r\n");
    EXPECT_EQ(filesHere(), std::vector<std::string>{"Quiz.txt"});
}

TEST_F(ProgressFileTest, MissingEditsGiveEmptyLinesAndNoQuestionsAnEmptyFile) {
    state->questionCount = 2;
    state->answersPerQuestion = 2;
    addEdit(4001, "a");
    addEdit(4002, std::string(300, 'z'));
    saveProgress(*state);
    EXPECT_EQ(readFile(), "a\r\n" + std::string(259, 'z') + "\r\n\r\n\r\n");

    state->questionCount = 0;
    saveProgress(*state);
    EXPECT_TRUE(fs::exists("Quiz.txt"));
    EXPECT_EQ(readFile(), "");
}

TEST_F(ProgressFileTest, SavingReplacesTheWholeFile) {
    writeFile(std::string(5000, 'o') + "\r\n");
    state->questionCount = 1;
    addEdit(4001, "nouveau");
    saveProgress(*state);
    EXPECT_EQ(readFile(), "nouveau\r\n");
    EXPECT_EQ(filesHere(), std::vector<std::string>{"Quiz.txt"});
}

TEST_F(ProgressFileTest, ReadsLinesCutToWhatAnEditTakes) {
    const std::string sixty(60, 's');
    const struct {
        const char* name;
        std::string contents;
        std::vector<std::string> lines;
    } cases[] = {
        {"plain lines", "un\r\ndeux\r\ntrois\r\n", {"un", "deux", "trois", ""}},
        {"long line cut, next line kept",
         sixty + "\r\nsuite\r\n",
         {sixty.substr(0, 55), "suite", "", ""}},
        {"exactly 55", std::string(55, 'f') + "\r\nb\r\n", {std::string(55, 'f'), "b", "", ""}},
        {"empty lines", "\r\n\r\nc\r\n", {"", "", "c", ""}},
        {"last line without end", "a\r\nb", {"a", "b", "", ""}},
        {"line feeds alone", "un\ndeux\ntrois\n", {"un\ndeux\ntrois\n", "", "", ""}},
        {"return without line feed", "a\rb\r\nc\r\n", {"a", "c", "", ""}},
        {"more lines than edits", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n", {"1", "2", "3", "4"}},
        {"empty file", "", {"", "", "", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(c.contents);
        EXPECT_EQ(readLines(4), c.lines);
    }
}

TEST_F(ProgressFileTest, AMissingFileGivesEmptyLines) {
    EXPECT_EQ(readLines(2), (std::vector<std::string>{"", ""}));
}

TEST_F(ProgressFileTest, SavedAnswersReadBack) {
    state->questionCount = 2;
    state->answersPerQuestion = 1;
    addEdit(4001, "Paris");
    addEdit(4002, std::string(55, 'L'));
    saveProgress(*state);
    EXPECT_EQ(readLines(2), (std::vector<std::string>{"Paris", std::string(55, 'L')}));
}

TEST_F(ProgressFileTest, AFailedSaveLeavesNoNewFileBehind) {
    // A directory in the way cannot be replaced by a file.
    fs::create_directory("Quiz.txt");
    state->questionCount = 1;
    addEdit(4001, "x");
    saveProgress(*state);
    EXPECT_TRUE(fs::is_directory("Quiz.txt"));
    EXPECT_EQ(filesHere(), std::vector<std::string>{"Quiz.txt"});
}

TEST(ModuleFileName, GivesTheRunningProgramUnlessOverridden) {
    char path[4096];
    int length = moduleFileName(path, sizeof path);
    ASSERT_GT(length, 0);
    EXPECT_TRUE(fs::equivalent(path, "/proc/self/exe"));
    EXPECT_EQ(moduleFileName(path, 2), 0); // a cut path is no path

    overrideModuleFileName("/x/Quiz.exe");
    EXPECT_EQ(moduleFileName(path, sizeof path), 11);
    EXPECT_STREQ(path, "/x/Quiz.exe");
    overrideModuleFileName(nullptr);
    EXPECT_EQ(moduleFileName(path, sizeof path), length);
}

#endif

} // namespace
