// Resources of the running program: the content packages, pictures and
// clips, found by type name and numeric identifier.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Type names: "PATCH" (content packages), "IMG" (pictures and clips), and
// the numeric type of raw data written in the platform's "#number" form.
constexpr const char* resourceTypeRcData = "#10";

struct ResourceBytes {
    const uint8_t* data = nullptr;
    size_t size = 0; // 0 when the resource is absent
};

// The bytes stay valid until the table is changed or the program ends.
ResourceBytes findResource(const char* type, int id);

// Whether the program lists the resource at all, even without any bytes to
// give: such a resource is a damaged one rather than a missing one.
bool resourceExists(const char* type, int id);

// Resources are read-only and live as long as the program: releasing one is
// a formality kept for symmetry with the platform's own interface.
void releaseResource(ResourceBytes resource);

// Replaces one resource of the table (tests, and the tool's load command).
void installResource(const char* type, int id, std::vector<uint8_t> bytes);
void clearResources();
