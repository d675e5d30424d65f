// Pictures of the quiz: found in the program's resources by identifier,
// decoded, and fitted into a box with their proportions kept.
#pragma once

#include "platform/ui.h"

// A new bitmap fitted into boxWidth × boxHeight, owned by the caller, or
// null when the picture is missing or cannot be read. The picture is looked
// for as resource `type` first (JPEG, GIF or BMP for the platform's loader),
// then as a PNG file in the raw-data resource of the same identifier.
ui::BitmapHandle loadPicture(int id, const char* type, int boxWidth, int boxHeight);

// A new bitmap holding bitmap stretched to the largest size that fits the
// box with its proportions kept: enlarged or reduced until one side meets
// the box. Takes bitmap over: it is deleted in every case, even when no new
// bitmap can be made (null then), and must not be used after the call.
ui::BitmapHandle fitBitmap(ui::BitmapHandle bitmap, int boxWidth, int boxHeight);
