// The link block: 70 bytes in the program's initialised data that carry
// the header's link and the footer as one content package. The packer
// overwrites them in place in a copy of the program, finding them by the
// marker stored just before them.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t linkBlockSize = 70;
constexpr size_t linkBlockMarkerSize = 16;

// The 70 stored bytes the loader opens: the program's own, or the override.
const uint8_t* programLinkBlock();

// Makes programLinkBlock give block (70 bytes that the caller keeps alive)
// instead of the program's own; null returns to the program's own. For
// tests and for loading packages taken from elsewhere.
void overrideLinkBlock(const uint8_t* block);

// The marker that precedes the program's block in its file. It is read from
// the block's own storage, so a program file holds these bytes exactly once.
const uint8_t* linkBlockMarker();
