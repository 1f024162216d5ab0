#pragma once
// Reader of the resource section of a Windows PE executable (32- or 64-bit), for
// checking what the build embedded. Every offset is checked against the file.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace peinfo {

struct ResourceKey {
    uint32_t id = 0;     // when name is empty
    std::string name;    // a named entry, upper-case as resource compilers store it
    bool operator==(const ResourceKey&) const = default;
};

struct Resource {
    ResourceKey type;
    ResourceKey name;
    uint16_t language = 0;
    std::vector<uint8_t> data;
};

// Standard resource type numbers.
enum : uint32_t { kIcon = 3, kRcData = 10, kGroupIcon = 14, kVersion = 16 };

// Throws std::runtime_error when the file is not a PE image or its resources are broken.
std::vector<Resource> ReadResources(const std::vector<uint8_t>& file);

// The key as text: "#10" for numbers, the name otherwise.
std::string ToString(const ResourceKey& key);

} // namespace peinfo
