#include "fuzz/fuzz_entries.h"

#include "content/content_loader.h"
#include "content/link_block.h"
#include "content/lzw.h"
#include "content/lzw_encoder.h"
#include "content/package_writer.h"
#include "content/progress.h"
#include "content/quiz_state.h"
#include "media/png/png_decoder.h"
#include "platform/archive.h"
#include "platform/memory/memory_ui.h"
#include "platform/resources.h"
#include "platform/system.h"
#include "tools/quiz_toml.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A broken promise is a finding like a sanitizer's report: the fuzzer keeps
// the input and stops.
void require(bool holds, const char* promise) {
    if (holds)
        return;
    std::fprintf(stderr, "fuzz: broken promise: %s\n", promise);
    std::abort();
}

// A text field holds its terminating zero within its capacity.
bool terminated(const char* field, int capacity) {
    return std::memchr(field, '\0', static_cast<size_t>(capacity)) != nullptr;
}

// The folder in which the file-reading entries put their input, one per
// process, removed when the process ends normally.
struct WorkFolder {
    fs::path path;
    WorkFolder() {
        std::random_device random;
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        for (int attempt = 0; attempt < 100 && path.empty(); ++attempt) {
            fs::path candidate =
                fs::temp_directory_path() / ("zorbe-fuzz-" + std::to_string(random()) + "-" +
                                             std::to_string(static_cast<unsigned long long>(now)));
            std::error_code error;
            if (fs::create_directory(candidate, error))
                path = candidate;
        }
        require(!path.empty(), "a work folder can be made");
    }
    ~WorkFolder() {
        std::error_code error;
        fs::remove_all(path, error);
    }
};

const fs::path& workFolder() {
    static WorkFolder folder;
    return folder.path;
}

void writeFile(const fs::path& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    require(!out.fail(), "the input can be written to a file");
}

// Runs in the work folder, where the progress file of a program named
// Quiz.exe lives, and returns to the previous folder afterwards.
struct InWorkFolder {
    fs::path previous;
    InWorkFolder() {
        previous = fs::current_path();
        fs::current_path(workFolder());
        overrideModuleFileName("Quiz.exe");
    }
    ~InWorkFolder() {
        overrideModuleFileName(nullptr);
        fs::current_path(previous);
    }
};

// Every input starts from an empty windowing backend and resource table.
struct CleanSlate {
    CleanSlate() {
        memory::reset();
        clearResources();
    }
    ~CleanSlate() {
        overrideLinkBlock(nullptr);
        clearResources();
        memory::reset();
    }
};

void checkDecode(const uint8_t* data, size_t size, const char* what) {
    std::unique_ptr<uint8_t[]> output;
    size_t length = 12345;
    const int result = decode(data, size, output, length);
    require(result == decodeOk || result == decodeTooShort || result == decodeCorrupt, what);
    if (result == decodeOk)
        require(output != nullptr && length <= lzwMaxOutput, "a decoded stream fits the output");
    else
        require(output == nullptr, "a failed decode hands out no buffer");
}

bool decodesTo(const std::vector<uint8_t>& stream, const uint8_t* data, size_t size) {
    std::unique_ptr<uint8_t[]> output;
    size_t length = 0;
    return decode(stream.data(), stream.size(), output, length) == decodeOk && length == size &&
           std::memcmp(output.get(), data, size) == 0;
}

// Everything loadContent leaves in the state stays within its fields.
void checkState(const QuizState& state) {
    require(state.questionCount >= 0 && state.questionCount <= maxQuestions,
            "the question count stays within 0 to 96");
    const char* const texts[] = {state.title, state.author, state.explanation, state.columnLabel1,
                                 state.columnLabel2};
    for (const char* text : texts)
        require(terminated(text, textCapacity), "quiz texts end within their fields");
    require(terminated(state.linkText, linkTextCapacity), "the link ends within its field");
    require(terminated(state.footerText, footerTextCapacity), "the footer ends within its field");
    for (const auto& code : state.codes)
        require(terminated(code, textCapacity), "codes end within their fields");
    int entries = 0;
    for (const QuestionEntry* entry = state.firstQuestion; entry; entry = entry->next) {
        ++entries;
        require(terminated(entry->answer1, textCapacity) &&
                    terminated(entry->answer2, textCapacity) &&
                    terminated(entry->questionText, textCapacity) &&
                    terminated(entry->comment, textCapacity),
                "question texts end within their fields");
    }
    require(entries <= maxQuestions, "at most 96 questions are made");
    require(memory::messages().size() <= 1, "loading tells at most one failure");
}

