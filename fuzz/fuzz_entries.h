// The fuzz targets' entry points. Each takes one input as the hostile bytes
// it stands for and runs them through the player's (or the packer's) own
// readers, with the in-memory windowing backend. Besides the sanitizers, an
// entry aborts when a promise of the reader it drives does not hold: a
// result outside the documented ones, a text past its field, a saved
// answer that does not read back, a quiz the packer accepts that the player
// does not load as written.
//
// The libFuzzer programs in fuzz/ call them, and so does the unit test that
// replays every input the fuzzers ever stopped on (tests/fuzz-regressions/).
#pragma once

#include <cstddef>
#include <cstdint>

// One content package stream through decode; and, for half of the inputs
// (chosen by their first byte), the input as plain bytes must come back
// from the stream the encoder makes of it.
void fuzzLzwDecode(const uint8_t* data, size_t size);

// The three content packages through loadContent. The input is the link
// block (its first 70 bytes, completed with zeros), then the quiz record's
// length as two bytes, most significant first, then that many bytes of quiz
// record (0: the program has none), then the code list (nothing: none).
void fuzzContentLoader(const uint8_t* data, size_t size);

// The input as the progress file: read line by line for a quiz of 96
// questions with two answers each, saved back from the answer edits and
// read again.
void fuzzProgressReader(const uint8_t* data, size_t size);

// The input as a PNG file: loaded, decoded and made into a bitmap. Images
// whose filtered data exceeds fuzzPngRawLimit are only loaded: the decoder
// would be right to allocate them, and the fuzzer would only be slow.
constexpr uint32_t fuzzPngRawLimit = 1u << 22;
void fuzzPngDecoder(const uint8_t* data, size_t size);

// The input as a quiz source in TOML, read as `zorbe-tool pack` reads it;
// a quiz without findings is packed, plain and scrambled, and loaded back.
void fuzzQuizToml(const uint8_t* data, size_t size);

// The input as a program file that may end with a resource archive: read
// from memory and from a file, and, when found, written again and read back.
void fuzzResourceArchive(const uint8_t* data, size_t size);
