#include "bench/bench_memory.h"

#include <malloc.h>

#include <cstdio>
#include <new>
#include <string>
#include <utility>
#include <vector>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void __libc_free(void* pointer);
}

namespace {

size_t inUse = 0;
size_t peak = 0;

void counted(void* pointer) {
    if (pointer == nullptr)
        return;
    inUse += malloc_usable_size(pointer);
    if (inUse > peak)
        peak = inUse;
}

void uncounted(void* pointer) {
    if (pointer != nullptr)
        inUse -= malloc_usable_size(pointer);
}

// Names are copied: the table outlives the registration's strings.
std::vector<std::pair<std::string, std::function<void()>>>& cases() {
    static std::vector<std::pair<std::string, std::function<void()>>> list;
    return list;
}

} // namespace

// The benchmark is single-threaded: plain counters are enough.
extern "C" void* malloc(size_t size) {
    void* pointer = __libc_malloc(size);
    counted(pointer);
    return pointer;
}

extern "C" void* calloc(size_t count, size_t size) {
    void* pointer = __libc_calloc(count, size);
    counted(pointer);
    return pointer;
}

extern "C" void* realloc(void* old, size_t size) {
    uncounted(old);
    void* pointer = __libc_realloc(old, size);
    counted(pointer != nullptr ? pointer : (size == 0 ? nullptr : old));
    return pointer;
}

extern "C" void free(void* pointer) {
    uncounted(pointer);
    __libc_free(pointer);
}

PeakMeasure measurePeak(const std::function<void()>& call) {
    size_t start = inUse;
    peak = inUse;
    call();
    return {peak - start};
}

void addPeakMemoryCase(const char* name, std::function<void()> call) {
    cases().emplace_back(name, std::move(call));
}

void printPeakMemoryTable() {
    for (auto& [name, call] : cases())
        std::printf("  %-44s %12zu\n", name.c_str(), measurePeak(call).peakBytes);
}
