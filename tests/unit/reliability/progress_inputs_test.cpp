// Hostile progress files and interrupted saves. The content tests already
// read lines ended by a line feed alone, empty files and long lines; here
// come NUL bytes, lines of 100 000 characters, files that are not files,
// and saves that fail half way or are killed, which must never cost the
// player the answers saved before.
#include "content/progress.h"
#include "content/quiz_state.h"
#include "platform/memory/memory_ui.h"
#include "platform/system.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

// Each case runs in a fresh current directory, where the progress file of
// a program named Quiz.exe lives.
class ProgressInputs : public ::testing::Test {
protected:
    void SetUp() override {
        memory::reset();
        std::random_device random;
        directory = fs::temp_directory_path() / ("zorbe-reliability-" + std::to_string(random()));
        ASSERT_TRUE(fs::create_directory(directory));
        previous = fs::current_path();
        fs::current_path(directory);
        overrideModuleFileName("C:\\Jeux\\Quiz.exe");
    }
    void TearDown() override {
        failReplaceStepForTesting(replaceStepNone);
        overrideModuleFileName(nullptr);
        fs::current_path(previous);
        std::error_code error;
        fs::remove_all(directory, error);
        memory::reset();
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

    // Empties the current directory, which stays where it is.
    void clearDirectory() {
        for (const auto& entry : fs::directory_iterator(directory))
            fs::remove_all(entry.path());
    }

    fs::path directory;
    fs::path previous;
};

void writeFile(const fs::path& path, const std::string& contents) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> namesIn(const fs::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    return names;
}

TEST_F(ProgressInputs, HostileFilesGiveTheirDocumentedLines) {
    const std::string x100k(100000, 'x');
    const std::string first55(55, 'x');
    const struct {
        const char* name;
        std::function<void()> make; // makes Quiz.txt
        std::vector<std::string> lines;
        bool withoutSuperuserRights = false;
    } cases[] = {
        // A NUL ends the text an edit takes, not the line.
        {"NUL bytes inside lines",
         [] { writeFile("Quiz.txt", std::string("ab\0cd\r\n\0\r\nsuite\r\n", 17)); },
         {"ab", "", "suite"}},
        {"NUL bytes only", [] { writeFile("Quiz.txt", std::string(1000, '\0')); }, {"", "", ""}},
        {"a line of 100 000 characters",
         [&] { writeFile("Quiz.txt", x100k + "\r\nsuite\r\n"); },
         {first55, "suite", ""}},
        {"100 000 characters without a line end",
         [&] { writeFile("Quiz.txt", x100k); },
         {first55, "", ""}},
        {"100 000 line feeds alone",
         [] { writeFile("Quiz.txt", std::string(100000, '\n')); },
         {std::string(55, '\n'), "", ""}},
        {"returns without line feeds", [] { writeFile("Quiz.txt", "a\rb\rc\r"); }, {"a", "", ""}},
        {"a folder", [] { fs::create_directory("Quiz.txt"); }, {"", "", ""}},
        // Far larger than any saved file, and sparse: refused unread.
        {"a file of 8 GiB",
         [] {
             writeFile("Quiz.txt", "perdu\r\n");
             fs::resize_file("Quiz.txt", uintmax_t{8} << 30);
         },
         {"", "", ""}},
#ifndef _WIN32
        {"a link to itself", [] { fs::create_symlink("Quiz.txt", "Quiz.txt"); }, {"", "", ""}},
        {"a link to nothing", [] { fs::create_symlink("absent.txt", "Quiz.txt"); }, {"", "", ""}},
        // Readable by the superuser all the same: tried only without its rights.
        {"a file without read permission",
         [] {
             writeFile("Quiz.txt", "cach\xE9\r\n");
             fs::permissions("Quiz.txt", fs::perms::none);
         },
         {"", "", ""},
         true},
        // Would hold the player at start-up, waiting for a writer.
        {"a named pipe", [] { ASSERT_EQ(mkfifo("Quiz.txt", 0600), 0); }, {"", "", ""}},
        // Would never end.
        {"a link to an endless device",
         [] { fs::create_symlink("/dev/zero", "Quiz.txt"); },
         {"", "", ""}},
#endif
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
#ifndef _WIN32
        if (c.withoutSuperuserRights && geteuid() == 0)
            continue;
#endif
        clearDirectory();
        c.make();
        EXPECT_EQ(readLines(3), c.lines);
    }
}

// A quiz of three questions of two answers whose edits hold one version of
// the answers; the versions have different lengths, so that a file cut
// anywhere is neither.
struct AnswerPane {
    QuizState state;
    std::vector<ui::WindowHandle> edits;

