// The clip blocks of the question pane: clip windows and their players, the
// play and stop buttons, the one clip file that exists at a time, and the
// media host's start and end around the player's life.
#include "../shell/shell_fixture.h"
#include "media/clip.h"
#include "platform/memory/memory_clip.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr uint32_t shown = ui::style::child | ui::style::visible;
constexpr uint32_t buttonStyle =
    shown | ui::style::tabStop | ui::style::buttonIcon | ui::style::buttonDefPush;

constexpr int audioMode = 2;
constexpr int videoMode = 3;

const std::string waveClip = std::string("RIFF\x08\0\0\0WAVEdata", 16);
const std::string mpegClip = std::string("\xFF\xFB\x90\x64\x01", 5);
const std::string aviClip = std::string("RIFF\x08\0\0\0AVI LIST", 16);

class ClipPaneTest : public ShellTest {
protected:
    void installClip(int question, const std::string& bytes) {
        installResource("IMG", 400 + question, std::vector<uint8_t>(bytes.begin(), bytes.end()));
    }

    void click(int id, int code = ui::notifyClicked) {
        ui::Event command{ui::EventKind::Command, code, id};
        command.control = control(id);
        ui::sendEvent(pane(), command);
    }

    bool exists(const std::string& name) const { return std::filesystem::exists(directory / name); }
    std::string fileText(const std::string& name) const {
        std::ifstream in(directory / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // The log of player calls since the last look.
    std::vector<std::string> takeLog() {
        std::vector<std::string> log = memory::clipLog();
        memory::clearClipLog();
        return log;
    }
};

TEST_F(ClipPaneTest, EveryBlockHasItsClipWindowPlayerAndIconButtons) {
    struct ModeCase {
        int mode;
        int windowWidth, windowHeight; // the clip window
        int answerBelow;               // answer line below the row top
    };
    const ModeCase modes[] = {{audioMode, 0, 0, 0}, {videoMode, 260, 200, 210}};
    for (const ModeCase& m : modes) {
        SCOPED_TRACE("mode " + std::to_string(m.mode));
        memory::reset();
        start(quizOf(m.mode, 4));
        ASSERT_TRUE(memory::mediaHostLoaded());
        const std::vector<memory::ClipPlayerRecord> players = memory::clipPlayers();
        ASSERT_EQ(players.size(), 4u);
        const int secondRowTop = 5 + m.answerBelow + 60;
        const struct {
            int question, x0, top;
        } blocks[] = {{1, 46, 5}, {2, 336, 5}, {3, 626, 5}, {4, 46, secondRowTop}};
        for (const auto& b : blocks) {
            const std::string block = "question " + std::to_string(b.question);
            ui::WindowHandle clip = control(9900 + b.question);
            ASSERT_NE(clip, nullptr) << block;
            EXPECT_EQ(memory::kindOf(clip), ui::ControlKind::Static);
            EXPECT_EQ(memory::styleOf(clip), shown | ui::style::border);
            expectPlace(memory::placementOf(clip), b.x0, b.top, m.windowWidth, m.windowHeight,
                        block + " clip window");
            EXPECT_EQ(players[b.question - 1].clipWindow, clip) << block;
            EXPECT_EQ(players[b.question - 1].video, m.mode == videoMode) << block;
            EXPECT_EQ(clipSlot(b.question - 1).player != nullptr, true) << block;

            const int answerTop = b.top + m.answerBelow;
            ui::WindowHandle play = control(6000 + b.question);
            ui::WindowHandle stop = control(7000 + b.question);
            EXPECT_EQ(memory::kindOf(play), ui::ControlKind::Button);
            EXPECT_EQ(memory::styleOf(play), buttonStyle);
            EXPECT_EQ(text(play), "");
            EXPECT_EQ(memory::buttonIconOf(play), 1004);
            expectPlace(memory::placementOf(play), b.x0, answerTop, 20, 20, block + " play");
            EXPECT_EQ(memory::styleOf(stop), buttonStyle);
            EXPECT_EQ(memory::buttonIconOf(stop), 1005);
            expectPlace(memory::placementOf(stop), b.x0, answerTop + 20, 20, 19, block + " stop");
            // The answers make room for the buttons.
            expectPlace(memory::placementOf(control(4000 + b.question)), b.x0 + 20, answerTop, 240,
                        20, block + " edit");
        }
        EXPECT_EQ(player.state->contentHeight, secondRowTop + m.answerBelow + 60);
        EXPECT_TRUE(memory::clipLog().empty()) << "nothing plays by itself";
        shutDownPlayer(player);
    }
}

TEST_F(ClipPaneTest, APlayerThatCannotBeMadeEndsThePaneAtItsBlock) {
    memory::failClipPlayerCreation(3);
    writeProgress("reponse1\r\nfaux\r\n");
    start(quizOf(videoMode, 5));
    // Blocks 1 and 2 are whole and judged; block 3 is its clip window only.
    EXPECT_EQ(textOf(5001), "BRAVO");
    EXPECT_EQ(textOf(5002), "FAUX");
    EXPECT_NE(control(7002), nullptr);
    EXPECT_NE(control(9903), nullptr);
    for (int id : {2003, 4003, 5003, 6003, 7003, 9904, 4004, 9905})
        EXPECT_EQ(control(id), nullptr) << id;
    EXPECT_EQ(memory::clipPlayers().size(), 2u);
    EXPECT_TRUE(memory::messages().empty());
    // What was built is finished off: its width margin and the scroll
    // ranges that reach it.
    EXPECT_EQ(player.state->contentWidth, 890 + 20);
    EXPECT_EQ(player.state->contentHeight, 5 + 210 + 60);
    EXPECT_EQ(ui::scrollInfo(pane(), ui::ScrollBar::Vertical).maximum, 5 + 210 + 60 - 2);
}

TEST_F(ClipPaneTest, WithoutAMediaHostTheFirstBlockIsTheLast) {
    memory::failMediaHost();
    start(quizOf(audioMode, 3));
    EXPECT_FALSE(memory::mediaHostLoaded());
    EXPECT_NE(control(9901), nullptr);
    EXPECT_EQ(control(4001), nullptr);
    EXPECT_EQ(control(6001), nullptr);
    EXPECT_EQ(control(9902), nullptr);
    EXPECT_TRUE(memory::messages().empty());
}

TEST_F(ClipPaneTest, PlayStopsEveryClipAndPlaysAFreshFileOfItsOwn) {
    installClip(1, waveClip);
    installClip(2, mpegClip);
    installClip(3, waveClip);
    start(quizOf(audioMode, 3));

    click(6002);
    EXPECT_EQ(takeLog(),
              (std::vector<std::string>{"stop 9901", "stop 9902", "stop 9903",
                                        "file 9902 zorbe402.MP3", "play 9902 zorbe402.MP3"}));
    EXPECT_EQ(fileText("zorbe402.MP3"), mpegClip);
    EXPECT_EQ(currentClip(), 2);
    EXPECT_EQ(clipSlot(1).state, clipPlaying);

    // Another clip: the first one's file goes before the new one is written.
    click(6001);
    EXPECT_EQ(takeLog(),
              (std::vector<std::string>{"stop 9901", "stop 9902", "stop 9903",
                                        "file 9901 zorbe401.WAV", "play 9901 zorbe401.WAV"}));
    EXPECT_FALSE(exists("zorbe402.MP3"));
    EXPECT_EQ(fileText("zorbe401.WAV"), waveClip);
    EXPECT_EQ(clipSlot(0).state, clipPlaying);
    EXPECT_EQ(clipSlot(1).state, clipStopped);

    // The same clip again starts over from a file written anew.
    std::filesystem::resize_file(directory / "zorbe401.WAV", 4);
    click(6001);
    EXPECT_EQ(fileText("zorbe401.WAV"), waveClip);
    EXPECT_EQ(takeLog().back(), "play 9901 zorbe401.WAV");

    // Any stop button stops the clip started last and removes its file.
    click(7003);
    EXPECT_EQ(takeLog(), std::vector<std::string>{"stop 9901"});
    EXPECT_FALSE(exists("zorbe401.WAV"));
    EXPECT_EQ(clipSlot(0).state, clipStopped);
    EXPECT_TRUE(std::filesystem::is_empty(directory));
    EXPECT_TRUE(memory::messages().empty());
}

TEST_F(ClipPaneTest, StopBeforeAnyPlayAndOtherCommandsChangeNothing) {
    installClip(1, waveClip);
    start(quizOf(audioMode, 2));
    click(7001);
    click(7002);
    click(6001, 1); // not a click
    EXPECT_TRUE(memory::clipLog().empty());
    EXPECT_EQ(currentClip(), 0);
    EXPECT_TRUE(std::filesystem::is_empty(directory));
}

TEST_F(ClipPaneTest, AClipThatCannotBeExtractedIsNotStarted) {
    installClip(1, aviClip);
    installResource("IMG", 403, {}); // listed, no bytes
    start(quizOf(videoMode, 3));
    click(6001);
    ASSERT_TRUE(exists("zorbe401.AVI"));
    takeLog();

    // A missing clip: everything stops, the old file goes, nothing plays.
    click(6002);
    EXPECT_EQ(takeLog(), (std::vector<std::string>{"stop 9901", "stop 9902", "stop 9903"}));
    EXPECT_FALSE(exists("zorbe401.AVI"));
    EXPECT_EQ(currentClip(), 2);
    EXPECT_EQ(clipSlot(1).state, clipStopped);
    EXPECT_TRUE(memory::messages().empty());

    // A damaged clip says so.
    click(6003);
    ASSERT_EQ(memory::messages().size(), 1u);
    EXPECT_EQ(memory::messages()[0].text, "Impossible de charger le fichier vid\xE9o.");
    EXPECT_EQ(memory::messages()[0].caption, "Zorbe");
    EXPECT_EQ(takeLog().size(), 3u) << "the stops only";

    // Stopping it stops its player; there is no file to remove.
    click(7001);
    EXPECT_EQ(takeLog(), std::vector<std::string>{"stop 9903"});
    EXPECT_TRUE(std::filesystem::is_empty(directory));
}

TEST_F(ClipPaneTest, ClosingThePaneRemovesTheClipFileAndShutdownTheMediaHost) {
    installClip(2, waveClip);
    start(quizOf(audioMode, 2));
    ui::WindowHandle mainWindow = player.mainWindow;
    click(6002);
    ASSERT_TRUE(exists("zorbe402.WAV"));

    shutDownPlayer(player);
    EXPECT_FALSE(exists("zorbe402.WAV"));
    EXPECT_FALSE(memory::isLive(mainWindow)) << "the clip modes take the main window down";
    EXPECT_FALSE(memory::mediaHostLoaded());
    EXPECT_TRUE(memory::clipPlayers().empty());
    EXPECT_EQ(currentClip(), 0);
}

TEST_F(ClipPaneTest, ListAndPictureQuizzesLeaveTheMediaHostAlone) {
    for (int mode : {0, 1}) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        memory::reset();
        start(quizOf(mode, 3));
        EXPECT_FALSE(memory::mediaHostLoaded());
        EXPECT_TRUE(memory::clipPlayers().empty());
        // Clip identifiers mean nothing here.
        click(6001);
        EXPECT_EQ(currentClip(), 0);
        ui::WindowHandle mainWindow = player.mainWindow;
        shutDownPlayer(player);
        EXPECT_TRUE(memory::isLive(mainWindow)) << "the main window stays to the process's end";
    }
}

} // namespace
