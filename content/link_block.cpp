#include "content/link_block.h"

// Marker and block form one object, so the marker is followed by the block
// in the program file with no padding between them.
struct StoredLinkBlock {
    uint8_t marker[linkBlockMarkerSize];
    uint8_t block[linkBlockSize];
};
static_assert(sizeof(StoredLinkBlock) == linkBlockMarkerSize + linkBlockSize);

namespace {

const uint8_t* linkBlockOverride = nullptr;

} // namespace

// Not const, and with external linkage: the block must stay in initialised
// data, as bytes a packer may rewrite, and never be folded into the code
// that reads it.
#if defined(__GNUC__)
[[gnu::used]]
#endif
StoredLinkBlock zorbeStoredLinkBlock = {
    {0x7F, 'Z', 'o', 'r', 'b', 'e', 'L', 'i', 'n', 'k', 'B', 'l', 'o', 'c', 'k', 0x7F},
    // A plain stream of the project's link "https://zorbe.eu" and the footer
    // "Zorbe", so that a player without a quiz still has both.
    {0x00, 0x00, 0x0D, 0x07, 0x43, 0xA1, 0xC0, 0xE6, 0x3A, 0x17, 0x8B, 0xCF, 0x46, 0xF3,
     0x91, 0x88, 0xCA, 0x2E, 0x32, 0x9D, 0x4F, 0x85, 0xA8, 0x74, 0x40, 0xF9, 0x00, 0x00,
     0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
     0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
     0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
};

const uint8_t* programLinkBlock() {
    if (linkBlockOverride)
        return linkBlockOverride;
    return zorbeStoredLinkBlock.block;
}

void overrideLinkBlock(const uint8_t* block) {
    linkBlockOverride = block;
}

const uint8_t* linkBlockMarker() {
    return zorbeStoredLinkBlock.marker;
}
