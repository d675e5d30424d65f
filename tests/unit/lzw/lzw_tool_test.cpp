// Runs the built zorbe-tool's lzw-encode and lzw-decode on files.
#ifndef _WIN32

#include "lzw_test_support.h"

#include "tests/unit/tool_runner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class LzwTool : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/zorbe-lzw-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override {
        for (const char* name : {"/in", "/stream", "/back", "/out", "/err"})
            std::remove((folder + name).c_str());
        rmdir(folder.c_str());
    }

    std::string path(const char* name) const { return folder + "/" + name; }

    ToolRun run(const std::string& command, std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), command);
        return runTool(arguments);
    }

    std::string folder;
};

TEST_F(LzwTool, EncodesAndDecodesFiles) {
    std::vector<uint8_t> bytes = lzwtest::wordyBytes(30000, 9);
    const std::string input(bytes.begin(), bytes.end());
    const std::vector<std::vector<std::string>> optionSets = {
        {},
        {"--reset-at", "300"},
        {"--widen-early", "200", "--widen-before", "5", "--widen-before", "5"},
    };
    for (const auto& options : optionSets) {
        writeFile(path("in"), input);
        std::vector<std::string> arguments = options;
        arguments.insert(arguments.end(), {"--stats", path("in"), path("stream")});
        ToolRun encoded = run("lzw-encode", arguments);
        ASSERT_EQ(encoded.exitCode, 0) << encoded.err;
        EXPECT_NE(encoded.out.find("resets"), std::string::npos);
        ToolRun decoded = run("lzw-decode", {path("stream"), path("back")});
        ASSERT_EQ(decoded.exitCode, 0) << decoded.err;
        EXPECT_TRUE(wholeFile(path("back")) == input);
    }
}

TEST_F(LzwTool, ReportsTheDecodersResult) {
    const struct {
        std::vector<lzwtest::Code> codes;
        const char* message;
    } cases[] = {
        {lzwtest::nineBits({'a', 300, 256}), "decode failed: -7\n"},
        {{}, "decode failed: -5\n"},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> stream = lzwtest::packBits(c.codes);
        writeFile(path("stream"), std::string(stream.begin(), stream.end()));
        ToolRun decoded = run("lzw-decode", {path("stream"), path("back")});
        EXPECT_EQ(decoded.exitCode, 1);
        EXPECT_EQ(decoded.err, c.message);
    }
}

TEST_F(LzwTool, RefusesBadRequests) {
    writeFile(path("in"), "");
    const struct {
        const char* command;
        std::vector<std::string> arguments;
        int exitCode;
    } cases[] = {
        {"lzw-encode", {"--help"}, 0},
        {"lzw-decode", {"--help"}, 0},
        {"lzw-encode", {path("in")}, 2},
        {"lzw-decode", {path("in")}, 2},
        {"lzw-encode", {"--reset-at", "x", path("in"), path("stream")}, 2},
        {"lzw-encode", {"--shrink", path("in"), path("stream")}, 2},
        {"lzw-encode", {"--reset-at", "100", path("in"), path("stream")}, 1},
        {"lzw-encode", {path("in"), path("stream")}, 1}, // empty input
        {"lzw-decode", {path("missing"), path("back")}, 1},
    };
    for (const auto& c : cases) {
        ToolRun result = run(c.command, c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.command << " " << result.err;
        EXPECT_EQ(result.exitCode == 0, result.err.empty()) << c.command << " " << result.err;
    }
}

} // namespace

#endif