    AnswerPane() {
        ui::registerWindowClass("ReliabilityPane",
                                [](ui::WindowHandle, const ui::Event&) { return ui::Result{0}; });
        state.questionPane = ui::createMainWindow("ReliabilityPane", "pane", 100, 100);
        state.questionCount = 3;
        state.answersPerQuestion = 2;
        for (int i = 0; i < 6; ++i)
            edits.push_back(ui::createControl(state.questionPane, ui::ControlKind::Edit,
                                              firstAnswerEditId + i, "", 0, 0, 0, 10, 10));
    }
    // Version v: every answer is v repeated (v + 1) * 40 times.
    void type(char v) {
        for (ui::WindowHandle edit : edits)
            ui::setText(edit, std::string(static_cast<size_t>(v - 'a' + 1) * 40, v).c_str());
    }
    static std::string fileOf(char v) {
        std::string file;
        for (int i = 0; i < 6; ++i)
            file += std::string(static_cast<size_t>(v - 'a' + 1) * 40, v) + "\r\n";
        return file;
    }
};

// A save that fails at any step leaves the previous file as it was, and no
// new file beside it.
TEST_F(ProgressInputs, AnInterruptedSaveKeepsThePreviousAnswers) {
    AnswerPane pane;
    pane.type('a');
    saveProgress(pane.state);
    ASSERT_EQ(readFile("Quiz.txt"), AnswerPane::fileOf('a'));
    pane.type('b');
    for (int step : {replaceStepCreate, replaceStepWrite, replaceStepFlush, replaceStepRename}) {
        SCOPED_TRACE(step);
        failReplaceStepForTesting(step);
        saveProgress(pane.state);
        EXPECT_EQ(readFile("Quiz.txt"), AnswerPane::fileOf('a'));
        EXPECT_EQ(namesIn(directory), std::vector<std::string>{"Quiz.txt"});
    }
    failReplaceStepForTesting(replaceStepNone);
    saveProgress(pane.state);
    EXPECT_EQ(readFile("Quiz.txt"), AnswerPane::fileOf('b'));
    EXPECT_EQ(namesIn(directory), std::vector<std::string>{"Quiz.txt"});
}

#ifndef _WIN32

// A player killed at any moment while it saves, again and again, leaves a
// progress file that is one of the versions it was saving, whole. Each
// killed save may leave its unfinished new file behind, under a name of
// its own; the progress file is never it.
TEST_F(ProgressInputs, APlayerKilledWhileSavingLeavesAWholeFile) {
    AnswerPane pane;
    pane.type('a');
    saveProgress(pane.state);
    const std::string versions[] = {AnswerPane::fileOf('a'), AnswerPane::fileOf('b'),
                                    AnswerPane::fileOf('c')};
    std::mt19937 random(20261211);
    std::uniform_int_distribution<int> delay(0, 3000); // microseconds
    constexpr int kills = 60;
    int killedSaving = 0;
    for (int round = 0; round < kills; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // The player's save loop: b, c, b, c... until killed.
            for (int i = 0; i < 100000; ++i) {
                pane.type(i % 2 ? 'c' : 'b');
                saveProgress(pane.state);
            }
            _exit(0);
        }
        const auto waited = std::chrono::microseconds(delay(random));
        const auto until = std::chrono::steady_clock::now() + waited;
        while (std::chrono::steady_clock::now() < until) {
        }
        ASSERT_EQ(kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            ++killedSaving;

        const std::string file = readFile("Quiz.txt");
        EXPECT_TRUE(file == versions[0] || file == versions[1] || file == versions[2])
            << "round " << round << ": " << file.size() << " bytes";
        for (const std::string& name : namesIn(directory)) {
            if (name != "Quiz.txt")
                fs::remove(directory / name);
        }
    }
    EXPECT_EQ(killedSaving, kills);
}

#endif

} // namespace
