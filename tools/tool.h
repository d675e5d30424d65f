// zorbe-tool's commands and the small helpers they share.
#pragma once

#include <string>
#include <vector>

// Each command takes the arguments after its own name and returns the exit
// code. Errors go to stderr, results to stdout.
int commandLzwDecode(int argc, char** argv);
int commandLzwEncode(int argc, char** argv);
int commandLoad(int argc, char** argv);
int commandInspect(int argc, char** argv);
int commandPack(int argc, char** argv);
int commandJudge(int argc, char** argv);
int commandPngDecode(int argc, char** argv);

// Whole-file helpers; false (with errno-style message on stderr) on failure.
bool readWholeFile(const std::string& path, std::vector<unsigned char>& bytes);
bool writeWholeFile(const std::string& path, const std::vector<unsigned char>& bytes);

// True when argument i is --help or -h.
bool wantsHelp(int argc, char** argv);
