// Reading device-independent bitmaps back as pixels, and resampling them:
// what stands in for the screen's halftone stretch where bitmaps are kept
// in memory. A reduction must average (a plain pick of every n-th pixel
// turns the fine lines of drawings into moiré) and an enlargement must
// interpolate (repeating pixels turns a small picture into blocks).
#include "platform/pixels.h"

#include <algorithm>
#include <cmath>

namespace {

// Bytes of the whole bitmap are measured in int by every backend.
constexpr int64_t maxBitmapBytes = int64_t{1} << 31;

// Floating-point samples of the horizontal pass, at most as many as this.
constexpr int64_t maxIntermediateSamples = maxPicturePixels * 3;

int rowsOf(const ui::BitmapInfo& info) {
    return info.height < 0 ? -info.height : info.height;
}

// A bitmap whose rows can all be read: a depth the seam allows, a size in
// bounds, and bits to read.
bool readable(const ui::BitmapInfo& info, const uint8_t* bits) {
    const int depth = info.bitsPerPixel;
    if (bits == nullptr || info.width <= 0 || info.height == 0 || info.height == INT32_MIN)
        return false;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 24 && depth != 32)
        return false;
    const int64_t rowBytes = (int64_t{info.width} * depth + 31) / 32 * 4;
    return rowBytes * rowsOf(info) <= maxBitmapBytes;
}

// Row `row` counted from the top, as blue, green, red, 0 for each pixel.
// Indexed pixels take their colour from the table (0x00RRGGBB entries);
// indices of 1, 4 and 8 bits cannot leave its 256 entries.
void readRow(const ui::BitmapInfo& info, const uint8_t* bits, int row, uint8_t* out) {
    const int depth = info.bitsPerPixel;
    const int64_t rowBytes = (int64_t{info.width} * depth + 31) / 32 * 4;
    const int stored = info.height < 0 ? row : rowsOf(info) - 1 - row;
    const uint8_t* in = bits + rowBytes * stored;
    for (int x = 0; x < info.width; ++x, out += 4) {
        if (depth >= 24) {
            const uint8_t* pixel = in + static_cast<size_t>(x) * (depth / 8);
            out[0] = pixel[0];
            out[1] = pixel[1];
            out[2] = pixel[2];
        } else {
            const int perByte = 8 / depth;
            const int shift = 8 - depth * (x % perByte + 1);
            const int index = (in[x / perByte] >> shift) & ((1 << depth) - 1);
            const uint32_t colour = info.colours[index];
            out[0] = static_cast<uint8_t>(colour);
            out[1] = static_cast<uint8_t>(colour >> 8);
            out[2] = static_cast<uint8_t>(colour >> 16);
        }
        out[3] = 0;
    }
}

// How one result pixel along an axis is made: weights for the source
// pixels first .. first + count - 1, which sum to 1.
struct Taps {
    int first = 0;
    int count = 0;
    size_t weights = 0; // index of the first weight in the axis' list
};

struct AxisFilter {
    std::vector<Taps> taps;
    std::vector<float> weights;
};

// Reduction: result pixel i covers [i·n/m, (i+1)·n/m) of the source, and
// each source pixel counts for the part of it that lies inside.
// Enlargement: result pixel i's centre maps to source position
// (i + ½)·n/m − ½, held inside the outer centres at the edges, and takes
// the two source pixels around it in proportion to its distance from each.
AxisFilter axisFilter(int sourceSize, int resultSize) {
    AxisFilter filter;
    filter.taps.resize(static_cast<size_t>(resultSize));
    const double scale = static_cast<double>(sourceSize) / resultSize;
    for (int i = 0; i < resultSize; ++i) {
        Taps& taps = filter.taps[static_cast<size_t>(i)];
        taps.weights = filter.weights.size();
        if (resultSize <= sourceSize) {
            const double from = i * scale;
            const double to = std::min((i + 1) * scale, static_cast<double>(sourceSize));
            taps.first = std::min(static_cast<int>(from), sourceSize - 1);
            const int last =
                std::clamp(static_cast<int>(std::ceil(to)) - 1, taps.first, sourceSize - 1);
            taps.count = last - taps.first + 1;
            for (int j = taps.first; j <= last; ++j) {
                const double overlap = std::min(to, j + 1.0) - std::max(from, double(j));
                filter.weights.push_back(static_cast<float>(std::max(overlap, 0.0) / scale));
            }
        } else {
            const double centre =
                std::clamp((i + 0.5) * scale - 0.5, 0.0, static_cast<double>(sourceSize - 1));
            taps.first = std::min(static_cast<int>(centre), sourceSize - 1);
            const double fraction = centre - taps.first;
            taps.count = taps.first + 1 < sourceSize ? 2 : 1;
            filter.weights.push_back(static_cast<float>(taps.count == 2 ? 1.0 - fraction : 1.0));
            if (taps.count == 2)
                filter.weights.push_back(static_cast<float>(fraction));
        }
    }
    return filter;
}

