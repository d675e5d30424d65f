#include "shell/startup.h"

int runPlayer() { return 0; }
