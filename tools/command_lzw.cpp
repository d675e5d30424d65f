// lzw-decode and lzw-encode: one content package stream to bytes and back.
#include "tools/tool.h"

#include "content/lzw.h"
#include "content/lzw_encoder.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char decodeHelp[] = "usage: zorbe-tool lzw-decode IN OUT\n"
                          "\n"
                          "Decodes the code stream in IN (as stored, not scrambled) and writes\n"
                          "the decoded bytes to OUT. A stream the player refuses exits with 1\n"
                          "and prints the decoder's result: -4 out of memory, -5 input too short\n"
                          "for the first code, -7 corrupt stream.\n";

const char encodeHelp[] =
    "usage: zorbe-tool lzw-encode [OPTIONS] IN OUT\n"
    "\n"
    "Encodes the bytes of IN into a code stream written to OUT.\n"
    "\n"
    "options:\n"
    "  --reset-at N       reset when the next entry would be N (260-4096, default 4096)\n"
    "  --widen-early N    widen as soon as a code plus N no longer fits (default 0)\n"
    "  --widen-before I   one extra widen code before data code I (from 0; I > 0);\n"
    "                     may be given several times\n"
    "  --no-limits        also write streams the player refuses (input above 120000\n"
    "                     bytes, stream above 32768 bytes)\n"
    "  --stats            print the counts of data, widen and reset codes\n";

bool parseNumber(const char* text, unsigned long long& value) {
    if (!text || !*text)
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(text, &end, 10);
    return errno == 0 && *end == '\0' && text[0] != '-';
}

const char* encodeResultText(int result) {
    switch (result) {
    case lzwEncodeEmpty: return "the input is empty";
    case lzwEncodeInputTooLong: return "the input is longer than 120000 bytes";
    case lzwEncodeStreamTooLong: return "the stream would be longer than 32768 bytes";
    case lzwEncodeBadOptions: return "the options cannot be met";
    default: return "unknown failure";
    }
}

} // namespace

int commandLzwDecode(int argc, char** argv) {
    if (wantsHelp(argc, argv)) {
        std::fputs(decodeHelp, stdout);
        return 0;
    }
    if (argc != 2) {
        std::fputs(decodeHelp, stderr);
        return 2;
    }
    std::vector<unsigned char> input;
    if (!readWholeFile(argv[0], input))
        return 1;
    std::unique_ptr<uint8_t[]> output;
    size_t outputLength = 0;
    int result = decode(input.data(), input.size(), output, outputLength);
    if (result != decodeOk) {
        std::fprintf(stderr, "decode failed: %d\n", result);
        return 1;
    }
    std::vector<unsigned char> bytes(output.get(), output.get() + outputLength);
    return writeWholeFile(argv[1], bytes) ? 0 : 1;
}

int commandLzwEncode(int argc, char** argv) {
    if (wantsHelp(argc, argv)) {
        std::fputs(encodeHelp, stdout);
        return 0;
    }
    LzwEncodeOptions options;
    bool stats = false;
    std::vector<const char*> paths;
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i];
        unsigned long long value = 0;
        bool takesValue = arg == "--reset-at" || arg == "--widen-early" || arg == "--widen-before";
        if (takesValue) {
            if (i + 1 >= argc || !parseNumber(argv[i + 1], value) || value > UINT32_MAX) {
                std::fprintf(stderr, "zorbe-tool: %s needs a number\n", arg.c_str());
                return 2;
            }
            ++i;
        }
        if (arg == "--reset-at")
            options.resetAt = static_cast<uint32_t>(value);
        else if (arg == "--widen-early")
            options.widenEarlyBy = static_cast<uint32_t>(value);
        else if (arg == "--widen-before")
            options.widenBefore.push_back(static_cast<size_t>(value));
        else if (arg == "--no-limits")
            options.withinPlayerLimits = false;
        else if (arg == "--stats")
            stats = true;
        else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "zorbe-tool: unknown option %s\n\n", arg.c_str());
            std::fputs(encodeHelp, stderr);
            return 2;
        } else
            paths.push_back(argv[i]);
    }
    if (paths.size() != 2) {
        std::fputs(encodeHelp, stderr);
        return 2;
    }
    std::vector<unsigned char> input;
    if (!readWholeFile(paths[0], input))
        return 1;
    LzwStream stream;
    int result = lzwEncode(input.data(), input.size(), options, stream);
    if (result != lzwEncodeOk) {
        std::fprintf(stderr, "encode failed: %d (%s)\n", result, encodeResultText(result));
        return 1;
    }
    if (!writeWholeFile(paths[1], stream.bytes))
        return 1;
    if (stats) {
        std::printf("%zu bytes in, %zu bytes out, %zu data codes, %zu widens, %zu resets\n",
                    input.size(), stream.bytes.size(), stream.dataCodes, stream.widens,
                    stream.resets);
    }
    return 0;
}
