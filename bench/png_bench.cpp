// PNG decoding: the player's own decoder against libpng and stb_image on the
// same files, each taken from the file's bytes to pixels in memory.
#include "bench/bench_memory.h"
#include "media/png/png_decoder.h"

#include <benchmark/benchmark.h>
#include <png.h>

// stb_image's functions stay private to this file: the platform layer has
// its own copy for JPEG, GIF and BMP.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

struct TestImage {
    const char* name;
    int width;
    int height;
    int colourType; // PNG_COLOR_TYPE_RGB or PNG_COLOR_TYPE_PALETTE
    bool adam7;
};

constexpr TestImage testImages[] = {
    {"photo260", 260, 260, PNG_COLOR_TYPE_RGB, false},
    {"photo2000x1500", 2000, 1500, PNG_COLOR_TYPE_RGB, false},
    {"indexed", 800, 600, PNG_COLOR_TYPE_PALETTE, false},
    {"adam7", 800, 600, PNG_COLOR_TYPE_RGB, true},
};

// Smooth shapes with a little noise: compresses like a photograph, not like
// a flat test card.
uint8_t sample(int x, int y, int channel, uint32_t& noise) {
    noise = noise * 1664525u + 1013904223u;
    int value = (x * (channel + 1) + y * (3 - channel)) / 4 + ((x / 40 + y / 30) % 2) * 60 +
                static_cast<int>((noise >> 24) & 0x0F);
    return static_cast<uint8_t>(value & 0xFF);
}

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

Bytes encode(const TestImage& image) {
    Bytes file;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &file, appendBytes, nullptr);
    png_set_IHDR(png, info, image.width, image.height, 8, image.colourType,
                 image.adam7 ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    const bool indexed = image.colourType == PNG_COLOR_TYPE_PALETTE;
    png_color palette[256];
    if (indexed) {
        for (int i = 0; i < 256; ++i)
            palette[i] = {static_cast<png_byte>(i), static_cast<png_byte>(255 - i),
                          static_cast<png_byte>((i * 7) & 0xFF)};
        png_set_PLTE(png, info, palette, 256);
    }
    png_write_info(png, info);
    const int channels = indexed ? 1 : 3;
    std::vector<uint8_t> pixels(static_cast<size_t>(image.width) * image.height * channels);
    uint32_t noise = 12345;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            for (int c = 0; c < channels; ++c)
                pixels[(static_cast<size_t>(y) * image.width + x) * channels + c] =
                    sample(x, y, c, noise);
    std::vector<png_bytep> rows(image.height);
    for (int y = 0; y < image.height; ++y)
        rows[y] = pixels.data() + static_cast<size_t>(y) * image.width * channels;
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return file;
}

const Bytes& fileOf(int index) {
    static std::vector<Bytes> files;
    if (files.empty()) {
        for (const TestImage& image : testImages)
            files.push_back(encode(image));
    }
    return files[index];
}

bool decodeZorbe(const Bytes& file) {
    PngDecoder decoder;
    pngInit(decoder);
    bool ok = pngLoadBytes(decoder, file.data(), file.size()) && pngDecode(decoder);
    ui::BitmapHandle bitmap = ok ? pngMakeBitmap(decoder) : nullptr;
    ui::deleteBitmap(bitmap);
    pngFree(decoder);
    return bitmap != nullptr;
}

bool decodeLibpng(const Bytes& file) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size()))
        return false;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    bool ok = png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

bool decodeStb(const Bytes& file) {
    int width, height, channels;
    stbi_uc* pixels = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &width,
                                            &height, &channels, 0);
    stbi_image_free(pixels);
    return pixels != nullptr;
}

void benchDecode(benchmark::State& state, bool (*decodeFile)(const Bytes&), int index) {
    const Bytes& file = fileOf(index);
    for (auto _ : state) {
        if (!decodeFile(file))
            state.SkipWithError("decoding failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(file.size()));
}

void registerAll() {
    struct Decoder {
        const char* name;
        bool (*decodeFile)(const Bytes&);
    };
    const Decoder decoders[] = {
        {"png_zorbe", decodeZorbe},
        {"png_libpng", decodeLibpng},
        {"png_stb", decodeStb},
    };
    for (int i = 0; i < static_cast<int>(std::size(testImages)); ++i) {
        for (const Decoder& decoder : decoders) {
            std::string name = std::string(decoder.name) + "/" + testImages[i].name;
            bool (*decodeFile)(const Bytes&) = decoder.decodeFile;
            benchmark::RegisterBenchmark(name.c_str(), benchDecode, decodeFile, i)
                ->Unit(benchmark::kMillisecond);
            addPeakMemoryCase(name.c_str(), [decodeFile, i] { decodeFile(fileOf(i)); });
        }
    }
}

const int registered = (registerAll(), 0);

} // namespace
