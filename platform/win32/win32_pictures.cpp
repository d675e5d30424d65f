// Pictures on Windows: JPEG, GIF and BMP files read by the system's OLE
// picture loader, and bitmaps stretched with the screen's halftone mode.
#include "platform/ui.h"

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* pictureCaption = "Information";
constexpr const char* copyFailedFormat = "%s plante avec l'erreur : %d\n";

constexpr uint8_t pngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

HBITMAP hbitmapOf(ui::BitmapHandle bitmap) {
    return reinterpret_cast<HBITMAP>(bitmap);
}

// The loader's own bitmap belongs to the picture object and goes with it:
// the caller gets a copy of the same size. Only a failed copy is worth a
// word, since the file itself was readable.
HBITMAP copyPictureBitmap(IPicture* picture) {
    OLE_HANDLE handle = 0;
    if (FAILED(picture->get_Handle(&handle)))
        return nullptr;
    // Picture handles are 32-bit values on every system, as GDI handles are.
    HANDLE original = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(handle));
    HANDLE copy = CopyImage(original, IMAGE_BITMAP, 0, 0, 0);
    if (copy == nullptr) {
        char text[128];
        std::snprintf(text, sizeof text, copyFailedFormat, "CopyImage",
                      static_cast<int>(GetLastError()));
        ui::messageBox(text, pictureCaption, ui::MessageIcon::Information);
        return nullptr;
    }
    return static_cast<HBITMAP>(copy);
}

// Reads the file through a stream over a copy of its bytes; the stream owns
// the copy and frees it when released.
HBITMAP loadOlePicture(const uint8_t* bytes, size_t size) {
    if (size > 0x7FFFFFFF)
        return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == nullptr)
        return nullptr;
    void* target = GlobalLock(block);
    if (target == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(target, bytes, size);
    GlobalUnlock(block);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream))) {
        GlobalFree(block);
        return nullptr;
    }
    IPicture* picture = nullptr;
    HBITMAP result = nullptr;
    if (SUCCEEDED(OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                                 reinterpret_cast<void**>(&picture))) &&
        picture != nullptr) {
        result = copyPictureBitmap(picture);
        picture->Release();
    }
    stream->Release();
    return result;
}

} // namespace

namespace ui {

BitmapHandle decodePicture(const uint8_t* bytes, size_t size) {
    if (bytes == nullptr || size == 0)
        return nullptr;
    // PNG files belong to the player's own decoder, whatever the system
    // could make of them.
    if (size >= sizeof pngSignature && std::memcmp(bytes, pngSignature, sizeof pngSignature) == 0)
        return nullptr;
    // COM for this load only; a thread that already has it (the clip modes)
    // just counts one more user.
    HRESULT com = CoInitialize(nullptr);
    HBITMAP bitmap = loadOlePicture(bytes, size);
    if (SUCCEEDED(com))
        CoUninitialize();
    return reinterpret_cast<BitmapHandle>(bitmap);
}

BitmapHandle stretchBitmap(BitmapHandle source, int width, int height) {
    BITMAP sourceSize = {};
    if (source == nullptr || width <= 0 || height <= 0 ||
        GetObjectA(hbitmapOf(source), sizeof sourceSize, &sourceSize) == 0)
        return nullptr;
    HDC screen = GetDC(nullptr);
    if (screen == nullptr)
        return nullptr;
    HDC from = CreateCompatibleDC(screen);
    HDC to = CreateCompatibleDC(screen);
    HBITMAP stretched = CreateCompatibleBitmap(screen, width, height);
    if (from != nullptr && to != nullptr && stretched != nullptr) {
        HGDIOBJ fromBefore = SelectObject(from, hbitmapOf(source));
        HGDIOBJ toBefore = SelectObject(to, stretched);
        SetStretchBltMode(to, HALFTONE);
        // The halftone mode needs the brush origin set again after it.
        SetBrushOrgEx(to, 0, 0, nullptr);
        BOOL copied = StretchBlt(
            to, 0, 0, width, height, from, 0, 0, sourceSize.bmWidth,
            sourceSize.bmHeight < 0 ? -sourceSize.bmHeight : sourceSize.bmHeight, SRCCOPY);
        SelectObject(to, toBefore);
        SelectObject(from, fromBefore);
        if (!copied) {
            DeleteObject(stretched);
            stretched = nullptr;
        }
    } else if (stretched != nullptr) {
        DeleteObject(stretched);
        stretched = nullptr;
    }
    if (to != nullptr)
        DeleteDC(to);
    if (from != nullptr)
        DeleteDC(from);
    ReleaseDC(nullptr, screen);
    return reinterpret_cast<BitmapHandle>(stretched);
}

} // namespace ui
