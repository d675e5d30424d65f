// Runs the built zorbe-tool as a user would, from a shell: arguments quoted,
// standard input given, standard output and errors kept apart. POSIX only.
#pragma once

#ifndef _WIN32

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string shellQuoted(const std::string& text) {
    std::string result = "'";
    for (char c : text) {
        if (c == '\'')
            result += "'\\''";
        else
            result += c;
    }
    return result + "'";
}

inline std::string wholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// zorbe-tool with these arguments and this standard input.
inline ToolRun runTool(const std::vector<std::string>& arguments, const std::string& input = "") {
    char folder[] = "/tmp/zorbe-tool-run-XXXXXX";
    if (!mkdtemp(folder))
        return {};
    const std::string base = folder;
    std::ofstream(base + "/in", std::ios::binary) << input;
    std::string command = shellQuoted(ZORBE_TOOL_PATH);
    for (const std::string& argument : arguments)
        command += " " + shellQuoted(argument);
    command += " <" + shellQuoted(base + "/in") + " >" + shellQuoted(base + "/out") + " 2>" +
               shellQuoted(base + "/err");
    int status = std::system(command.c_str());
    ToolRun run;
    if (status != -1 && WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    run.out = wholeFile(base + "/out");
    run.err = wholeFile(base + "/err");
    for (const char* name : {"/in", "/out", "/err"})
        std::remove((base + name).c_str());
    rmdir(folder);
    return run;
}

#endif
