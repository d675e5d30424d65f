#include "media/picture.h"

#include "media/png/png_decoder.h"
#include "platform/resources.h"

#include <vector>

namespace {

// Pictures above this identifier (the answer pictures) are stored in the
// "IMG" form with the two halves of every byte swapped, so that they cannot
// be read straight out of the program file before the question is solved.
// The raw-data (PNG) form is never scrambled.
constexpr int scrambledPictureAbove = 10000;

constexpr const char* pictureCaption = "Information";
constexpr const char* pngDecodeFailed = "Error: couldn't decode PNG resource";
constexpr const char* pngBitmapFailed = "Error: couldn't create bitmap";

uint8_t swapHalves(uint8_t byte) {
    return static_cast<uint8_t>(byte << 4 | byte >> 4);
}

// The stored bytes are read-only and shared by every load: unscrambling
// works on a copy, so the same picture comes out each time.
ui::BitmapHandle decodeScrambled(const ResourceBytes& resource) {
    std::vector<uint8_t> bytes(resource.data, resource.data + resource.size);
    for (uint8_t& byte : bytes)
        byte = swapHalves(byte);
    return ui::decodePicture(bytes.data(), bytes.size());
}

// The PNG form, read by the player's own decoder. A resource that is
// missing or not a PNG the decoder takes is an ordinary absence and says
// nothing; a PNG that breaks while decoding is worth a word to the author.
ui::BitmapHandle loadPngPicture(int id, int boxWidth, int boxHeight) {
    PngDecoder decoder;
    pngInit(decoder);
    ui::BitmapHandle bitmap = nullptr;
    if (pngLoadResource(decoder, id)) {
        if (!pngDecode(decoder)) {
            ui::messageBox(pngDecodeFailed, pictureCaption, ui::MessageIcon::Error);
        } else {
            bitmap = pngMakeBitmap(decoder);
            if (bitmap == nullptr)
                ui::messageBox(pngBitmapFailed, pictureCaption, ui::MessageIcon::Error);
        }
    }
    pngFree(decoder);
    return fitBitmap(bitmap, boxWidth, boxHeight);
}

} // namespace

ui::BitmapHandle loadPicture(int id, const char* type, int boxWidth, int boxHeight) {
    const ResourceBytes resource = findResource(type, id);
    if (resource.data == nullptr || resource.size == 0)
        return loadPngPicture(id, boxWidth, boxHeight);
    ui::BitmapHandle bitmap = id > scrambledPictureAbove
                                  ? decodeScrambled(resource)
                                  : ui::decodePicture(resource.data, resource.size);
    releaseResource(resource);
    return fitBitmap(bitmap, boxWidth, boxHeight);
}

ui::BitmapHandle fitBitmap(ui::BitmapHandle bitmap, int boxWidth, int boxHeight) {
    int width = 0, height = 0;
    if (!ui::bitmapSize(bitmap, width, height)) {
        ui::deleteBitmap(bitmap);
        return nullptr;
    }
    ui::BitmapHandle fitted = nullptr;
    if (width > 0 && height > 0 && boxWidth > 0 && boxHeight > 0) {
        // One scale for both sides keeps the proportions; the smaller of the
        // two makes the picture meet the box on one side and stay inside on
        // the other. Sizes are truncated, so 3 × 7 in 260 × 260 is 111 × 260.
        const double scaleX = static_cast<double>(boxWidth) / width;
        const double scaleY = static_cast<double>(boxHeight) / height;
        const double scale = scaleX < scaleY ? scaleX : scaleY;
        // A sliver of a picture (1000 × 1 in 260 × 260) keeps one pixel
        // rather than vanishing into a bitmap of no height.
        int fittedWidth = static_cast<int>(width * scale);
        int fittedHeight = static_cast<int>(height * scale);
        fittedWidth = fittedWidth < 1 ? 1 : fittedWidth;
        fittedHeight = fittedHeight < 1 ? 1 : fittedHeight;
        fitted = ui::stretchBitmap(bitmap, fittedWidth, fittedHeight);
    }
    ui::deleteBitmap(bitmap);
    return fitted;
}
