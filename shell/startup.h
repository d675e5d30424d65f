// Start-up and the main window.
#pragma once

// Builds the application, runs its message loop and returns the exit code.
int runPlayer();
