#include "content/quiz_state.h"
#include "platform/memory/memory_ui.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

class QuizStateTest : public ::testing::Test {
protected:
    void SetUp() override { memory::reset(); }
    void TearDown() override { memory::reset(); }
};

TEST_F(QuizStateTest, StartsFromTheDefaultQuiz) {
    auto state = std::make_unique<QuizState>();
    EXPECT_EQ(state->firstQuestion, nullptr);
    EXPECT_EQ(state->lastQuestion, nullptr);
    EXPECT_EQ(state->quizMode, 0);
    EXPECT_EQ(state->questionCount, 2);
    EXPECT_EQ(state->answersPerQuestion, 1);
    EXPECT_EQ(state->revealMode, 0);
    EXPECT_EQ(state->commentsRevealed, 0);
    EXPECT_STREQ(state->title, "nom du zorbe");
    EXPECT_STREQ(state->author, " createur");
    EXPECT_STREQ(state->explanation, "");
    EXPECT_STREQ(state->mediaFolder, "");
    EXPECT_STREQ(state->linkText, "");
    EXPECT_EQ(state->answerFont, nullptr);
    for (int j = 1; j <= maxQuestions; ++j)
        EXPECT_EQ(state->hideState[j], 0);

    EXPECT_EQ(state->backgroundRed, 90);
    EXPECT_EQ(state->backgroundGreen, 95);
    EXPECT_EQ(state->backgroundBlue, 150);
    const struct {
        ui::BrushHandle brush;
        ui::Colour colour;
    } brushes[] = {
        {state->backgroundBrush, ui::rgb(90, 95, 150)},
        {state->redBrush, ui::rgb(255, 0, 0)},
        {state->orangeBrush, ui::rgb(255, 100, 0)},
        {state->goldBrush, ui::rgb(255, 203, 38)},
        {state->lightYellowBrush, ui::rgb(255, 255, 192)},
    };
    for (const auto& b : brushes) {
        ASSERT_NE(b.brush, nullptr);
        EXPECT_EQ(ui::brushColour(b.brush), b.colour);
    }

    ui::LogicalFont score = memory::logicalFontOf(state->scoreFont);
    EXPECT_EQ(score.height, 25);
    EXPECT_EQ(score.weight, 400);
    EXPECT_FALSE(score.italic);
    EXPECT_FALSE(score.underline);
    EXPECT_STREQ(score.faceName, "Arial");
    ui::LogicalFont title = memory::logicalFontOf(state->titleFont);
    EXPECT_EQ(title.height, -15);
    EXPECT_EQ(title.weight, 700);
    EXPECT_TRUE(title.italic);
    EXPECT_FALSE(title.underline);
    EXPECT_STREQ(title.faceName, "");
}

TEST_F(QuizStateTest, DestructionReleasesEveryFontAndBrushOnce) {
    {
        auto state = std::make_unique<QuizState>();
        EXPECT_EQ(memory::liveFonts(), 2);
        EXPECT_EQ(memory::liveBrushes(), 5);
        // The question pane makes this one later; the state still owns it.
        state->answerFont = ui::createFont(ui::LogicalFont{});
        appendQuestion(*state, "a", "b", "c");
        appendQuestion(*state, "d", "e", "f");
    }
    EXPECT_EQ(memory::liveFonts(), 0);
    EXPECT_EQ(memory::liveBrushes(), 0);
}

TEST_F(QuizStateTest, AppendedEntriesAreLinkedInOrderBothWays) {
    auto state = std::make_unique<QuizState>();
    appendQuestion(*state, "un", "", "premier");
    appendQuestion(*state, "deux", "-", "second");
    appendQuestion(*state, "trois", "3", "troisi\xE8me");

    QuestionEntry* first = state->firstQuestion;
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first->answer1, "un");
    EXPECT_EQ(first->previous, nullptr);
    QuestionEntry* second = first->next;
    ASSERT_NE(second, nullptr);
    EXPECT_STREQ(second->answer2, "-");
    EXPECT_EQ(second->previous, first);
    QuestionEntry* third = second->next;
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third, state->lastQuestion);
    EXPECT_EQ(third->previous, second);
    EXPECT_EQ(third->next, nullptr);
    EXPECT_STREQ(third->questionText, "troisi\xE8me");
    EXPECT_STREQ(third->comment, "");
    EXPECT_EQ(third->solved, 0);
}

TEST_F(QuizStateTest, AppendCutsTextsToTheirField) {
    auto state = std::make_unique<QuizState>();
    std::string longText(400, 'x');
    appendQuestion(*state, longText.c_str(), "", "");
    EXPECT_EQ(std::strlen(state->firstQuestion->answer1), 259u);
}

TEST_F(QuizStateTest, QuestionAtGivesTheLastEntryPastTheEnd) {
    auto state = std::make_unique<QuizState>();
    EXPECT_EQ(questionAt(*state, 0), nullptr);
    EXPECT_EQ(questionAt(*state, 5), nullptr);

    appendQuestion(*state, "a", "", "");
    EXPECT_EQ(questionAt(*state, 0), state->firstQuestion);
    EXPECT_EQ(questionAt(*state, 1), state->firstQuestion);

    appendQuestion(*state, "b", "", "");
    appendQuestion(*state, "c", "", "");
    const struct {
        int position;
        const char* answer;
    } cases[] = {{0, "a"}, {1, "b"}, {2, "c"}, {3, "c"}, {95, "c"}, {-1, "a"}};
    for (const auto& c : cases) {
        QuestionEntry* entry = questionAt(*state, c.position);
        ASSERT_NE(entry, nullptr) << c.position;
        EXPECT_STREQ(entry->answer1, c.answer) << c.position;
    }
}

} // namespace
