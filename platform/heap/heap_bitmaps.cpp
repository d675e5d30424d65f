#include "platform/heap/heap_bitmaps.h"

#include "platform/pixels.h"

#include <cstring>
#include <set>

namespace {

struct Store {
    std::set<ui::Bitmap*> live;
    bool failNext = false;
};

Store& store() {
    static Store bitmaps;
    return bitmaps;
}

// Pictures become top-down 32-bit bitmaps, the form every stretched bitmap
// takes too.
ui::BitmapHandle bitmapOfPixels(const PixelImage& image) {
    ui::BitmapInfo info;
    info.width = image.width;
    info.height = -image.height;
    info.bitsPerPixel = 32;
    uint8_t* bits = nullptr;
    ui::BitmapHandle bitmap = ui::createDibSection(info, bits);
    if (bitmap != nullptr)
        std::memcpy(bits, image.pixels.data(), image.pixels.size());
    return bitmap;
}

} // namespace

namespace ui {

BitmapHandle createDibSection(const BitmapInfo& info, uint8_t*& bits) {
    bits = nullptr;
    const bool fail = store().failNext;
    store().failNext = false;
    if (fail || info.width <= 0 || info.height == 0)
        return nullptr;
    const int64_t rows = info.height < 0 ? -static_cast<int64_t>(info.height) : info.height;
    const int64_t rowBytes = (static_cast<int64_t>(info.width) * info.bitsPerPixel + 31) / 32 * 4;
    if (rowBytes * rows > (int64_t{1} << 31))
        return nullptr;
    auto* bitmap = new Bitmap;
    bitmap->info = info;
    bitmap->bits.assign(static_cast<size_t>(rowBytes * rows), 0);
    store().live.insert(bitmap);
    bits = bitmap->bits.data();
    return bitmap;
}

void deleteBitmap(BitmapHandle bitmap) {
    if (bitmap != nullptr && store().live.erase(bitmap) != 0)
        delete bitmap;
}

bool bitmapSize(BitmapHandle bitmap, int& width, int& height) {
    if (!heapBitmaps::isLive(bitmap))
        return false;
    width = bitmap->info.width;
    height = bitmap->info.height < 0 ? -bitmap->info.height : bitmap->info.height;
    return true;
}

BitmapHandle decodePicture(const uint8_t* bytes, size_t size) {
    PixelImage image;
    if (!decodePictureFile(bytes, size, image))
        return nullptr;
    return bitmapOfPixels(image);
}

BitmapHandle stretchBitmap(BitmapHandle source, int width, int height) {
    if (!heapBitmaps::isLive(source))
        return nullptr;
    PixelImage image;
    if (!resampleBitmap(source->info, source->bits.data(), width, height, image))
        return nullptr;
    return bitmapOfPixels(image);
}

} // namespace ui

namespace heapBitmaps {

bool isLive(ui::BitmapHandle bitmap) {
    return bitmap != nullptr && store().live.count(bitmap) != 0;
}
int liveCount() {
    return static_cast<int>(store().live.size());
}
void failNext() {
    store().failNext = true;
}

void releaseAll() {
    for (ui::Bitmap* bitmap : store().live)
        delete bitmap;
    store().live.clear();
    store().failNext = false;
}

} // namespace heapBitmaps
