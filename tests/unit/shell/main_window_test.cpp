// The main window on the in-memory backend: start-up order, geometry, the
// footer, the wheel, closing and shutdown.
#include "shell_fixture.h"

namespace {

using MainWindowTest = ShellTest;

TEST_F(MainWindowTest, StartUpBuildsTheCentredMainWindowWithItsPanesAndFooter) {
    memory::setDesktop({0, 0, 1280, 1024});
    ASSERT_TRUE(startPlayer(player));
    ui::WindowHandle window = player.mainWindow;

    char caption[260];
    ui::getText(window, caption, sizeof caption);
    EXPECT_STREQ(caption, player.state->title);

    // Outer size 930 × 600, centred: (1280 - 930) / 2 and (1024 - 600) / 2.
    ui::Rect frame = ui::windowRect(window);
    expectPlace(frame, 175, 212, 930, 600, "main window");
    EXPECT_TRUE(ui::isVisible(window));
    EXPECT_EQ(memory::largeIconOf(window), ui::StockIcon::Question);

    // Panes exist, the header before the question pane, both shown and laid
    // out from the first size notification.
    ui::Rect client = ui::clientRect(window);
    int w = client.right, h = client.bottom;
    ASSERT_NE(player.state->headerPane, nullptr);
    ASSERT_NE(player.state->questionPane, nullptr);
    EXPECT_EQ(memory::templateOf(player.state->headerPane), 1002);
    EXPECT_EQ(memory::templateOf(player.state->questionPane), 1001);
    std::vector<ui::WindowHandle> children = memory::childrenOf(window);
    ASSERT_EQ(children.size(), 3u);
    EXPECT_EQ(children[1], player.state->headerPane);
    EXPECT_EQ(children[2], player.state->questionPane);
    EXPECT_TRUE(ui::isVisible(player.state->headerPane));
    EXPECT_TRUE(ui::isVisible(player.state->questionPane));
    expectPlace(memory::placementOf(player.state->questionPane), 5, 50, w - 11, h - 68,
                "question pane");
    expectPlace(memory::placementOf(player.state->headerPane), 5, 2, w - 11, 49, "header pane");

    ui::WindowHandle footer = ui::findControl(window, footerId);
    ASSERT_NE(footer, nullptr);
    EXPECT_EQ(children[0], footer);
    char footerText[64];
    ui::getText(footer, footerText, sizeof footerText);
    EXPECT_STREQ(footerText, player.state->footerText);
    EXPECT_TRUE(memory::isStockFont(memory::fontOf(footer)));
    expectPlace(memory::placementOf(footer), w - 145, h - 16, 150, 15, "footer");
}

TEST_F(MainWindowTest, SizeLaysOutPanesAndFooterUnlessMinimised) {
    ASSERT_TRUE(startPlayer(player));
    ui::WindowHandle window = player.mainWindow;
    ui::Event size{ui::EventKind::Size, ui::sizeRestored};
    size.width = 800;
    size.height = 500;
    ui::sendEvent(window, size);
    expectPlace(memory::placementOf(player.state->questionPane), 5, 50, 789, 432, "question pane");
    expectPlace(memory::placementOf(player.state->headerPane), 5, 2, 789, 49, "header pane");
    expectPlace(memory::placementOf(ui::findControl(window, footerId)), 655, 484, 150, 15,
                "footer");

    ui::Event minimised{ui::EventKind::Size, ui::sizeMinimized};
    minimised.width = 0;
    minimised.height = 0;
    ui::sendEvent(window, minimised);
    expectPlace(memory::placementOf(player.state->questionPane), 5, 50, 789, 432,
                "after minimising");
}

TEST_F(MainWindowTest, OnlySingleWheelNotchesBecomeScrollRequests) {
    ASSERT_TRUE(startPlayer(player));
    struct WheelCase {
        int delta;
        int posted; // scroll code posted to the question pane, or -1
    };
    const WheelCase cases[] = {
        {120, 501}, {-120, 500}, {240, -1}, {-240, -1}, {30, -1}, {0, -1},
    };
    for (const WheelCase& c : cases) {
        memory::dispatchPosted();
        ui::sendEvent(player.mainWindow, ui::Event{ui::EventKind::MouseWheel, c.delta});
        std::vector<ui::Event> posted = memory::postedTo(player.state->questionPane);
        if (c.posted < 0) {
            EXPECT_TRUE(posted.empty()) << "delta " << c.delta;
            continue;
        }
        ASSERT_EQ(posted.size(), 1u) << "delta " << c.delta;
        EXPECT_EQ(posted[0].kind, ui::EventKind::VScroll);
        EXPECT_EQ(posted[0].code, c.posted);
    }
}

TEST_F(MainWindowTest, FooterIsPaintedWithTheFooterBrushAndOtherStaticsAreNot) {
    ASSERT_TRUE(startPlayer(player));
    ui::ColourReply reply;
    ASSERT_TRUE(memory::colourOf(ui::findControl(player.mainWindow, footerId), reply));
    EXPECT_EQ(ui::brushColour(reply.brush), ui::rgb(212, 208, 200));
    EXPECT_FALSE(reply.transparentText);

    ui::WindowHandle other = ui::createControl(player.mainWindow, ui::ControlKind::Static, 77, "",
                                               ui::style::child, 0, 0, 1, 1);
    EXPECT_FALSE(memory::colourOf(other, reply));
}

TEST_F(MainWindowTest, ClosingSavesWhileTheAnswerEditsStillExistThenEndsTheLoop) {
    ASSERT_TRUE(startPlayer(player));
    ui::WindowHandle pane = player.state->questionPane;
    ui::setText(ui::findControl(pane, 4001), "la mer");

    ui::sendEvent(player.mainWindow, ui::Event{ui::EventKind::Close});
    EXPECT_FALSE(memory::isLive(pane));
    EXPECT_TRUE(memory::isLive(player.mainWindow)) << "closing does not destroy the main window";
    EXPECT_EQ(ui::runMessageLoop(pane), 0);

    std::ifstream saved("Quiz.txt", std::ios::binary);
    ASSERT_TRUE(saved) << "the progress file is written in the current directory";
    std::string text((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
    ASSERT_GE(text.size(), 8u);
    EXPECT_EQ(text.substr(0, 8), "la mer\r\n");
}

TEST_F(MainWindowTest, ShutdownReleasesEveryFontAndBrush) {
    ASSERT_TRUE(startPlayer(player));
    ui::sendEvent(player.mainWindow, ui::Event{ui::EventKind::Close});
    ui::runMessageLoop(player.state->questionPane);
    shutDownPlayer(player);
    EXPECT_EQ(currentQuiz(), nullptr);
    EXPECT_EQ(memory::liveBrushes(), 0);
    EXPECT_EQ(memory::liveFonts(), 0);
}

TEST_F(MainWindowTest, ARefusedWindowClassIsToldAndNothingIsBuilt) {
    memory::failNextRegistration();
    EXPECT_FALSE(startPlayer(player));
    ASSERT_EQ(memory::messages().size(), 1u);
    EXPECT_EQ(memory::messages()[0].text, "Erreur dans la cr\xE9"
                                          "ation de la fen\xEA"
                                          "tre principale");
    EXPECT_EQ(memory::messages()[0].caption, "Zorbe");
    EXPECT_EQ(memory::messages()[0].icon, ui::MessageIcon::Information);
    EXPECT_TRUE(memory::topLevelWindows().empty());
    EXPECT_EQ(memory::liveBrushes(), 0);
    memory::failNextRegistration();
    EXPECT_EQ(runPlayer(), 0);
}

} // namespace
