#include "tools/tool.h"

#include <cstdio>

int commandPack(int, char**) {
    std::fprintf(stderr, "zorbe-tool: not available yet\n");
    return 2;
}

