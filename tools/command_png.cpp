#include "tools/tool.h"

#include <cstdio>

int commandPngDecode(int, char**) {
    std::fprintf(stderr, "zorbe-tool: not available yet\n");
    return 2;
}

