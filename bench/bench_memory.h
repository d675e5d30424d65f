// Peak heap use of one call, measured by wrapping the C allocator: every
// decoder compared here allocates through malloc or operator new.
#pragma once

#include <cstddef>
#include <functional>

struct PeakMeasure {
    size_t peakBytes = 0; // above what was in use when the call began
};

PeakMeasure measurePeak(const std::function<void()>& call);

// Registered by the benchmarks: name, then the call to measure once.
void addPeakMemoryCase(const char* name, std::function<void()> call);
void printPeakMemoryTable();
