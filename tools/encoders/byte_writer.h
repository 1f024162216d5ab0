#pragma once
// Little helpers to append integers and text to a byte vector.
#include <cstdint>
#include <string_view>
#include <vector>

namespace enc {

using Bytes = std::vector<std::uint8_t>;

void putU8(Bytes& out, unsigned v);
void putLe16(Bytes& out, unsigned v);
void putLe32(Bytes& out, std::uint32_t v);
void putBe32(Bytes& out, std::uint32_t v);
void putText(Bytes& out, std::string_view text);

} // namespace enc
