// Pictures in the question pane: each row as tall as its tallest picture,
// each picture centred in its box, answer pictures in place of question
// pictures once solved, and every bitmap released by whoever holds it last.
#include "picture_test_support.h"
#include "platform/resources.h"
#include "shell/question_pane.h"

#include "../shell/shell_fixture.h"

namespace {

using namespace picturetest;

using PicturePaneTest = ShellTest;

const Rgb red{200, 0, 0};
const Rgb blue{0, 0, 200};

TEST_F(PicturePaneTest, RowsTakeTheHeightOfTheirTallestPictureAndCentreEachOne) {
    installResource("IMG", 401, solidBmp(400, 300, red));  // 260 × 195
    installResource("IMG", 402, solidBmp(300, 400, red));  // 195 × 260
    installResource("IMG", 404, solidBmp(100, 50, red));   // 260 × 130
    installResource("IMG", 406, solidBmp(200, 200, blue)); // beyond the questions
    start(quizOf(1, 4));

    // Row 1 is 260 high; row 2 asks for 404 to 406 together, and 406, of no
    // question, still makes it 260 high.
    EXPECT_EQ(player.state->rowHeights[0], 260);
    EXPECT_EQ(player.state->rowHeights[1], 260);
    struct Case {
        int question;
        int x, y, width, height;
        bool shown;
    };
    const Case cases[] = {
        {1, 46, 5 + 32, 260, 195, true},
        {2, 336 + 32, 5, 195, 260, true},
        {3, 626, 5 + 130, 260, 0, false}, // no picture: a box 260 wide and 0 high
        {4, 46, 335 + 65, 260, 130, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.question);
        ui::WindowHandle window = control(pictureWindowId(c.question));
        expectPlace(memory::placementOf(window), c.x, c.y, c.width, c.height, "picture");
        ui::BitmapHandle bitmap = ui::staticBitmap(window);
        EXPECT_EQ(bitmap != nullptr, c.shown);
        if (bitmap != nullptr) {
            int width = 0, height = 0;
            ui::bitmapSize(bitmap, width, height);
            EXPECT_EQ(width, c.width);
            EXPECT_EQ(height, c.height);
            EXPECT_EQ(pixelOf(bitmap, width / 2, height / 2), red);
        }
    }
    EXPECT_EQ(memory::placementOf(control(4004)).top, 335 + 260 + 10);
    // The three shown pictures are alive, the one of no question is not.
    EXPECT_EQ(memory::liveBitmaps(), 3);
    shutDownPlayer(player);
    EXPECT_EQ(memory::liveBitmaps(), 0) << "the pictures went with their pane";
}

TEST_F(PicturePaneTest, SolvingShowsTheAnswerPictureInTheRevealModesThatHaveOne) {
    struct Case {
        int reveal;
        bool withAnswerPicture;
        Rgb shownAfter;
        bool commentShown;
    };
    const Case cases[] = {
        {0, true, red, false}, {1, true, blue, false}, {2, true, red, true},
        {3, true, blue, true}, {1, false, red, false}, // no answer picture: the picture stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "reveal " << c.reveal << " answer picture " << c.withAnswerPicture);
        TearDown();
        SetUp();
        installResource("IMG", 401, solidBmp(40, 30, red));
        if (c.withAnswerPicture)
            installResource("IMG", 10401, swapped(solidBmp(40, 30, blue)));
        start(quizOf(1, 3, 1, c.reveal));
        ui::WindowHandle window = control(pictureWindowId(1));
        EXPECT_EQ(pixelOf(ui::staticBitmap(window), 130, 97), red);

        answer(4001, "reponse1");
        EXPECT_EQ(textOf(5001), "BRAVO");
        ui::BitmapHandle shown = ui::staticBitmap(window);
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(pixelOf(shown, 130, 97), c.shownAfter);
        // The replaced picture was deleted: one bitmap, the one shown.
        EXPECT_EQ(memory::liveBitmaps(), 1);
        if (c.reveal >= 2) {
            EXPECT_EQ(ui::isVisible(control(commentLabelBase + 1)), c.commentShown);
        }

        // Judged again, the answer picture is loaded afresh and replaces
        // itself, the old one deleted again.
        answer(4001, "REPONSE1 ");
        EXPECT_EQ(pixelOf(ui::staticBitmap(window), 130, 97), c.shownAfter);
        EXPECT_EQ(memory::liveBitmaps(), 1);
    }
}

// A question judged solved while its block is built already shows its
// answer picture: the question picture loaded for its row is not placed and
// must not be left over.
TEST_F(PicturePaneTest, AQuestionSolvedOnResumingShowsItsAnswerPictureAndNothingIsLeftOver) {
    installResource("IMG", 401, solidBmp(40, 30, red));
    installResource("IMG", 10401, swapped(solidBmp(40, 30, blue)));
    installResource("IMG", 404, solidBmp(40, 30, red));
    writeProgress("reponse1\r\n");
    start(quizOf(1, 4, 1, 1));
    EXPECT_EQ(pixelOf(ui::staticBitmap(control(pictureWindowId(1))), 130, 97), blue);
    EXPECT_EQ(pixelOf(ui::staticBitmap(control(pictureWindowId(4))), 130, 97), red);
    EXPECT_EQ(memory::liveBitmaps(), 2);
}

} // namespace
