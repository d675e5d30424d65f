// Start-up, the main window and shutdown.
#pragma once

#include "content/quiz_state.h"
#include "platform/ui.h"

constexpr const char* mainWindowClass = "Zorbe";
constexpr int mainWindowWidth = 930;
constexpr int mainWindowHeight = 600;
constexpr int footerId = 8000;

// What start-up built; shutDownPlayer releases it.
struct Player {
    QuizState* state = nullptr;
    ui::WindowHandle mainWindow = nullptr;
    ui::BrushHandle footerBrush = nullptr;
};

// The one quiz state of the process, for procedures that receive only a
// window and an event. Null before start-up and after shutdown.
QuizState* currentQuiz();

// Start-up up to the message loop. False when the main window class could
// not be registered (the user has been told; nothing else exists then).
bool startPlayer(Player& player);
// Everything after the message loop, in order.
void shutDownPlayer(Player& player);

// The whole life of the player; returns the exit code.
int runPlayer();

ui::Result mainWindowProc(ui::WindowHandle window, const ui::Event& event);
