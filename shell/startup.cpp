#include "shell/startup.h"

#include "content/content_loader.h"
#include "content/progress.h"
#include "media/clip.h"
#include "shell/header_pane.h"
#include "shell/question_pane.h"

namespace {

constexpr int wheelNotch = 120;
// Scroll codes of the question pane for one wheel notch toward the user
// (down the list) and away from the user (up the list).
constexpr int scrollWheelDown = 500;
constexpr int scrollWheelUp = 501;

QuizState* quiz = nullptr;
ui::BrushHandle footerBrush = nullptr;

// The panes and the footer follow the main window's client size.
void layoutMainWindow(ui::WindowHandle window, int width, int height) {
    ui::moveWindow(quiz->questionPane, 5, 50, width - 11, height - 68);
    ui::moveWindow(quiz->headerPane, 5, 2, width - 11, 49);
    ui::moveWindow(ui::findControl(window, footerId), width - 145, height - 16, 150, 15);
}

// Places a window in the middle of the desktop; the halves truncate toward
// zero, as integer division does.
void centreOnDesktop(ui::WindowHandle window) {
    ui::Rect desktop = ui::desktopRect();
    ui::Rect frame = ui::windowRect(window);
    int x = desktop.left + (ui::widthOf(desktop) - ui::widthOf(frame)) / 2;
    int y = desktop.top + (ui::heightOf(desktop) - ui::heightOf(frame)) / 2;
    ui::moveWindowTo(window, x, y);
}

} // namespace

QuizState* currentQuiz() {
    return quiz;
}

ui::Result mainWindowProc(ui::WindowHandle window, const ui::Event& event) {
    switch (event.kind) {
    case ui::EventKind::Create: {
        ui::Rect client = ui::clientRect(window);
        ui::WindowHandle footer = ui::createControl(
            window, ui::ControlKind::Static, footerId, quiz->footerText,
            ui::style::child | ui::style::visible, 720, client.bottom - 16, 140, 15);
        ui::setFont(footer, ui::stockGuiFont(), true);
        ui::setLargeIcon(window, ui::StockIcon::Question);
        return 0;
    }
    case ui::EventKind::Size:
        if (event.code != ui::sizeMinimized)
            layoutMainWindow(window, event.width, event.height);
        return 0;
    case ui::EventKind::Close:
        // The answer edits still exist here: save before the pane goes. The
        // main window itself stays until the process ends.
        saveProgress(*quiz);
        [[fallthrough]];
    case ui::EventKind::Destroy:
        ui::destroyWindow(quiz->questionPane);
        ui::postQuit(0);
        return 0;
    case ui::EventKind::ColourStatic:
        if (event.id != footerId)
            return 0;
        event.colour->brush = footerBrush;
        return 1;
    case ui::EventKind::MouseWheel: {
        // Only single notches scroll; faster or finer wheels do nothing.
        ui::Event scroll{ui::EventKind::VScroll};
        if (event.code == wheelNotch)
            scroll.code = scrollWheelUp;
        else if (event.code == -wheelNotch)
            scroll.code = scrollWheelDown;
        else
            return 0;
        ui::postEvent(quiz->questionPane, scroll);
        return 0;
    }
    default: return ui::defaultProcedure(window, event);
    }
}

bool startPlayer(Player& player) {
    if (!ui::registerWindowClass(mainWindowClass, mainWindowProc)) {
        ui::messageBox("Erreur dans la cr\xE9"
                       "ation de la fen\xEA"
                       "tre principale",
                       "Zorbe", ui::MessageIcon::Information);
        return false;
    }
    footerBrush = ui::createSolidBrush(ui::rgb(212, 208, 200));
    quiz = new QuizState;
    loadContent(*quiz);
    mediaStartup(*quiz);

    ui::WindowHandle window =
        ui::createMainWindow(mainWindowClass, quiz->title, mainWindowWidth, mainWindowHeight);
    centreOnDesktop(window);

    quiz->headerPane = ui::createPane(window, headerPaneTemplate, headerPaneProc);
    ui::showWindow(quiz->headerPane, true);
    quiz->questionPane = ui::createPane(window, questionPaneTemplate, questionPaneProc);

    ui::showWindow(window, true);
    ui::showWindow(quiz->questionPane, true);
    ui::sendEvent(quiz->questionPane, ui::Event{ui::EventKind::VScroll, ui::scrollTop});

    player.state = quiz;
    player.mainWindow = window;
    player.footerBrush = footerBrush;
    return true;
}

void shutDownPlayer(Player& player) {
    ui::destroyWindow(player.state->questionPane);
    ui::destroyWindow(player.state->headerPane);
    // In the clip modes this also takes the main window, before the media
    // host goes.
    mediaShutdown(*player.state, player.mainWindow);
    ui::deleteBrush(player.footerBrush);
    delete player.state;
    quiz = nullptr;
    footerBrush = nullptr;
    player = Player{};
}

int runPlayer() {
    Player player;
    if (!startPlayer(player))
        return 0;
    int exitCode = ui::runMessageLoop(player.state->questionPane);
    shutDownPlayer(player);
    return exitCode;
}
