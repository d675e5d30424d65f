// The header pane: its controls, their places when the window is resized,
// its commands and its colours.
#include "shell/header_pane.h"
#include "shell_fixture.h"

#include <vector>

namespace {

using HeaderPaneTest = ShellTest;

struct ControlCase {
    int id;
    ui::ControlKind kind;
    const char* text;
    uint32_t styleBits; // besides child and visible
    int x, y, width, height;
};

enum class FontKind { None, Stock, Title, Score, Link };

FontKind fontKindOf(ui::FontHandle font, const QuizState& quiz) {
    if (font == nullptr)
        return FontKind::None;
    if (memory::isStockFont(font))
        return FontKind::Stock;
    if (font == quiz.titleFont)
        return FontKind::Title;
    if (font == quiz.scoreFont)
        return FontKind::Score;
    return FontKind::Link;
}

TEST_F(HeaderPaneTest, PictureModeBuildsEveryControlInOrderWithItsTextStyleAndPlace) {
    QuizSource source = quizOf(1, 4);
    source.title = "Le monde en images";
    start(source);

    // Places as created; the first layout then moves the right-hand ones.
    ui::WindowHandle header = this->header();
    const ControlCase expected[] = {
        {24, ui::ControlKind::Static, "https://zorbe.example", ui::style::staticNotify, 736, 5, 115,
         18},
        {25, ui::ControlKind::Static, "Par :", 0, 736, 25, 27, 18},
        {26, ui::ControlKind::Static, "Camille", 0, 763, 25, 85, 18},
        {33, ui::ControlKind::Button, "Cacher", ui::style::buttonAutoCheckBox, 666, 5, 65, 18},
        {27, ui::ControlKind::Button, "Sauver", ui::style::buttonPush, 666, 25, 55, 18},
        {28, ui::ControlKind::Static, "Trouvez la capitale", 0, 110, 19, 490, 27},
        {29, ui::ControlKind::Static, "Le monde en images", 0, 110, 3, 190, 18},
        {31, ui::ControlKind::Static, " Code :", 0, 7, 29, 36, 15},
        {32, ui::ControlKind::Static, " 0 / 4", ui::style::staticCenter, 10, 1, 80, 20},
        {30, ui::ControlKind::Edit, "", ui::style::editReadOnly, 44, 29, 53, 16},
        {120, ui::ControlKind::Static, "", ui::style::border, 0, 26, 100, 1},
        {121, ui::ControlKind::Static, "", ui::style::border, 100, 0, 1, 50},
        {122, ui::ControlKind::Static, "", ui::style::border, 730, 0, 1, 50},
    };
    const FontKind fonts[] = {FontKind::Link,  FontKind::Stock, FontKind::Stock, FontKind::Stock,
                              FontKind::Stock, FontKind::Stock, FontKind::Title, FontKind::Stock,
                              FontKind::Score, FontKind::Stock, FontKind::None,  FontKind::None,
                              FontKind::None};
    std::vector<ui::WindowHandle> children = memory::childrenOf(header);
    ASSERT_EQ(children.size(), std::size(expected));
    for (size_t i = 0; i < children.size(); ++i) {
        const ControlCase& c = expected[i];
        std::string what = "control " + std::to_string(c.id);
        ui::WindowHandle child = children[i];
        EXPECT_EQ(ui::controlId(child), c.id) << "creation order, place " << i;
        EXPECT_EQ(memory::kindOf(child), c.kind) << what;
        EXPECT_EQ(text(child), c.text) << what;
        EXPECT_EQ(memory::styleOf(child), ui::style::child | ui::style::visible | c.styleBits)
            << what;
        EXPECT_EQ(fontKindOf(memory::fontOf(child), *player.state), fonts[i]) << what;
    }

    // Creation places of the controls that no resize moves.
    expectPlace(memory::placementOf(ui::findControl(header, 31)), 7, 29, 36, 15, "code label");
    expectPlace(memory::placementOf(ui::findControl(header, 32)), 10, 1, 80, 20, "score");
    expectPlace(memory::placementOf(ui::findControl(header, 30)), 44, 29, 53, 16, "code edit");
    expectPlace(memory::placementOf(ui::findControl(header, 120)), 0, 26, 100, 1, "separator");

    ui::LogicalFont link = memory::logicalFontOf(memory::fontOf(ui::findControl(header, 24)));
    EXPECT_EQ(link.height, -13);
    EXPECT_EQ(link.weight, 400);
    EXPECT_TRUE(link.underline);
    EXPECT_FALSE(link.italic);
    EXPECT_STREQ(link.faceName, "");
    EXPECT_TRUE(memory::hasHandCursor(ui::findControl(header, 24)));
}

TEST_F(HeaderPaneTest, ListModeHasNoHideBox) {
    start(quizOf(0, 3));
    EXPECT_EQ(ui::findControl(header(), headerHideId), nullptr);
    ui::Event size{ui::EventKind::Size};
    size.width = 800;
    size.height = 49;
    ui::sendEvent(header(), size); // places nothing for the absent box
    EXPECT_EQ(memory::childrenOf(header()).size(), 12u);
}

TEST_F(HeaderPaneTest, ResizeKeepsTheRightHandControlsAtTheRightEdge) {
    start(quizOf(1, 3));
    ui::Event size{ui::EventKind::Size};
    size.width = 800;
    size.height = 47;
    ui::sendEvent(header(), size);
    const ControlCase expected[] = {
        {29, {}, "", 0, 110, 3, 450, 18}, {24, {}, "", 0, 666, 0, 115, 18},
        {25, {}, "", 0, 666, 25, 26, 18}, {26, {}, "", 0, 693, 25, 105, 18},
        {27, {}, "", 0, 596, 25, 55, 18}, {28, {}, "", 0, 110, 19, 476, 28},
        {122, {}, "", 0, 655, 0, 1, 50},  {33, {}, "", 0, 596, 0, 85, 18},
        {32, {}, "", 0, 10, 1, 80, 20},   {121, {}, "", 0, 100, 0, 1, 50},
    };
    for (const ControlCase& c : expected) {
        expectPlace(memory::placementOf(ui::findControl(header(), c.id)), c.x, c.y, c.width,
                    c.height, "control " + std::to_string(c.id));
    }
}

TEST_F(HeaderPaneTest, CommandsOpenTheLinkAndSave) {
    start(quizOf(1, 3));
    ui::Event click{ui::EventKind::Command, ui::notifyClicked, headerLinkId};
    ui::sendEvent(header(), click);
    ASSERT_EQ(memory::openedLinks().size(), 1u);
    EXPECT_EQ(memory::openedLinks()[0], text(ui::findControl(header(), headerLinkId)));

    // Another notification than a click does nothing.
    ui::Event doubleClick{ui::EventKind::Command, 1, headerLinkId};
    ui::sendEvent(header(), doubleClick);
    EXPECT_EQ(memory::openedLinks().size(), 1u);

    ui::setText(control(4002), "reponse2");
    ui::sendEvent(header(), ui::Event{ui::EventKind::Command, ui::notifyClicked, headerSaveId});
    EXPECT_EQ(readProgress(), "\r\nreponse2\r\n\r\n");
}

TEST_F(HeaderPaneTest, LabelsAndTheCodeEditShowTheHeaderBrushAndTheLinkIsBlue) {
    start(quizOf(1, 3));
    struct ColourCase {
        int id;
        bool answered;
        bool blueText;
    };
    const ColourCase cases[] = {
        {24, true, true},  {25, true, false},   {26, true, false},   {28, true, false},
        {29, true, false}, {30, true, false},   {31, true, false},   {32, true, false},
        {33, true, false}, {120, false, false}, {121, false, false}, {122, false, false},
    };
    for (const ColourCase& c : cases) {
        ui::ColourReply reply;
        bool answered = memory::colourOf(ui::findControl(header(), c.id), reply);
        EXPECT_EQ(answered, c.answered) << c.id;
        if (!answered)
            continue;
        EXPECT_EQ(ui::brushColour(reply.brush), ui::rgb(128, 128, 255)) << c.id;
        EXPECT_TRUE(reply.transparentText) << c.id;
        EXPECT_EQ(reply.hasTextColour, c.blueText) << c.id;
        if (c.blueText) {
            EXPECT_EQ(reply.textColour, ui::rgb(50, 50, 255));
        }
    }
    ui::ColourReply dialog;
    ui::Event event{ui::EventKind::ColourDialog};
    event.colour = &dialog;
    EXPECT_NE(ui::sendEvent(header(), event), 0);
    EXPECT_EQ(ui::brushColour(dialog.brush), ui::rgb(128, 128, 255));
}

} // namespace
