#include "tools/tool.h"

#include <cstdio>

int commandJudge(int, char**) {
    std::fprintf(stderr, "zorbe-tool: not available yet\n");
    return 2;
}