// The window whose answer edits the progress file is saved from.
ui::WindowHandle makeAnswerPane() {
    ui::registerWindowClass("FuzzPane",
                            [](ui::WindowHandle, const ui::Event&) { return ui::Result{0}; });
    return ui::createMainWindow("FuzzPane", "pane", 100, 100);
}

constexpr int progressQuestions = maxQuestions;
constexpr int progressAnswers = 2;
constexpr int progressLines = progressQuestions * progressAnswers;

std::vector<std::string> readAllLines() {
    ProgressReader reader;
    openProgress(reader);
    std::vector<std::string> lines;
    for (int i = 0; i < progressLines; ++i) {
        char line[progressLineLength + 1];
        std::memset(line, 'x', sizeof line);
        const size_t before = reader.position;
        readProgressLine(reader, line);
        require(terminated(line, sizeof line), "a progress line ends within 55 characters");
        const size_t length = std::strlen(line);
        require(std::memchr(line, '\r', length) == nullptr, "a progress line holds no return");
        require(length == 0 || (before + length <= reader.size &&
                                std::memcmp(reader.contents.get() + before, line, length) == 0),
                "a progress line is the start of what is left of the file");
        require(reader.position <= reader.size + 1, "reading stays within the file");
        lines.push_back(line);
    }
    closeProgress(reader);
    return lines;
}

void checkQuizLoads(const QuizSource& source, const QuizPackages& packages) {
    CleanSlate slate;
    overrideLinkBlock(packages.linkBlock);
    installResource(packageResourceType, quizRecordId, packages.quizRecord);
    installResource(packageResourceType, codeListId, packages.codeList);
    auto state = std::make_unique<QuizState>();
    loadContent(*state);
    require(memory::messages().empty(), "a packed quiz loads without a message");
    require(std::strcmp(state->linkText, source.linkText.c_str()) == 0 &&
                std::strcmp(state->footerText, source.footerText.c_str()) == 0 &&
                std::strcmp(state->title, source.title.c_str()) == 0 &&
                std::strcmp(state->author, source.author.c_str()) == 0 &&
                std::strcmp(state->explanation, source.explanation.c_str()) == 0 &&
                std::strcmp(state->columnLabel1, source.columnLabel1.c_str()) == 0 &&
                std::strcmp(state->columnLabel2, source.columnLabel2.c_str()) == 0,
            "a packed quiz's texts load as written");
    require(state->quizMode == source.quizMode &&
                state->answersPerQuestion == source.answersPerQuestion &&
                state->revealMode == source.revealMode &&
                state->questionCount == static_cast<int>(source.questions.size()) &&
                state->backgroundRed == source.backgroundRed &&
                state->backgroundGreen == source.backgroundGreen &&
                state->backgroundBlue == source.backgroundBlue,
            "a packed quiz's modes, count and colour load as written");
    const bool comments =
        source.revealMode == 2 || source.revealMode == 3 || source.revealMode == 4;
    const QuestionEntry* entry = state->firstQuestion;
    for (const SourceQuestion& question : source.questions) {
        require(entry != nullptr, "every packed question loads");
        require(std::strcmp(entry->answer1, question.answer1.c_str()) == 0 &&
                    std::strcmp(entry->answer2, question.answer2.c_str()) == 0 &&
                    std::strcmp(entry->questionText, question.questionText.c_str()) == 0 &&
                    std::strcmp(entry->comment, comments ? question.comment.c_str() : "") == 0,
                "a packed question loads as written");
        entry = entry->next;
    }
    require(entry == nullptr, "no question loads that was not packed");
    for (size_t i = 0; i < source.questions.size(); ++i) {
        const char* code = i < source.codes.size() ? source.codes[i].c_str() : "";
        require(std::strcmp(state->codes[i], code) == 0, "a packed code loads as written");
    }
}

} // namespace

