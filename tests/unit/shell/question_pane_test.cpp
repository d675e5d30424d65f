// The question pane's blocks: identifiers, places, progress lines restored
// and judged at once, hints, hidden second answers and label colours.
#include "answers/feedback.h"
#include "shell/header_pane.h"
#include "shell/question_pane.h"
#include "shell_fixture.h"

namespace {

using QuestionPaneTest = ShellTest;

constexpr uint32_t shown = ui::style::child | ui::style::visible;
constexpr uint32_t editStyle = shown | ui::style::border | ui::style::tabStop |
                               ui::style::editCenter | ui::style::editAutoHScroll;
constexpr uint32_t resultStyle =
    shown | ui::style::border | ui::style::staticCenter | ui::style::staticCenterImage;

TEST_F(QuestionPaneTest, ListModeBlocksShareTheirLabelIdentifiersAndFollowEachOther) {
    start(quizOf(0, 3));
    std::vector<ui::WindowHandle> children = memory::childrenOf(pane());
    ASSERT_EQ(children.size(), 12u);
    for (int j = 1; j <= 3; ++j) {
        int y = 5 + 25 * (j - 1);
        std::string block = "block " + std::to_string(j);
        ui::WindowHandle number = children[4 * (j - 1)];
        ui::WindowHandle question = children[4 * (j - 1) + 1];
        ui::WindowHandle edit = children[4 * (j - 1) + 2];
        ui::WindowHandle result = children[4 * (j - 1) + 3];
        EXPECT_EQ(ui::controlId(number), 2000) << block;
        EXPECT_EQ(text(number), std::to_string(j) + ".");
        EXPECT_EQ(memory::styleOf(number), shown | ui::style::staticRight);
        expectPlace(memory::placementOf(number), 26, y + 2, 19, 17, block + " number");
        EXPECT_EQ(memory::fontOf(number), nullptr);

        EXPECT_EQ(ui::controlId(question), 3000) << block;
        EXPECT_EQ(text(question), "question " + std::to_string(j));
        EXPECT_EQ(memory::styleOf(question), resultStyle);
        expectPlace(memory::placementOf(question), 50, y, 550, 20, block + " question");
        EXPECT_EQ(memory::fontOf(question), player.state->answerFont);

        EXPECT_EQ(ui::controlId(edit), 4000 + j);
        EXPECT_EQ(memory::styleOf(edit), editStyle);
        expectPlace(memory::placementOf(edit), 610, y, 170, 20, block + " edit");
        EXPECT_EQ(memory::fontOf(edit), player.state->answerFont);
        EXPECT_EQ(memory::editLimitOf(edit), 55);

        EXPECT_EQ(ui::controlId(result), 5000 + j);
        EXPECT_EQ(text(result), "?");
        expectPlace(memory::placementOf(result), 790, y, 100, 20, block + " result");
    }
    EXPECT_EQ(player.state->contentWidth, 880 + 20);
    EXPECT_EQ(player.state->contentHeight, 5 + 3 * 25);

    ui::LogicalFont answerFont = memory::logicalFontOf(player.state->answerFont);
    EXPECT_EQ(answerFont.height, 15);
    EXPECT_EQ(answerFont.weight, 100);
}

TEST_F(QuestionPaneTest, ProgressLinesFillTheEditsAndAreJudgedAtOnce) {
    // Line 1 is 60 characters: 55 reach the edit, the next line the next edit.
    std::string longLine(60, 'x');
    writeProgress(longLine + "\r\nreponse2\r\n  REPONSE3 \r\n");
    start(quizOf(0, 4));
    EXPECT_EQ(textOf(4001), std::string(55, 'x'));
    EXPECT_EQ(textOf(4002), "reponse2");
    EXPECT_EQ(textOf(4003), "  REPONSE3 ");
    EXPECT_EQ(textOf(4004), "");
    EXPECT_EQ(textOf(5001), feedback::faux);
    EXPECT_EQ(textOf(5002), feedback::bravo);
    EXPECT_EQ(textOf(5003), feedback::bravo);
    EXPECT_EQ(textOf(5004), "?");
    EXPECT_EQ(text(ui::findControl(header(), headerScoreId)), " 2 / 4");
    EXPECT_EQ(text(ui::findControl(header(), headerCodeId)), "CODE2");
}

TEST_F(QuestionPaneTest, PictureGridPlacesBlocksThreeToARow) {
    start(quizOf(1, 4));
    // No pictures: every picture counts 260 wide and 0 high.
    struct BlockCase {
        int question;
        int x0;
        int answerTop;
    };
    const BlockCase cases[] = {{1, 46, 15}, {2, 336, 15}, {3, 626, 15}, {4, 46, 85}};
    for (const BlockCase& c : cases) {
        std::string block = "question " + std::to_string(c.question);
        expectPlace(memory::placementOf(control(9900 + c.question)), c.x0, c.answerTop - 10, 260, 0,
                    block + " picture");
        EXPECT_EQ(memory::styleOf(control(9900 + c.question)), shown | ui::style::border |
                                                                   ui::style::staticBitmap |
                                                                   ui::style::staticCenterImage);
        expectPlace(memory::placementOf(control(2000 + c.question)), c.x0 - 28, c.answerTop + 2, 27,
                    17, block + " number");
        expectPlace(memory::placementOf(control(4000 + c.question)), c.x0, c.answerTop, 260, 20,
                    block + " edit");
        expectPlace(memory::placementOf(control(5000 + c.question)), c.x0, c.answerTop + 19, 260,
                    20, block + " result");
        EXPECT_EQ(control(8000 + c.question), nullptr) << "no comments in reveal mode 0";
    }
    EXPECT_EQ(player.state->rowHeights[0], 0);
    EXPECT_EQ(player.state->contentWidth, 890 + 20);
    EXPECT_EQ(player.state->contentHeight, 85 + 60);
}

TEST_F(QuestionPaneTest, TwoAnswersGetColumnLabelsAndAMissingSecondAnswerIsHiddenAndRight) {
    QuizSource source = quizOf(1, 2, 2, 2);
    source.questions[1].answer2 = "-";
    start(source);
    // Column labels on the first column only, both 156.
    int labels = 0;
    for (ui::WindowHandle child : memory::childrenOf(pane()))
        labels += ui::controlId(child) == columnLabelId ? 1 : 0;
    EXPECT_EQ(labels, 2);
    // Question 2: x0 = 290 + 106; answers 4003 and 4004.
    expectPlace(memory::placementOf(control(4003)), 396, 15, 201, 20, "first edit");
    expectPlace(memory::placementOf(control(5003)), 396 + 200, 15, 60, 20, "first result");
    expectPlace(memory::placementOf(control(4004)), 396, 34, 201, 20, "second edit");
    EXPECT_EQ(textOf(4004), "-");
    EXPECT_FALSE(ui::isVisible(control(4004)));
    EXPECT_FALSE(ui::isVisible(control(5004)));
    EXPECT_EQ(textOf(5004), feedback::bravo);
    EXPECT_TRUE(memory::isStockFont(memory::fontOf(control(5003))));
    // Comments exist, hidden until solved; the row is 140 below its answers.
    ASSERT_NE(control(8002), nullptr);
    EXPECT_FALSE(ui::isVisible(control(8002)));
    EXPECT_EQ(player.state->contentHeight, 15 + 140);

    answer(4003, "reponse2");
    EXPECT_TRUE(ui::isVisible(control(8002))) << "one real answer solves the question";
    EXPECT_EQ(text(ui::findControl(header(), headerScoreId)), " 1 / 2");
}

TEST_F(QuestionPaneTest, RevealModeFiveShowsTheWordCountOfTheFirstAnswer) {
    QuizSource source = quizOf(1, 4, 1, 5);
    const char* answers[] = {"l'arc-en-ciel", "soleil", "", "la mer"};
    const char* hints[] = {"en 4 mots", "en 1 mot", "en 1 mot", "en 2 mots"};
    for (int i = 0; i < 4; ++i)
        source.questions[i].answer1 = answers[i];
    QuizPackages unused;
    if (packQuiz(source, false, unused) != packOk)
        GTEST_SKIP() << "the packer refuses an empty answer";
    start(source);
    for (int j = 1; j <= 4; ++j) {
        EXPECT_EQ(textOf(8000 + j), hints[j - 1]) << answers[j - 1];
        EXPECT_TRUE(ui::isVisible(control(8000 + j)));
    }
}

TEST_F(QuestionPaneTest, ResultLabelsAreColouredByTheirFeedback) {
    start(quizOf(0, 1));
    struct ColourCase {
        const char* text;
        bool answered;
        ui::Colour brush;
    };
    const ColourCase cases[] = {
        {"BRAVO", true, ui::rgb(0, 255, 0)},
        {"FAUX", true, ui::rgb(255, 0, 0)},
        {"Anagramme", true, ui::rgb(255, 100, 0)},
        {"?", false, 0},
        {"Presque", true, ui::rgb(255, 203, 38)},
        {"y a de l'id\xE9"
         "e",
         true, ui::rgb(255, 203, 38)},
    };
    for (const ColourCase& c : cases) {
        ui::setText(control(5001), c.text);
        ui::ColourReply reply;
        EXPECT_EQ(memory::colourOf(control(5001), reply), c.answered) << c.text;
        if (c.answered) {
            EXPECT_EQ(ui::brushColour(reply.brush), c.brush) << c.text;
        }
    }
    ui::ColourReply question;
    ASSERT_TRUE(memory::colourOf(control(3000), question));
    EXPECT_EQ(ui::brushColour(question.brush), ui::rgb(255, 255, 192));
}

TEST_F(QuestionPaneTest, NumberLabelsTakeATextColourReadableOnTheBackground) {
    struct BackgroundCase {
        uint8_t red, green, blue;
        ui::Colour text;
    };
    const BackgroundCase cases[] = {
        {90, 95, 150, ui::rgb(0, 0, 0)},
        {69, 69, 255, ui::rgb(255, 255, 255)}, // blue plays no part
        {70, 0, 0, ui::rgb(0, 0, 0)},
        {0, 70, 0, ui::rgb(0, 0, 0)},
    };
    for (const BackgroundCase& c : cases) {
        TearDown();
        SetUp();
        QuizSource source = quizOf(1, 1);
        source.backgroundRed = c.red;
        source.backgroundGreen = c.green;
        source.backgroundBlue = c.blue;
        start(source);
        ui::ColourReply reply;
        ASSERT_TRUE(memory::colourOf(control(2001), reply));
        EXPECT_TRUE(reply.transparentText);
        EXPECT_EQ(reply.textColour, c.text) << int(c.red) << "," << int(c.green);
        EXPECT_EQ(ui::brushColour(reply.brush), ui::rgb(c.red, c.green, c.blue));
    }
}

} // namespace
