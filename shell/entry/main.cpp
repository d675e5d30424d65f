// The player's entry point: no arguments are read, everything comes from
// the program's own file.
#include "platform/archive.h"
#include "shell/startup.h"

int main() {
    // The quiz travels in the program file itself.
    loadProgramResources();
    return runPlayer();
}
