#include "platform/resources.h"

#include <cstring>
#include <map>
#include <string>
#include <utility>

namespace {

using ResourceKey = std::pair<std::string, int>;

std::map<ResourceKey, std::vector<uint8_t>>& resourceTable() {
    static std::map<ResourceKey, std::vector<uint8_t>> table;
    return table;
}

} // namespace

ResourceBytes findResource(const char* type, int id) {
    auto& table = resourceTable();
    auto found = table.find({type, id});
    if (found == table.end() || found->second.empty())
        return {};
    return {found->second.data(), found->second.size()};
}

void releaseResource(ResourceBytes) {}

void installResource(const char* type, int id, std::vector<uint8_t> bytes) {
    resourceTable()[{type, id}] = std::move(bytes);
}

void clearResources() { resourceTable().clear(); }
