// Start-up of the largest quiz the player takes: 96 questions in picture
// mode, each an 800 × 600 picture (one in four a PNG, the others JPEG),
// built whole on the in-memory windowing backend, against the floor of
// decoding and fitting the same 96 pictures alone.
#include "bench/bench_memory.h"
#include "content/link_block.h"
#include "content/package_writer.h"
#include "media/picture.h"
#include "platform/memory/memory_ui.h"
#include "platform/resources.h"
#include "platform/system.h"
#include "shell/startup.h"

#include <benchmark/benchmark.h>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int questions = 96;
constexpr int pictureWidth = 800;
constexpr int pictureHeight = 600;

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    auto* bytes = static_cast<uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

// A different picture for every question: shapes and a gradient, so that
// each compresses like a photograph of something.
std::vector<uint8_t> picture(int question, bool png) {
    std::vector<uint8_t> pixels(static_cast<size_t>(pictureWidth) * pictureHeight * 3);
    uint32_t noise = 977u * static_cast<uint32_t>(question);
    for (int y = 0; y < pictureHeight; ++y) {
        for (int x = 0; x < pictureWidth; ++x) {
            noise = noise * 1664525u + 1013904223u;
            uint8_t* p = &pixels[(static_cast<size_t>(y) * pictureWidth + x) * 3];
            bool inside = ((x - 400) * (x - 400) + (y - 300) * (y - 300)) < (100 + question) * 150;
            p[0] = static_cast<uint8_t>(inside ? 200 : x * 255 / pictureWidth);
            p[1] = static_cast<uint8_t>((y * 255 / pictureHeight + question * 9) & 0xFF);
            p[2] = static_cast<uint8_t>(((x + y) / 5 + (noise >> 28)) & 0xFF);
        }
    }
    std::vector<uint8_t> file;
    if (png)
        stbi_write_png_to_func(appendBytes, &file, pictureWidth, pictureHeight, 3, pixels.data(),
                               pictureWidth * 3);
    else
        stbi_write_jpg_to_func(appendBytes, &file, pictureWidth, pictureHeight, 3, pixels.data(),
                               85);
    return file;
}

struct LargestQuiz {
    QuizPackages packages;
    std::vector<std::vector<uint8_t>> pictures; // question j at j - 1
};

const LargestQuiz& largestQuiz() {
    static LargestQuiz quiz = [] {
        LargestQuiz made;
        QuizSource source;
        source.linkText = "https://zorbe.eu";
        source.footerText = "Zorbe";
        source.quizMode = 1;
        source.title = "La plus grande";
        for (int j = 1; j <= questions; ++j) {
            SourceQuestion question;
            question.answer1 = "reponse" + std::to_string(j);
            source.questions.push_back(question);
            source.codes.push_back("CODE" + std::to_string(j));
            made.pictures.push_back(picture(j, j % 4 == 0));
        }
        packQuiz(source, true, made.packages);
        return made;
    }();
    return quiz;
}

// The quiz as the program's resources, the way a packed player holds it.
void installLargestQuiz() {
    const LargestQuiz& quiz = largestQuiz();
    clearResources();
    installResource("PATCH", 104, quiz.packages.quizRecord);
    installResource("PATCH", 105, quiz.packages.codeList);
    overrideLinkBlock(quiz.packages.linkBlock);
    for (int j = 1; j <= questions; ++j) {
        const bool png = j % 4 == 0;
        installResource(png ? resourceTypeRcData : "IMG", 400 + j, quiz.pictures[j - 1]);
    }
    // No progress file to read: the name points nowhere.
    overrideModuleFileName("/nonexistent/zorbe-bench-largest.exe");
}

void startUp() {
    memory::reset();
    Player player;
    if (startPlayer(player))
        shutDownPlayer(player);
}

void decodeAndFitOnly() {
    for (int j = 1; j <= questions; ++j)
        ui::deleteBitmap(loadPicture(400 + j, "IMG", 260, 260));
}

void startupLargestQuiz(benchmark::State& state) {
    installLargestQuiz();
    for (auto _ : state)
        startUp();
}
BENCHMARK(startupLargestQuiz)->Name("startup_largest_quiz")->Unit(benchmark::kMillisecond);

void picturesFloor(benchmark::State& state) {
    installLargestQuiz();
    for (auto _ : state)
        decodeAndFitOnly();
}
BENCHMARK(picturesFloor)->Name("startup_pictures_floor")->Unit(benchmark::kMillisecond);

} // namespace

bool writeLargestQuiz(const char* folder) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::create_directories(folder, error);
    std::string toml = "title = \"La plus grande\"\nmode = \"pictures\"\n"
                       "link = \"https://zorbe.eu\"\nfooter = \"Zorbe\"\n";
    for (int j = 1; j <= questions; ++j) {
        const bool png = j % 4 == 0;
        const std::string name = "picture" + std::to_string(j) + (png ? ".png" : ".jpg");
        std::vector<uint8_t> bytes = picture(j, png);
        std::FILE* file = std::fopen((fs::path(folder) / name).string().c_str(), "wb");
        if (file == nullptr)
            return false;
        bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        written = std::fclose(file) == 0 && written;
        if (!written)
            return false;
        toml += "\n[[question]]\nanswer1 = \"reponse" + std::to_string(j) + "\"\npicture = \"" +
                name + "\"\n";
    }
    std::FILE* file = std::fopen((fs::path(folder) / "largest.toml").string().c_str(), "wb");
    if (file == nullptr)
        return false;
    bool written = std::fwrite(toml.data(), 1, toml.size(), file) == toml.size();
    return std::fclose(file) == 0 && written;
}

namespace {

const int registered = (addPeakMemoryCase("startup_largest_quiz",
                                          [] {
                                              installLargestQuiz();
                                              startUp();
                                          }),
                        0);

} // namespace
