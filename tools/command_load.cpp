#include "tools/tool.h"

#include <cstdio>

int commandLoad(int, char**) {
    std::fprintf(stderr, "zorbe-tool: not available yet\n");
    return 2;
}

int commandInspect(int, char**) {
    std::fprintf(stderr, "zorbe-tool: not available yet\n");
    return 2;
}

