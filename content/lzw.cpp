// Decoder of the content packages' code stream. Each function names the
// rule of the stream it follows; the storage sizes are the format's own
// limits, so a stream that would pass one is refused, never followed.
#include "content/lzw.h"

#include "platform/ui.h"

#include <cstring>
#include <new>
#include <utility>

namespace {

int failingAllocation = lzwAllocationNone;

uint8_t* allocateBytes(size_t count, int number) {
    if (number == failingAllocation)
        return nullptr;
    return new (std::nothrow) uint8_t[count];
}

// One slot of the dictionary: a byte string and its length.
struct Entry {
    const uint8_t* bytes = nullptr;
    uint16_t length = 0;
};

// Slots 0-255 are the one-byte strings and never change; 256-258 stay
// empty (they are control codes); 259 up are made while decoding, each in
// its own allocation of its exact length, owned by storage.
struct Dictionary {
    Entry slots[lzwDictionarySlots];
    std::unique_ptr<uint8_t[]> storage[lzwDictionarySlots];
    uint8_t literals[256];
};

static_assert(lzwMaxString <= UINT16_MAX, "entry lengths are 16-bit");

// The working storage of one call, built at its start and released when it
// returns; only the output is handed on to the caller.
struct Storage {
    std::unique_ptr<uint8_t[]> input;
    std::unique_ptr<uint8_t[]> scratch;
    std::unique_ptr<Dictionary> dictionary;
    std::unique_ptr<uint8_t[]> previous;
    std::unique_ptr<uint8_t[]> output;
};

// Builds every buffer at its fixed size, in this order; the first failure
// stops, and what was built is released by the caller's Storage. Running
// out of room for the output is the one failure the user is told about.
int buildStorage(Storage& storage) {
    storage.input.reset(allocateBytes(lzwMaxInput, lzwAllocationInput));
    if (!storage.input)
        return decodeOutOfMemory;
    storage.scratch.reset(allocateBytes(lzwMaxString, lzwAllocationScratch));
    if (!storage.scratch)
        return decodeOutOfMemory;
    if (failingAllocation != lzwAllocationDictionary)
        storage.dictionary.reset(new (std::nothrow) Dictionary());
    if (!storage.dictionary)
        return decodeOutOfMemory;
    for (int b = 0; b < 256; ++b) {
        storage.dictionary->literals[b] = static_cast<uint8_t>(b);
        storage.dictionary->slots[b] = {&storage.dictionary->literals[b], 1};
    }
    storage.previous.reset(allocateBytes(lzwMaxString, lzwAllocationPreviousString));
    if (!storage.previous)
        return decodeOutOfMemory;
    storage.output.reset(allocateBytes(lzwMaxOutput, lzwAllocationOutput));
    if (!storage.output) {
        ui::messageBox("Impossible d'allouer la memoire", "information");
        return decodeOutOfMemory;
    }
    return decodeOk;
}

// Codes follow one another without gaps, most significant bit first; a
// code may span several bytes. The unread bits of the current byte are kept
// left-aligned.
struct BitReader {
    const uint8_t* data = nullptr;
    size_t length = 0;
    size_t position = 0;
    uint8_t bits = 0;
    int bitCount = 0;
};

// False when the input ends before the code is complete.
bool readCode(BitReader& reader, int width, uint32_t& code) {
    uint64_t value = 0;
    int needed = width;
    while (needed > 0) {
        if (reader.bitCount == 0) {
            if (reader.position == reader.length)
                return false;
            reader.bits = reader.data[reader.position++];
            reader.bitCount = 8;
        }
        int take = needed < reader.bitCount ? needed : reader.bitCount;
        value = value << take | static_cast<uint64_t>(reader.bits >> (8 - take));
        reader.bits = static_cast<uint8_t>(reader.bits << take);
        reader.bitCount -= take;
        needed -= take;
    }
    code = static_cast<uint32_t>(value);
    return true;
}

struct Decoder {
    Storage storage;
    BitReader reader;
    int width = lzwStartWidth;
    uint32_t nextFree = lzwFirstEntry;
    // The string decoded last, not yet written; scratch receives the next
    // one, and the two buffers then trade places.
    uint8_t* previous = nullptr;
    size_t previousLength = 0;
    uint8_t* scratch = nullptr;
    size_t outputLength = 0;
    int entriesMade = 0;
};

// The output buffer never grows: a stream decoding to more is refused.
int appendPrevious(Decoder& d) {
    if (d.previousLength > lzwMaxOutput - d.outputLength)
        return decodeCorrupt;
    std::memcpy(d.storage.output.get() + d.outputLength, d.previous, d.previousLength);
    d.outputLength += d.previousLength;
    return decodeOk;
}

// A code that stands for a string: it extends the previous string by the
// first byte of its own, which makes the next entry, writes the previous
// string out and becomes the previous string itself. A code equal to the
// next free code is the entry this very step makes, whose first byte is
// the previous string's.
int decodeString(Decoder& d, uint32_t code) {
    Dictionary& dictionary = *d.storage.dictionary;
    uint8_t first;
    if (code == d.nextFree)
        first = d.previous[0];
    else if (code < d.nextFree)
        first = dictionary.slots[code].bytes[0];
    else
        return decodeCorrupt;

    // A well-formed stream resets before it needs slot 4096, and keeps every
    // string within the string buffers.
    if (d.nextFree >= lzwDictionarySlots || d.previousLength >= lzwMaxString)
        return decodeCorrupt;
    size_t entryLength = d.previousLength + 1;
    uint8_t* bytes = allocateBytes(entryLength, lzwAllocationFirstEntry + d.entriesMade++);
    if (!bytes)
        return decodeOutOfMemory;
    std::memcpy(bytes, d.previous, d.previousLength);
    bytes[d.previousLength] = first;
    dictionary.storage[d.nextFree].reset(bytes);
    dictionary.slots[d.nextFree] = {bytes, static_cast<uint16_t>(entryLength)};
    ++d.nextFree;

    if (int result = appendPrevious(d); result != decodeOk)
        return result;

    const Entry& entry = dictionary.slots[code];
    std::memcpy(d.scratch, entry.bytes, entry.length);
    d.previousLength = entry.length;
    std::swap(d.previous, d.scratch);
    return decodeOk;
}

int run(Decoder& d, const uint8_t* input, size_t inputLength) {
    if (int result = buildStorage(d.storage); result != decodeOk)
        return result;
    d.previous = d.storage.previous.get();
    d.scratch = d.storage.scratch.get();

    // The whole input is copied into the input buffer before the first
    // code; a longer input cannot be held and is not a stream of the format.
    if (inputLength > lzwMaxInput)
        return decodeCorrupt;
    if (inputLength > 0)
        std::memcpy(d.storage.input.get(), input, inputLength);
    d.reader.data = d.storage.input.get();
    d.reader.length = inputLength;

    // The first code is read in 9 bits and only its low eight bits are kept:
    // a well-formed stream begins with a literal.
    uint32_t code = 0;
    if (!readCode(d.reader, d.width, code))
        return decodeTooShort;
    d.previous[0] = static_cast<uint8_t>(code & 0xFF);
    d.previousLength = 1;

    for (;;) {
        if (d.width > lzwMaxWidth)
            return decodeCorrupt;
        if (!readCode(d.reader, d.width, code))
            return decodeCorrupt;
        if (code == lzwCodeEnd)
            return appendPrevious(d);
        if (code == lzwCodeWiden) {
            ++d.width;
            continue;
        }
        if (code == lzwCodeReset) {
            // The previous string survives the reset: the next code still
            // extends it into entry 259.
            d.nextFree = lzwFirstEntry;
            d.width = lzwStartWidth;
            continue;
        }
        if (int result = decodeString(d, code); result != decodeOk)
            return result;
    }
}

} // namespace

void lzwFailAllocationForTesting(int which) {
    failingAllocation = which;
}

int decode(const uint8_t* input, size_t inputLength, std::unique_ptr<uint8_t[]>& output,
           size_t& outputLength) {
    output.reset();
    outputLength = 0;
    if (!input)
        inputLength = 0;
    Decoder d;
    int result = run(d, input, inputLength);
    if (result == decodeOk) {
        output = std::move(d.storage.output);
        outputLength = d.outputLength;
    }
    return result;
}
