// Runs the whole shell on the in-memory backend with a quiz of the test's
// own, packed as an authoring tool packs it, in a scratch directory that
// receives the progress file.
#pragma once

#include "content/link_block.h"
#include "content/package_writer.h"
#include "platform/memory/memory_ui.h"
#include "platform/resources.h"
#include "platform/system.h"
#include "shell/startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        memory::reset();
        clearResources();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        // A folder of this run's own: the 32-bit and 64-bit Windows builds
        // run the same tests at the same time under one Wine prefix.
        std::random_device random;
        directory = std::filesystem::temp_directory_path() /
                    (std::string("zorbe-shell-") + info->test_suite_name() + "-" + info->name() +
                     "-" + std::to_string(random()));
        std::filesystem::create_directories(directory);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(directory);
        overrideModuleFileName("/opt/zorbe/Quiz.exe");
    }

    void TearDown() override {
        if (player.state != nullptr)
            shutDownPlayer(player);
        overrideLinkBlock(nullptr);
        overrideModuleFileName(nullptr);
        clearResources();
        std::error_code ignored;
        std::filesystem::current_path(previous, ignored);
        std::filesystem::remove_all(directory, ignored);
        memory::reset();
    }

    // A quiz with n questions whose answers are "reponse1", "reponse2"...
    static QuizSource quizOf(int mode, int questions, int answers = 1, int reveal = 0) {
        QuizSource source;
        source.linkText = "https://zorbe.example";
        source.footerText = "Zorbe";
        source.quizMode = mode;
        source.answersPerQuestion = answers;
        source.revealMode = reveal;
        source.title = "Les capitales";
        source.author = "Camille";
        source.explanation = "Trouvez la capitale";
        source.columnLabel1 = "Pays";
        source.columnLabel2 = "Ville";
        for (int j = 1; j <= questions; ++j) {
            SourceQuestion question;
            question.answer1 = "reponse" + std::to_string(j);
            if (answers == 2)
                question.answer2 = "seconde" + std::to_string(j);
            question.questionText = "question " + std::to_string(j);
            if (reveal >= 2 && reveal <= 4)
                question.comment = "commentaire " + std::to_string(j);
            source.questions.push_back(question);
            source.codes.push_back("CODE" + std::to_string(j));
        }
        return source;
    }

    void writeProgress(const std::string& bytes) {
        std::ofstream out(directory / "Quiz.txt", std::ios::binary);
        out << bytes;
    }

    std::string readProgress() {
        std::ifstream in(directory / "Quiz.txt", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    void start(const QuizSource& source) {
        ASSERT_EQ(packQuiz(source, false, packages), packOk);
        installResource("PATCH", 104, packages.quizRecord);
        installResource("PATCH", 105, packages.codeList);
        overrideLinkBlock(packages.linkBlock);
        ASSERT_TRUE(startPlayer(player));
    }

    ui::WindowHandle pane() const { return player.state->questionPane; }
    ui::WindowHandle header() const { return player.state->headerPane; }
    ui::WindowHandle control(int id) const { return ui::findControl(pane(), id); }

    std::string text(ui::WindowHandle window) const {
        char buffer[300];
        ui::getText(window, buffer, sizeof buffer);
        return buffer;
    }
    std::string textOf(int id) const { return text(control(id)); }

    // Types into an answer edit and leaves it with Enter, as a player does.
    void answer(int editId, const char* typed) {
        ui::WindowHandle edit = control(editId);
        ui::setText(edit, typed);
        ui::sendEvent(edit, ui::Event{ui::EventKind::KeyUp, ui::keyReturn});
    }

    QuizPackages packages;
    Player player;
    std::filesystem::path directory;
    std::filesystem::path previous;
};

inline void expectPlace(const ui::Rect& r, int x, int y, int width, int height,
                        const std::string& what) {
    EXPECT_EQ(r.left, x) << what;
    EXPECT_EQ(r.top, y) << what;
    EXPECT_EQ(ui::widthOf(r), width) << what;
    EXPECT_EQ(ui::heightOf(r), height) << what;
}