void fuzzLzwDecode(const uint8_t* data, size_t size) {
    checkDecode(data, size, "decode gives one of its documented results");
    if (size == 0 || size > lzwMaxOutput)
        return;
    // The same bytes as text: whatever the encoder writes, with or without
    // early widen and reset codes, decodes back to them. The first byte
    // chooses whether to try (the encoder clears a 2 MB table each time, so
    // half of the inputs are enough) and with which options.
    if (data[0] % 4 != 0 && data[0] % 4 != 1)
        return;
    LzwEncodeOptions options;
    if (data[0] % 4 == 1) {
        options.resetAt = 260 + data[0] % 300;
        options.widenEarlyBy = data[size - 1] % 8;
    }
    LzwStream stream;
    const int result = lzwEncode(data, size, options, stream);
    require(result == lzwEncodeOk || (result == lzwEncodeStreamTooLong && size > 4096),
            "a short text can always be encoded");
    if (result == lzwEncodeOk)
        require(decodesTo(stream.bytes, data, size), "a stream decodes to what was encoded");
}

void fuzzContentLoader(const uint8_t* data, size_t size) {
    CleanSlate slate;
    uint8_t linkBlock[linkBlockSize] = {};
    const size_t linkBytes = size < linkBlockSize ? size : linkBlockSize;
    if (linkBytes > 0)
        std::memcpy(linkBlock, data, linkBytes);
    size_t position = linkBytes;
    size_t recordSize = 0;
    if (size - position >= 2) {
        recordSize = static_cast<size_t>(data[position]) << 8 | data[position + 1];
        position += 2;
    } else {
        position = size;
    }
    if (recordSize > size - position)
        recordSize = size - position;
    overrideLinkBlock(linkBlock);
    if (recordSize > 0)
        installResource(packageResourceType, quizRecordId,
                        std::vector<uint8_t>(data + position, data + position + recordSize));
    position += recordSize;
    if (position < size)
        installResource(packageResourceType, codeListId,
                        std::vector<uint8_t>(data + position, data + size));
    auto state = std::make_unique<QuizState>();
    loadContent(*state);
    checkState(*state);
}

void fuzzProgressReader(const uint8_t* data, size_t size) {
    CleanSlate slate;
    InWorkFolder here;
    writeFile("Quiz.txt", data, size);
    const std::vector<std::string> lines = readAllLines();

    // What was read is what the answer edits hold; saving them and reading
    // again must give the same answers.
    QuizState state;
    state.questionCount = progressQuestions;
    state.answersPerQuestion = progressAnswers;
    state.questionPane = makeAnswerPane();
    for (int i = 0; i < progressLines; ++i)
        ui::createControl(state.questionPane, ui::ControlKind::Edit, firstAnswerEditId + i,
                          lines[i].c_str(), 0, 0, 0, 10, 10);
    saveProgress(state);
    require(readAllLines() == lines, "saved answers read back as they were");
}

void fuzzPngDecoder(const uint8_t* data, size_t size) {
    CleanSlate slate;
    PngDecoder decoder;
    pngInit(decoder);
    const bool loaded = pngLoadBytes(decoder, size ? data : nullptr, size);
    require(loaded == (decoder.state == pngStateParsed),
            "a load parses or leaves the decoder empty");
    if (!loaded) {
        require(decoder.error == pngErrorNotPng || decoder.error == pngErrorUnsupported ||
                    decoder.error == pngErrorResourceUnreadable,
                "a refused file has a load error");
        pngFree(decoder);
        return;
    }
    require(decoder.width > 0 && decoder.height > 0, "a loaded image has a size");
    uint32_t rawSize = 0;
    if (!pngRawSize(decoder, rawSize) || rawSize > fuzzPngRawLimit) {
        pngFree(decoder);
        return;
    }
    if (!pngDecode(decoder)) {
        require(decoder.raw == nullptr && decoder.state == pngStateParsed,
                "a failed decode leaves no buffer");
        require(decoder.error == pngErrorNotPng || decoder.error == pngErrorUnsupported,
                "a failed decode has a decode error");
        pngFree(decoder);
        return;
    }
    require(decoder.rawSize == rawSize && decoder.raw != nullptr, "a decode fills the raw buffer");
    ui::BitmapHandle bitmap = pngMakeBitmap(decoder);
    if (bitmap) {
        int width = 0;
        int height = 0;
        require(ui::bitmapSize(bitmap, width, height) &&
                    static_cast<uint32_t>(width) == decoder.width &&
                    static_cast<uint32_t>(height) == decoder.height,
                "the bitmap has the image's size");
        ui::deleteBitmap(bitmap);
    } else {
        // A row of an unknown filter type leaves the error of the decode.
        require(decoder.error == pngErrorBitmap || decoder.error == pngErrorNone,
                "a bitmap not made says why");
    }
    pngFree(decoder);
    static const PngDecoder empty{};
    require(std::memcmp(&decoder, &empty, sizeof decoder) == 0, "a freed decoder is empty");
}

