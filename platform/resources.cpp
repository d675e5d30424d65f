#include "platform/resources.h"

#include <cstring>
#include <map>
#include <string>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using ResourceKey = std::pair<std::string, int>;

std::map<ResourceKey, std::vector<uint8_t>>& resourceTable() {
    static std::map<ResourceKey, std::vector<uint8_t>> table;
    return table;
}

#ifdef _WIN32

// A type written "#number" is the numeric type of that number, as the
// platform reads type names; any other text is a type name.
LPCSTR platformTypeName(const char* type) {
    if (type[0] != '#' || type[1] == '\0')
        return type;
    unsigned value = 0;
    for (const char* digit = type + 1; *digit != '\0'; ++digit) {
        if (*digit < '0' || *digit > '9' || value > 0xFFFF)
            return type;
        value = value * 10 + static_cast<unsigned>(*digit - '0');
    }
    return value <= 0xFFFF ? MAKEINTRESOURCEA(value) : type;
}

// The resources in the program file itself. Loaded resources are part of
// the mapped program image and stay valid as long as the program runs.
ResourceBytes programResource(const char* type, int id) {
    if (id <= 0 || id > 0xFFFF)
        return {};
    HMODULE program = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(id), platformTypeName(type));
    if (found == nullptr)
        return {};
    DWORD size = SizeofResource(program, found);
    HGLOBAL loaded = LoadResource(program, found);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr || size == 0)
        return {};
    return {static_cast<const uint8_t*>(data), size};
}

#endif

} // namespace

// Installed resources come first: tests and the tool put theirs in the
// table, and on Windows the program's own file holds the rest.
ResourceBytes findResource(const char* type, int id) {
    auto& table = resourceTable();
    auto found = table.find({type, id});
    if (found != table.end()) {
        if (found->second.empty())
            return {};
        return {found->second.data(), found->second.size()};
    }
#ifdef _WIN32
    return programResource(type, id);
#else
    return {};
#endif
}

bool resourceExists(const char* type, int id) {
    if (resourceTable().count({type, id}) != 0)
        return true;
#ifdef _WIN32
    return id > 0 && id <= 0xFFFF &&
           FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), platformTypeName(type)) !=
               nullptr;
#else
    return false;
#endif
}

void releaseResource(ResourceBytes) {}

void installResource(const char* type, int id, std::vector<uint8_t> bytes) {
    resourceTable()[{type, id}] = std::move(bytes);
}

void clearResources() {
    resourceTable().clear();
}
