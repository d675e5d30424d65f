// The resources of a Windows executable (PE32 and PE32+): read from a
// program file, and a copy of that file written with a rebuilt resource
// section. The packer stores a quiz this way into Windows players, whose
// quiz lives among the executable's own resources.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A resource type or name: a number, or a name when text is not empty.
struct PeName {
    uint16_t number = 0;
    std::u16string text;
};

struct PeResource {
    PeName type;
    PeName name;
    uint16_t language = 0x409;
    uint32_t codePage = 0;
    std::vector<uint8_t> bytes;
};

enum PeResult : int {
    peOk = 0,
    peNotExecutable = -1,     // no "MZ" and "PE" signatures, or an unknown optional header
    peDamagedHeaders = -2,    // headers or section table cut short or out of range
    peDamagedResources = -3,  // a resource directory, name or data out of its bounds
    peNoRoomForSection = -4,  // no free room in the headers for another section header
    peTooLarge = -5,          // the rebuilt file would pass the format's 32-bit limits
    peSigned = -6,            // carries a certificate, which a rebuilt file would break
    peDuplicateResource = -7, // the same type, name and language twice among those to write
};

// Every resource of the size bytes of file, in directory order. A damaged
// file is refused as a whole (resources left empty).
int readPeResources(const uint8_t* file, size_t size, std::vector<PeResource>& resources);

// Output is a copy of file carrying exactly resources, in a resource section
// that is the file's last: the old one rewritten in place when it is last,
// otherwise a new section (the old one's bytes stay, unreferenced).
int writePeResources(const uint8_t* file, size_t size, const std::vector<PeResource>& resources,
                     std::vector<uint8_t>& output);

// Adds added to resources, each replacing the resources of the same type
// and name in any language.
void mergePeResources(std::vector<PeResource>& resources, std::vector<PeResource> added);

// The resource types of the player's resource table ("PATCH", "#10") as
// stored in an executable, and back; typeText is empty for a name that the
// table cannot hold.
PeName peTypeOf(const std::string& typeText);
std::string peTypeText(const PeName& type);

// The link block of a Windows player: the marker search of findLinkBlock
// (a LinkBlockSearch result), over the executable's bytes after its "MZ".
int findPeLinkBlock(const uint8_t* file, size_t size, size_t& offset);

// What a result means, for messages.
const char* peResultText(int result);