void fuzzQuizToml(const uint8_t* data, size_t size) {
    CleanSlate slate;
    const fs::path path = workFolder() / "quiz.toml";
    writeFile(path, data, size);
    QuizReport report;
    report.quizPath = path.string();
    QuizSource source;
    std::vector<QuizMediaFile> media;
    const bool read = readQuizSource(path.string(), report, source, media);
    require(read || !report.errors.empty(), "a file that is not TOML is reported");
    if (!read || !report.errors.empty())
        return;
    std::vector<SourceFinding> errors;
    std::vector<SourceFinding> warnings;
    checkQuizSource(source, errors, warnings);
    if (!errors.empty())
        return;
    for (bool scrambled : {false, true}) {
        QuizPackages packages;
        const int result = packQuiz(source, scrambled, packages);
        require(result == packOk || result == packLinkBlockTooLong || result == packRecordTooLong ||
                    (scrambled && result == packEncodingFailed),
                "a quiz without findings is packed or refused for its size");
        if (result == packOk)
            checkQuizLoads(source, packages);
    }
}

namespace {

bool sameEntries(const std::vector<ArchiveEntry>& a, const std::vector<ArchiveEntry>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].type != b[i].type || a[i].id != b[i].id || a[i].bytes != b[i].bytes)
            return false;
    }
    return true;
}

} // namespace

void fuzzResourceArchive(const uint8_t* data, size_t size) {
    std::vector<ArchiveEntry> entries;
    size_t programSize = 12345;
    const ArchiveStatus status = readArchive(size ? data : nullptr, size, entries, programSize);
    require(status == ArchiveStatus::found || status == ArchiveStatus::absent ||
                status == ArchiveStatus::damaged,
            "a read finds an archive, none, or a damaged one");
    if (status != ArchiveStatus::found) {
        require(entries.empty() && programSize == size,
                "a file without a sound archive is all program and no entries");
    } else {
        require(programSize <= size, "the program ends within the file");
        uint64_t total = 0;
        for (const ArchiveEntry& entry : entries)
            total += entry.bytes.size();
        require(total <= size - programSize, "the entries hold no more bytes than the archive");
    }

    // The file reader sees the same file the same way.
    const fs::path path = workFolder() / "program";
    writeFile(path, data, size);
    std::vector<ArchiveEntry> fromFile;
    const ArchiveStatus fileStatus = readArchiveFile(path.string().c_str(), fromFile);
#ifdef _WIN32
    // Windows players carry their resources in the executable format.
    require(fileStatus == ArchiveStatus::absent && fromFile.empty(),
            "no archive is read from a file on Windows");
#else
    require(fileStatus == status, "the file reader finds what the memory reader finds");
    require(sameEntries(fromFile, entries), "the file reader reads the same entries");
#endif
    if (status != ArchiveStatus::found)
        return;

    // What was read can be written again, after the same program bytes, and
    // reads back as it was.
    std::vector<uint8_t> archive;
    require(buildArchive(entries, archive), "entries read from an archive can be written");
    std::vector<uint8_t> again(data, data + programSize);
    again.insert(again.end(), archive.begin(), archive.end());
    std::vector<ArchiveEntry> reread;
    size_t rereadProgramSize = 0;
    require(readArchive(again.data(), again.size(), reread, rereadProgramSize) ==
                    ArchiveStatus::found &&
                rereadProgramSize == programSize && sameEntries(reread, entries),
            "a written archive reads back as it was");
}
