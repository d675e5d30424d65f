// Judging answer edits in the running shell: labels, solved questions,
// reveal actions, the score and its reward code.
#include "answers/feedback.h"
#include "answers/judge.h"
#include "shell/header_pane.h"
#include "shell_fixture.h"

namespace {

using JudgeTest = ShellTest;

std::string score(const ShellTest& test, ui::WindowHandle header) {
    (void)test;
    char buffer[64];
    ui::getText(ui::findControl(header, headerScoreId), buffer, sizeof buffer);
    return buffer;
}

TEST_F(JudgeTest, ScoreAndCodeFollowEveryLabelChange) {
    start(quizOf(0, 3));
    struct Step {
        int edit;
        const char* typed;
        const char* feedback;
        const char* score;
        const char* code;
    };
    const Step steps[] = {
        {4001, "reponse1", "BRAVO", " 1 / 3", "CODE1"},
        {4002, "REPONSE2 ", "BRAVO", " 2 / 3", "CODE2"},
        {4002, "reponse", "Quasiment", " 1 / 3", "CODE1"},
        {4001, "", "?", " 0 / 3", "      "},
        {4003, "reponse3", "BRAVO", " 1 / 3", "CODE1"},
    };
    for (const Step& s : steps) {
        answer(s.edit, s.typed);
        EXPECT_EQ(textOf(s.edit + 1000), s.feedback) << s.typed;
        EXPECT_EQ(score(*this, header()), s.score) << s.typed;
        EXPECT_EQ(text(ui::findControl(header(), headerCodeId)), s.code) << s.typed;
    }
    EXPECT_EQ(player.state->firstQuestion->solved, 1) << "a solved flag is never cleared";
}

TEST_F(JudgeTest, AnUnchangedFeedbackTouchesNothingElse) {
    start(quizOf(0, 2));
    answer(4001, "reponse1");
    // Scribble over the score: an identical judgement must leave it alone.
    ui::setText(ui::findControl(header(), headerScoreId), "untouched");
    answer(4001, "REPONSE1");
    EXPECT_EQ(score(*this, header()), "untouched");
    answer(4002, "   ");
    EXPECT_EQ(textOf(5002), "?");
    EXPECT_EQ(score(*this, header()), "untouched");
}

TEST_F(JudgeTest, RevealModeTwoShowsAndHidesTheCommentOfItsQuestion) {
    start(quizOf(1, 3, 1, 2));
    EXPECT_FALSE(ui::isVisible(control(8002)));
    answer(4002, "reponse2");
    EXPECT_TRUE(ui::isVisible(control(8002)));
    EXPECT_EQ(textOf(8002), "commentaire 2");
    EXPECT_FALSE(ui::isVisible(control(8001)));
    answer(4002, "faux");
    EXPECT_FALSE(ui::isVisible(control(8002)));
    EXPECT_EQ(questionAt(*player.state, 1)->solved, 1);
}

TEST_F(JudgeTest, RevealModeFourShowsEveryCommentOnceEveryAnswerIsRight) {
    start(quizOf(1, 2, 2, 4));
    answer(4001, "reponse1");
    answer(4002, "seconde1");
    answer(4003, "reponse2");
    EXPECT_FALSE(ui::isVisible(control(8001))) << "one label still reads ?";
    answer(4004, "seconde2");
    EXPECT_TRUE(ui::isVisible(control(8001)));
    EXPECT_TRUE(ui::isVisible(control(8002)));
    EXPECT_EQ(player.state->commentsRevealed, 1);

    answer(4003, "autre");
    EXPECT_EQ(player.state->commentsRevealed, 0);
    EXPECT_FALSE(ui::isVisible(control(8002)));
    EXPECT_TRUE(ui::isVisible(control(8001))) << "only the wrong question's comment goes";
    answer(4003, "reponse2");
    EXPECT_TRUE(ui::isVisible(control(8002)));
}

TEST_F(JudgeTest, TwoAnswersCountOnlyWhenBothAreRight) {
    start(quizOf(1, 2, 2, 2));
    answer(4001, "reponse1");
    EXPECT_EQ(score(*this, header()), " 0 / 2");
    EXPECT_FALSE(ui::isVisible(control(8001)));
    answer(4002, "seconde1");
    EXPECT_EQ(score(*this, header()), " 1 / 2");
    EXPECT_TRUE(ui::isVisible(control(8001)));
}

TEST_F(JudgeTest, EditsBeyondTheListAreJudgedAgainstTheLastEntry) {
    // The sample quiz counts 7 questions over two entries, both "TEST".
    overrideLinkBlock(nullptr);
    ASSERT_TRUE(startPlayer(player));
    ASSERT_EQ(player.state->questionCount, 7);
    answer(4007, "test");
    EXPECT_EQ(textOf(5007), feedback::bravo);
}

} // namespace
