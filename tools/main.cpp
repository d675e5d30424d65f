// zorbe-tool: authoring and inspection of Zorbe players from the command line.
#include "tools/tool.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

struct Command {
    const char* name;
    int (*run)(int argc, char** argv);
    const char* summary;
};

constexpr Command commands[] = {
    {"pack", commandPack, "write a player with a quiz packed in"},
    {"inspect", commandInspect, "print the quiz a player carries, as JSON"},
    {"load", commandLoad, "load stored content packages and print the result, as JSON"},
    {"judge", commandJudge, "grade a typed answer against an expected one"},
    {"png-decode", commandPngDecode, "decode a PNG file with the player's own decoder"},
    {"lzw-decode", commandLzwDecode, "decode one content package stream"},
    {"lzw-encode", commandLzwEncode, "encode bytes into a content package stream"},
};

void printUsage(FILE* out) {
    std::fprintf(out, "usage: zorbe-tool COMMAND [ARGS]\n\ncommands:\n");
    for (const Command& command : commands)
        std::fprintf(out, "  %-11s %s\n", command.name, command.summary);
    std::fprintf(out, "\n'zorbe-tool COMMAND --help' tells more about a command.\n");
}

} // namespace

bool wantsHelp(int argc, char** argv) {
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return true;
    }
    return false;
}

bool readWholeFile(const std::string& path, std::vector<unsigned char>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "zorbe-tool: cannot open %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0) {
        std::fprintf(stderr, "zorbe-tool: cannot read %s\n", path.c_str());
        return false;
    }
    bytes.resize(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    if (in.gcount() != size) {
        std::fprintf(stderr, "zorbe-tool: cannot read %s\n", path.c_str());
        return false;
    }
    return true;
}

bool writeWholeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out)
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out || !out.flush()) {
        std::fprintf(stderr, "zorbe-tool: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        printUsage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    for (const Command& command : commands) {
        if (std::strcmp(argv[1], command.name) == 0)
            return command.run(argc - 2, argv + 2);
    }
    std::fprintf(stderr, "zorbe-tool: unknown command '%s'\n\n", argv[1]);
    printUsage(stderr);
    return 2;
}