uint8_t toByte(float value) {
    return static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

} // namespace

bool bitmapPixels(const ui::BitmapInfo& info, const uint8_t* bits, PixelImage& image) {
    image = PixelImage{};
    if (!readable(info, bits))
        return false;
    const int rows = rowsOf(info);
    if (int64_t{info.width} * rows > maxPicturePixels)
        return false;
    image.width = info.width;
    image.height = rows;
    const size_t rowLength = static_cast<size_t>(info.width) * 4;
    image.pixels.resize(rowLength * static_cast<size_t>(rows));
    for (int y = 0; y < rows; ++y)
        readRow(info, bits, y, image.pixels.data() + rowLength * static_cast<size_t>(y));
    return true;
}

bool resampleBitmap(const ui::BitmapInfo& info, const uint8_t* bits, int width, int height,
                    PixelImage& result) {
    result = PixelImage{};
    if (!readable(info, bits) || width <= 0 || height <= 0 || width > maxPictureSide ||
        height > maxPictureSide || int64_t{width} * height > maxPicturePixels)
        return false;
    const int sourceWidth = info.width;
    const int sourceHeight = rowsOf(info);
    if (int64_t{width} * sourceHeight * 3 > maxIntermediateSamples)
        return false;

    // Rows first: every source row is read once and narrowed (or widened)
    // to the result's width, then the columns are resampled from those.
    const AxisFilter across = axisFilter(sourceWidth, width);
    const AxisFilter down = axisFilter(sourceHeight, height);
    const size_t resultWidth = static_cast<size_t>(width);
    std::vector<float> narrowed(resultWidth * static_cast<size_t>(sourceHeight) * 3);
    std::vector<uint8_t> row(static_cast<size_t>(sourceWidth) * 4);
    for (int y = 0; y < sourceHeight; ++y) {
        readRow(info, bits, y, row.data());
        float* out = narrowed.data() + resultWidth * static_cast<size_t>(y) * 3;
        for (size_t x = 0; x < resultWidth; ++x, out += 3) {
            const Taps& taps = across.taps[x];
            float sum[3] = {0, 0, 0};
            for (int k = 0; k < taps.count; ++k) {
                const float weight = across.weights[taps.weights + static_cast<size_t>(k)];
                const uint8_t* pixel = row.data() + static_cast<size_t>(taps.first + k) * 4;
                for (int c = 0; c < 3; ++c)
                    sum[c] += weight * pixel[c];
            }
            for (int c = 0; c < 3; ++c)
                out[c] = sum[c];
        }
    }

    result.width = width;
    result.height = height;
    result.pixels.resize(resultWidth * static_cast<size_t>(height) * 4);
    uint8_t* out = result.pixels.data();
    for (int y = 0; y < height; ++y) {
        const Taps& taps = down.taps[static_cast<size_t>(y)];
        for (size_t x = 0; x < resultWidth; ++x, out += 4) {
            float sum[3] = {0, 0, 0};
            for (int k = 0; k < taps.count; ++k) {
                const float weight = down.weights[taps.weights + static_cast<size_t>(k)];
                const float* sample =
                    narrowed.data() + (static_cast<size_t>(taps.first + k) * resultWidth + x) * 3;
                for (int c = 0; c < 3; ++c)
                    sum[c] += weight * sample[c];
            }
            for (int c = 0; c < 3; ++c)
                out[c] = toByte(sum[c]);
            out[3] = 0;
        }
    }
    return true;
}

bool resamplePixels(const PixelImage& source, int width, int height, PixelImage& result) {
    result = PixelImage{};
    if (source.width <= 0 || source.height <= 0 ||
        source.pixels.size() != static_cast<size_t>(source.width) * source.height * 4)
        return false;
    ui::BitmapInfo info;
    info.width = source.width;
    info.height = -source.height;
    info.bitsPerPixel = 32;
    return resampleBitmap(info, source.pixels.data(), width, height, result);
}
