// The player's entry point: no arguments are read, everything comes from
// the program's own file.
#include "shell/startup.h"

int main() { return runPlayer(); }
