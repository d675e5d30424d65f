// The seven passes of Adam7 interlacing, shared by the sizing of the
// filtered data and the placing of the pixels. Inside the decoder only.
#pragma once

#include <cstdint>

struct Adam7Pass {
    uint32_t x0; // first column
    uint32_t y0; // first row
    uint32_t dx; // column step
    uint32_t dy; // row step
};

inline constexpr Adam7Pass adam7Passes[7] = {
    {0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
    {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2},
};

// Pixels of a pass across size pixels, 0 when the pass starts beyond them
// (each dimension decides for itself).
constexpr uint32_t adam7PassSize(uint32_t size, uint32_t first, uint32_t step) {
    return size <= first ? 0 : (size - first - 1) / step + 1;
}
