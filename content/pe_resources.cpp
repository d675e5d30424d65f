// Resources of PE executables. Offsets below follow the PE/COFF layout:
// the DOS header's pointer to the "PE\0\0" signature, the COFF file
// header, the optional header (PE32 or PE32+), the section table, and the
// resource tree of type, name and language directories.
#include "content/pe_resources.h"

#include "content/package_writer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// DOS and COFF headers.
constexpr size_t dosNewHeaderOffset = 0x3C;
constexpr size_t coffHeaderSize = 20;
constexpr size_t coffSectionCount = 2;
constexpr size_t coffSymbolTable = 8;
constexpr size_t coffOptionalSize = 16;

// Optional header fields common to both forms.
constexpr uint16_t magicPe32 = 0x10B;
constexpr uint16_t magicPe32Plus = 0x20B;
constexpr size_t optInitializedData = 8;
constexpr size_t optSectionAlignment = 32;
constexpr size_t optFileAlignment = 36;
constexpr size_t optSizeOfImage = 56;
constexpr size_t optSizeOfHeaders = 60;
constexpr size_t optCheckSum = 64;
// Where the directory count sits in each form; the directories follow it.
constexpr size_t optDirectoryCountPe32 = 92;
constexpr size_t optDirectoryCountPe32Plus = 108;
constexpr uint32_t resourceDirectory = 2;
constexpr uint32_t certificateDirectory = 4;

// Section headers.
constexpr size_t sectionHeaderSize = 40;
constexpr size_t secVirtualSize = 8;
constexpr size_t secVirtualAddress = 12;
constexpr size_t secRawSize = 16;
constexpr size_t secRawPointer = 20;
constexpr size_t secCharacteristics = 36;
constexpr uint32_t sectionInitializedData = 0x00000040;
constexpr uint32_t sectionRead = 0x40000000;

// Resource tree.
constexpr size_t directoryHeaderSize = 16;
constexpr size_t directoryEntrySize = 8;
constexpr size_t dataEntrySize = 16;
constexpr uint32_t highBit = 0x80000000u;
// The most resources one file is taken to hold: a tree whose entries share
// subdirectories could otherwise name billions.
constexpr size_t maxResources = 65536;
constexpr size_t maxVisitedEntries = 4 * maxResources;

struct Section {
    size_t headerOffset = 0;
    uint32_t virtualSize = 0;
    uint32_t virtualAddress = 0;
    uint32_t rawSize = 0;
    uint32_t rawPointer = 0;
    uint32_t characteristics = 0;
};

struct Layout {
    size_t peOffset = 0;
    size_t optionalOffset = 0;
    size_t optionalSize = 0;
    size_t sectionTable = 0;
    size_t directories = 0; // the first data directory
    uint32_t directoryCount = 0;
    uint32_t sectionAlignment = 0;
    uint32_t fileAlignment = 0;
    uint32_t sizeOfHeaders = 0;
    std::vector<Section> sections;
    uint32_t resourceRva = 0;
    uint32_t resourceSize = 0;
};

uint16_t get16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void put16(uint8_t* p, uint32_t value) {
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
}

void put32(uint8_t* p, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(value >> (8 * i));
}

// True when length bytes from offset lie within size, without overflow.
bool fits(size_t offset, size_t length, size_t size) {
    return offset <= size && length <= size - offset;
}

