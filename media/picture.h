// Pictures of the quiz: found in the program's resources by identifier,
// decoded, and fitted into a box with their proportions kept.
#pragma once

#include "platform/ui.h"

// A new bitmap fitted into boxWidth × boxHeight, owned by the caller, or
// null when the picture is missing or cannot be read.
ui::BitmapHandle loadPicture(int id, const char* type, int boxWidth, int boxHeight);
