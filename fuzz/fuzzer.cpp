// One libFuzzer program per entry of fuzz_entries.h: the build names the
// entry this program runs.
#include "fuzz/fuzz_entries.h"

#ifndef ZORBE_FUZZ_ENTRY
#error "ZORBE_FUZZ_ENTRY names the entry this program runs"
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ZORBE_FUZZ_ENTRY(data, size);
    return 0;
}
