#include "tools/tool.h"

#include <cstdio>

int commandLzwDecode(int, char**) {
    std::fprintf(stderr, "zorbe-tool: not available yet\n");
    return 2;
}

int commandLzwEncode(int, char**) {
    std::fprintf(stderr, "zorbe-tool: not available yet\n");
    return 2;
}

