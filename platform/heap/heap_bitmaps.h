// Bitmaps held in the process's memory, for the backends that have no
// bitmaps of the platform's own (the in-memory one and FLTK): the seam's
// device-independent bitmaps, pictures decoded by stb_image and stretched by
// the resampler. The Win32 backend keeps real DIB sections instead.
#pragma once

#include "platform/ui.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace ui {

struct Bitmap {
    BitmapInfo info;
    std::vector<uint8_t> bits;
    // Whatever a backend makes to draw the bits, released with the bitmap.
    std::shared_ptr<void> drawing;
};

} // namespace ui

namespace heapBitmaps {

// A bitmap made here and not yet deleted.
bool isLive(ui::BitmapHandle bitmap);
int liveCount();
// Makes the next createDibSection fail (tests).
void failNext();
// Deletes every bitmap still alive (the end of a test).
void releaseAll();

} // namespace heapBitmaps