uint64_t alignUp(uint64_t value, uint32_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

bool isPowerOfTwo(uint32_t value) {
    return value != 0 && (value & (value - 1)) == 0;
}

// The headers and the section table, each field checked against the file.
int readLayout(const uint8_t* file, size_t size, Layout& layout) {
    if (size < 2 || file[0] != 'M' || file[1] != 'Z')
        return peNotExecutable;
    if (!fits(dosNewHeaderOffset, 4, size))
        return peDamagedHeaders;
    layout.peOffset = get32(file + dosNewHeaderOffset);
    if (!fits(layout.peOffset, 4 + coffHeaderSize, size))
        return peDamagedHeaders;
    if (std::memcmp(file + layout.peOffset, "PE\0\0", 4) != 0)
        return peNotExecutable;
    const uint8_t* coff = file + layout.peOffset + 4;
    const size_t sectionCount = get16(coff + coffSectionCount);
    layout.optionalOffset = layout.peOffset + 4 + coffHeaderSize;
    layout.optionalSize = get16(coff + coffOptionalSize);
    if (!fits(layout.optionalOffset, layout.optionalSize, size) || layout.optionalSize < 2)
        return peDamagedHeaders;
    const uint8_t* opt = file + layout.optionalOffset;
    const uint16_t magic = get16(opt);
    if (magic != magicPe32 && magic != magicPe32Plus)
        return peNotExecutable;
    const size_t countAt = magic == magicPe32 ? optDirectoryCountPe32 : optDirectoryCountPe32Plus;
    if (layout.optionalSize < countAt + 4)
        return peDamagedHeaders;
    layout.directoryCount = get32(opt + countAt);
    layout.directories = layout.optionalOffset + countAt + 4;
    if (layout.directoryCount > (layout.optionalSize - countAt - 4) / 8)
        return peDamagedHeaders;
    layout.sectionAlignment = get32(opt + optSectionAlignment);
    layout.fileAlignment = get32(opt + optFileAlignment);
    layout.sizeOfHeaders = get32(opt + optSizeOfHeaders);
    if (!isPowerOfTwo(layout.sectionAlignment) || !isPowerOfTwo(layout.fileAlignment) ||
        layout.fileAlignment > layout.sectionAlignment)
        return peDamagedHeaders;
    // Stripped programs only: a COFF symbol table sits after the sections
    // and would be cut off from its offset by a moved resource section.
    if (get32(coff + coffSymbolTable) != 0)
        return peDamagedHeaders;

    layout.sectionTable = layout.optionalOffset + layout.optionalSize;
    if (!fits(layout.sectionTable, sectionCount * sectionHeaderSize, size))
        return peDamagedHeaders;
    for (size_t i = 0; i < sectionCount; ++i) {
        const uint8_t* header = file + layout.sectionTable + i * sectionHeaderSize;
        Section section;
        section.headerOffset = layout.sectionTable + i * sectionHeaderSize;
        section.virtualSize = get32(header + secVirtualSize);
        section.virtualAddress = get32(header + secVirtualAddress);
        section.rawSize = get32(header + secRawSize);
        section.rawPointer = get32(header + secRawPointer);
        section.characteristics = get32(header + secCharacteristics);
        if (section.rawSize != 0 && !fits(section.rawPointer, section.rawSize, size))
            return peDamagedHeaders;
        layout.sections.push_back(section);
    }
    if (layout.directoryCount > resourceDirectory) {
        const uint8_t* entry = file + layout.directories + resourceDirectory * 8;
        layout.resourceRva = get32(entry);
        layout.resourceSize = get32(entry + 4);
    }
    return peOk;
}

// The file bytes of length bytes at rva, when they are stored in a section.
const uint8_t* atRva(const uint8_t* file, const Layout& layout, uint32_t rva, size_t length) {
    for (const Section& section : layout.sections) {
        if (rva < section.virtualAddress)
            continue;
        size_t into = rva - section.virtualAddress;
        if (fits(into, length, section.rawSize))
            return file + section.rawPointer + into;
    }
    return nullptr;
}

// Reads the resource tree: a resource directory, then per entry a name and
// either a subdirectory or, on the third level, a data entry.
struct TreeReader {
    const uint8_t* file;
    size_t fileSize;
    const Layout& layout;
    const uint8_t* tree; // the resource directory's bytes
    size_t treeSize;
    size_t totalBytes = 0;
    size_t entriesVisited = 0;
    std::vector<PeResource>& out;

    bool readName(uint32_t field, PeName& name) const {
        if (!(field & highBit)) {
            if (field > 0xFFFF)
                return false;
            name.number = static_cast<uint16_t>(field);
            name.text.clear();
            return true;
        }
        size_t offset = field & ~highBit;
        if (!fits(offset, 2, treeSize))
            return false;
        size_t length = get16(tree + offset);
        if (length == 0 || !fits(offset + 2, length * 2, treeSize))
            return false;
        name.number = 0;
        name.text.resize(length);
        for (size_t i = 0; i < length; ++i)
            name.text[i] = static_cast<char16_t>(get16(tree + offset + 2 + 2 * i));
        return true;
    }

    bool readDirectory(size_t offset, int level, PeResource& current) {
        if (!fits(offset, directoryHeaderSize, treeSize))
            return false;
        const uint8_t* header = tree + offset;
        size_t count = static_cast<size_t>(get16(header + 12)) + get16(header + 14);
        if (!fits(offset + directoryHeaderSize, count * directoryEntrySize, treeSize))
            return false;
        for (size_t i = 0; i < count; ++i) {
            // Directories shared between entries could make the walk
            // itself endless in all but name, even with few resources.
            if (++entriesVisited > maxVisitedEntries)
                return false;
            const uint8_t* entry = tree + offset + directoryHeaderSize + i * directoryEntrySize;
            uint32_t nameField = get32(entry);
            uint32_t target = get32(entry + 4);
            const bool isDirectory = (target & highBit) != 0;
            if (isDirectory != (level < 2))
                return false;
            if (level == 0) {
                if (!readName(nameField, current.type))
                    return false;
            } else if (level == 1) {
                if (!readName(nameField, current.name))
                    return false;
            } else {
                if (nameField > 0xFFFF)
                    return false;
                current.language = static_cast<uint16_t>(nameField);
            }
            if (isDirectory) {
                // Subdirectories lie after their parent, so no chain of
                // them can come back round to a directory already open.
                size_t child = target & ~highBit;
                if (child <= offset || !readDirectory(child, level + 1, current))
                    return false;
                continue;
            }
            if (!fits(target, dataEntrySize, treeSize) || out.size() >= maxResources)
                return false;
            const uint8_t* data = tree + target;
            uint32_t rva = get32(data);
            uint32_t length = get32(data + 4);
            current.codePage = get32(data + 8);
            if (length > fileSize - totalBytes)
                return false;
            const uint8_t* bytes = atRva(file, layout, rva, length);
            if (!bytes)
                return false;
            totalBytes += length;
            current.bytes.assign(bytes, bytes + length);
            out.push_back(current);
        }
        return true;
    }
};

int readResources(const uint8_t* file, size_t size, const Layout& layout,
                  std::vector<PeResource>& resources) {
    resources.clear();
    if (layout.resourceRva == 0 && layout.resourceSize == 0)
        return peOk;
    // The tree's offsets count from its start, to the end of its section.
    for (const Section& section : layout.sections) {
        if (layout.resourceRva < section.virtualAddress)
            continue;
        size_t into = layout.resourceRva - section.virtualAddress;
        if (into >= section.rawSize)
            continue;
        TreeReader reader{
            file, size, layout,   file + section.rawPointer + into, section.rawSize - into,
            0,    0,    resources};
        PeResource current;
        if (!reader.readDirectory(0, 0, current)) {
            resources.clear();
            return peDamagedResources;
        }
        return peOk;
    }
    return peDamagedResources;
}

// Names come before numbers, each in ascending order (names by their
// UTF-16 code units), as lookups in the tree expect.
bool nameBefore(const PeName& a, const PeName& b) {
    if (a.text.empty() != b.text.empty())
        return !a.text.empty();
    if (!a.text.empty())
        return a.text < b.text;
    return a.number < b.number;
}

bool sameName(const PeName& a, const PeName& b) {
    return a.text == b.text && (!a.text.empty() || a.number == b.number);
}

// The resource section's bytes for a section at rva: every directory
// table, then the data entries, the name strings, and the data, each
// resource's bytes aligned to 8.
int buildTree(std::vector<PeResource> resources, uint32_t rva, std::vector<uint8_t>& tree) {
    std::stable_sort(resources.begin(), resources.end(),
                     [](const PeResource& a, const PeResource& b) {
                         if (!sameName(a.type, b.type))
                             return nameBefore(a.type, b.type);
                         if (!sameName(a.name, b.name))
                             return nameBefore(a.name, b.name);
                         return a.language < b.language;
                     });
    for (size_t i = 1; i < resources.size(); ++i) {
        const PeResource& a = resources[i - 1];
        const PeResource& b = resources[i];
        if (sameName(a.type, b.type) && sameName(a.name, b.name) && a.language == b.language)
            return peDuplicateResource;
    }

    // Group boundaries: [typeStart[t], typeStart[t+1]) share a type; the
    // same for names inside a type.
    std::vector<size_t> typeStarts;
    std::vector<size_t> nameStarts;
    for (size_t i = 0; i < resources.size(); ++i) {
        if (i == 0 || !sameName(resources[i].type, resources[i - 1].type)) {
            typeStarts.push_back(i);
            nameStarts.push_back(i);
        } else if (!sameName(resources[i].name, resources[i - 1].name)) {
            nameStarts.push_back(i);
        }
    }
    typeStarts.push_back(resources.size());
    nameStarts.push_back(resources.size());
    const size_t types = typeStarts.size() - 1;
    const size_t names = nameStarts.size() - 1;

    // Sizes first, in 64 bits, so that nothing is allocated for a tree the
    // format cannot address.
    uint64_t directoriesSize = directoryHeaderSize * (1 + types + names) +
                               directoryEntrySize * (types + names + resources.size());
    uint64_t dataEntries = directoriesSize;
    uint64_t stringsAt = dataEntries + dataEntrySize * resources.size();
    uint64_t stringsSize = 0;
    for (size_t t = 0; t < types; ++t)
        stringsSize += 2 + 2 * resources[typeStarts[t]].type.text.size();
    for (size_t n = 0; n < names; ++n)
        stringsSize += 2 + 2 * resources[nameStarts[n]].name.text.size();
    uint64_t total = alignUp(stringsAt + stringsSize, 8);
    for (const PeResource& resource : resources)
        total = alignUp(total + resource.bytes.size(), 8);
    if (total + rva > std::numeric_limits<uint32_t>::max() / 2)
        return peTooLarge;
    tree.assign(static_cast<size_t>(total), 0);

    size_t nextDirectory = 0;
    size_t nextString = static_cast<size_t>(stringsAt);
    size_t nextData = static_cast<size_t>(alignUp(stringsAt + stringsSize, 8));
    auto writeHeader = [&](size_t named, size_t numbered) {
        size_t at = nextDirectory;
        put16(&tree[at + 12], static_cast<uint32_t>(named));
        put16(&tree[at + 14], static_cast<uint32_t>(numbered));
        nextDirectory += directoryHeaderSize + directoryEntrySize * (named + numbered);
        return at;
    };
    auto nameField = [&](const PeName& name) -> uint32_t {
        if (name.text.empty())
            return name.number;
        size_t at = nextString;
        put16(&tree[at], static_cast<uint32_t>(name.text.size()));
        for (size_t i = 0; i < name.text.size(); ++i)
            put16(&tree[at + 2 + 2 * i], name.text[i]);
        nextString += 2 + 2 * name.text.size();
        return static_cast<uint32_t>(at) | highBit;
    };
    auto countNamed = [](size_t count, auto&& isNamed) {
        size_t named = 0;
        for (size_t i = 0; i < count; ++i)
            named += isNamed(i) ? 1 : 0;
        return named;
    };

    size_t namedTypes =
        countNamed(types, [&](size_t t) { return !resources[typeStarts[t]].type.text.empty(); });
    size_t root = writeHeader(namedTypes, types - namedTypes);
    size_t nameGroup = 0;
    size_t resourceIndex = 0;
    for (size_t t = 0; t < types; ++t) {
        size_t firstName = nameGroup;
        size_t lastName = firstName;
        while (lastName < names && nameStarts[lastName] < typeStarts[t + 1])
            ++lastName;
        size_t namedNames = countNamed(lastName - firstName, [&](size_t k) {
            return !resources[nameStarts[firstName + k]].name.text.empty();
        });
        size_t typeDirectory = writeHeader(namedNames, lastName - firstName - namedNames);
        uint8_t* rootEntry = &tree[root + directoryHeaderSize + t * directoryEntrySize];
        put32(rootEntry, nameField(resources[typeStarts[t]].type));
        put32(rootEntry + 4, static_cast<uint32_t>(typeDirectory) | highBit);
        for (size_t n = firstName; n < lastName; ++n) {
            size_t languages = nameStarts[n + 1] - nameStarts[n];
            size_t languageDirectory = writeHeader(0, languages);
            uint8_t* typeEntry =
                &tree[typeDirectory + directoryHeaderSize + (n - firstName) * directoryEntrySize];
            put32(typeEntry, nameField(resources[nameStarts[n]].name));
            put32(typeEntry + 4, static_cast<uint32_t>(languageDirectory) | highBit);
            for (size_t l = 0; l < languages; ++l, ++resourceIndex) {
                const PeResource& resource = resources[resourceIndex];
                size_t entryAt = static_cast<size_t>(dataEntries) + resourceIndex * dataEntrySize;
                uint8_t* languageEntry =
                    &tree[languageDirectory + directoryHeaderSize + l * directoryEntrySize];
                put32(languageEntry, resource.language);
                put32(languageEntry + 4, static_cast<uint32_t>(entryAt));
                put32(&tree[entryAt], rva + static_cast<uint32_t>(nextData));
                put32(&tree[entryAt + 4], static_cast<uint32_t>(resource.bytes.size()));
                put32(&tree[entryAt + 8], resource.codePage);
                if (!resource.bytes.empty())
                    std::memcpy(&tree[nextData], resource.bytes.data(), resource.bytes.size());
                nextData = static_cast<size_t>(alignUp(nextData + resource.bytes.size(), 8));
            }
        }
        nameGroup = lastName;
    }
    return peOk;
}

// The optional header's checksum: the file summed as 16-bit words with the
// carries folded back in, the checksum field itself counted as zero, plus
// the file's length.
uint32_t fileChecksum(const std::vector<uint8_t>& file, size_t checksumAt) {
    uint64_t sum = 0;
    for (size_t i = 0; i < file.size(); i += 2) {
        if (i >= checksumAt && i < checksumAt + 4)
            continue;
        uint32_t word = file[i];
        if (i + 1 < file.size())
            word |= static_cast<uint32_t>(file[i + 1]) << 8;
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint32_t>(sum + file.size());
}

} // namespace

int readPeResources(const uint8_t* file, size_t size, std::vector<PeResource>& resources) {
    resources.clear();
    Layout layout;
    int result = readLayout(file, size, layout);
    if (result != peOk)
        return result;
    return readResources(file, size, layout, resources);
}

int writePeResources(const uint8_t* file, size_t size, const std::vector<PeResource>& resources,
                     std::vector<uint8_t>& output) {
    output.clear();
    Layout layout;
    int result = readLayout(file, size, layout);
    if (result != peOk)
        return result;
    if (layout.directoryCount <= resourceDirectory)
        return peDamagedHeaders;
    if (layout.directoryCount > certificateDirectory &&
        get32(file + layout.directories + certificateDirectory * 8 + 4) != 0)
        return peSigned;
    // The old tree must read, so that a damaged one is not silently dropped.
    std::vector<PeResource> old;
    result = readResources(file, size, layout, old);
    if (result != peOk)
        return result;
    if (layout.sections.empty())
        return peDamagedHeaders;

    // The last section in memory and in the file.
    size_t last = 0;
    uint64_t imageEnd = 0;
    uint64_t rawEnd = layout.sizeOfHeaders;
    for (size_t i = 0; i < layout.sections.size(); ++i) {
        const Section& section = layout.sections[i];
        uint64_t end = static_cast<uint64_t>(section.virtualAddress) +
                       std::max(section.virtualSize, section.rawSize);
        if (end >= imageEnd) {
            imageEnd = end;
            last = i;
        }
        if (section.rawSize != 0)
            rawEnd = std::max<uint64_t>(rawEnd, uint64_t{section.rawPointer} + section.rawSize);
    }
    if (rawEnd > size)
        return peDamagedHeaders;
    const Section& lastSection = layout.sections[last];
    const bool replaceLast = layout.resourceRva != 0 &&
                             layout.resourceRva == lastSection.virtualAddress &&
                             (lastSection.rawSize == 0 ||
                              uint64_t{lastSection.rawPointer} + lastSection.rawSize == rawEnd);

    Section target;
    if (replaceLast) {
        target = lastSection;
        if (target.rawSize == 0)
            target.rawPointer = static_cast<uint32_t>(alignUp(rawEnd, layout.fileAlignment));
    } else {
        // A new section header goes after the table, in zeros that the
        // headers' size already covers and that no section's data uses.
        target.headerOffset = layout.sectionTable + layout.sections.size() * sectionHeaderSize;
        uint64_t firstData = layout.sizeOfHeaders;
        for (const Section& section : layout.sections) {
            if (section.rawSize != 0)
                firstData = std::min<uint64_t>(firstData, section.rawPointer);
        }
        if (target.headerOffset + sectionHeaderSize > firstData || layout.sections.size() >= 0xFFFF)
            return peNoRoomForSection;
        for (size_t i = 0; i < sectionHeaderSize; ++i) {
            if (file[target.headerOffset + i] != 0)
                return peNoRoomForSection;
        }
        uint64_t address = alignUp(imageEnd, layout.sectionAlignment);
        uint64_t pointer = alignUp(rawEnd, layout.fileAlignment);
        if (address > 0xFFFFFFFFu || pointer > 0xFFFFFFFFu)
            return peTooLarge;
        target.virtualAddress = static_cast<uint32_t>(address);
        target.rawPointer = static_cast<uint32_t>(pointer);
        target.characteristics = sectionInitializedData | sectionRead;
        for (const Section& section : layout.sections) {
            if (section.virtualAddress == layout.resourceRva && layout.resourceRva != 0)
                target.characteristics = section.characteristics;
        }
    }

    std::vector<uint8_t> tree;
    result = buildTree(resources, target.virtualAddress, tree);
    if (result != peOk)
        return result;
    uint64_t rawSize = alignUp(tree.size(), layout.fileAlignment);
    uint64_t newImageEnd =
        alignUp(uint64_t{target.virtualAddress} + std::max<uint64_t>(tree.size(), 1),
                layout.sectionAlignment);
    if (uint64_t{target.rawPointer} + rawSize > 0xFFFFFFFFu || newImageEnd > 0xFFFFFFFFu)
        return peTooLarge;

    // The file up to the new section, the section, then whatever followed
    // the old last section's data.
    const size_t keep = replaceLast && lastSection.rawSize != 0 ? lastSection.rawPointer
                                                                : static_cast<size_t>(rawEnd);
    output.assign(file, file + keep);
    output.resize(target.rawPointer, 0);
    output.insert(output.end(), tree.begin(), tree.end());
    output.resize(static_cast<size_t>(target.rawPointer + rawSize), 0);
    output.insert(output.end(), file + rawEnd, file + size);

    uint8_t* header = output.data() + target.headerOffset;
    if (!replaceLast) {
        std::memcpy(header, ".rsrc\0\0\0", 8);
        // Tools that find the resources by the section's name rather than
        // by the data directory must not find the old ones.
        for (const Section& section : layout.sections) {
            uint8_t* name = output.data() + section.headerOffset;
            if (std::memcmp(name, ".rsrc\0\0\0", 8) == 0)
                std::memcpy(name, ".oldrsrc", 8);
        }
    }
    put32(header + secVirtualSize, static_cast<uint32_t>(tree.size()));
    put32(header + secVirtualAddress, target.virtualAddress);
    put32(header + secRawSize, static_cast<uint32_t>(rawSize));
    put32(header + secRawPointer, target.rawPointer);
    put32(header + secCharacteristics, target.characteristics);
    if (!replaceLast)
        put16(output.data() + layout.peOffset + 4 + coffSectionCount,
              static_cast<uint32_t>(layout.sections.size() + 1));

    uint8_t* opt = output.data() + layout.optionalOffset;
    uint8_t* directory = output.data() + layout.directories + resourceDirectory * 8;
    put32(directory, target.virtualAddress);
    put32(directory + 4, static_cast<uint32_t>(tree.size()));
    uint64_t initialized = 0;
    uint64_t image = newImageEnd;
    for (size_t i = 0; i < layout.sections.size() + (replaceLast ? 0 : 1); ++i) {
        const uint8_t* section = output.data() + layout.sectionTable + i * sectionHeaderSize;
        if (get32(section + secCharacteristics) & sectionInitializedData)
            initialized += get32(section + secRawSize);
        uint64_t end = uint64_t{get32(section + secVirtualAddress)} +
                       std::max(get32(section + secVirtualSize), get32(section + secRawSize));
        image = std::max(image, alignUp(end, layout.sectionAlignment));
    }
    if (image > 0xFFFFFFFFu) {
        output.clear();
        return peTooLarge;
    }
    put32(opt + optInitializedData,
          static_cast<uint32_t>(std::min<uint64_t>(initialized, 0xFFFFFFFFu)));
    put32(opt + optSizeOfImage, static_cast<uint32_t>(image));
    put32(opt + optCheckSum, 0);
    put32(opt + optCheckSum, fileChecksum(output, layout.optionalOffset + optCheckSum));
    return peOk;
}

void mergePeResources(std::vector<PeResource>& resources, std::vector<PeResource> added) {
    for (const PeResource& resource : added) {
        std::erase_if(resources, [&](const PeResource& old) {
            return sameName(old.type, resource.type) && sameName(old.name, resource.name);
        });
    }
    for (PeResource& resource : added)
        resources.push_back(std::move(resource));
}

PeName peTypeOf(const std::string& typeText) {
    PeName type;
    if (typeText.size() > 1 && typeText.size() <= 6 && typeText[0] == '#' &&
        std::all_of(typeText.begin() + 1, typeText.end(),
                    [](char c) { return c >= '0' && c <= '9'; })) {
        unsigned long number = std::strtoul(typeText.c_str() + 1, nullptr, 10);
        if (number <= 0xFFFF) {
            type.number = static_cast<uint16_t>(number);
            return type;
        }
    }
    for (char c : typeText)
        type.text.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    return type;
}

std::string peTypeText(const PeName& type) {
    if (type.text.empty())
        return "#" + std::to_string(type.number);
    std::string text;
    for (char16_t c : type.text) {
        if (c < 0x21 || c > 0x7E || c == '#')
            return {};
        text.push_back(static_cast<char>(c));
    }
    return text.size() <= 32 ? text : std::string();
}

int findPeLinkBlock(const uint8_t* file, size_t size, size_t& offset) {
    // The search itself sends Windows programs here; past the first two
    // bytes it is the same search as for any player.
    if (size < 2)
        return linkBlockMissing;
    int result = findLinkBlock(file + 2, size - 2, offset);
    if (result == linkBlockFound)
        offset += 2;
    return result;
}

const char* peResultText(int result) {
    switch (result) {
    case peOk: return "resources read";
    case peNotExecutable: return "not a Windows executable";
    case peDamagedHeaders: return "damaged executable: headers or sections out of range";
    case peDamagedResources: return "damaged executable: resources out of range";
    case peNoRoomForSection: return "no room in the executable's headers for another section";
    case peTooLarge: return "the resources make the executable too large";
    case peSigned: return "a signed executable: its signature would no longer hold";
    case peDuplicateResource: return "the same resource type, name and language twice";
    default: return "executable cannot be read";
    }
}
