#pragma once
// GIF flavour of LZW: variable code width from minCodeSize + 1 up to 12 bits, a clear
// code at the start and whenever the table is full, codes packed least significant bit first.
#include "tools/encoders/byte_writer.h"

namespace enc {

// Returns the packed code stream (without the sub-block framing).
Bytes lzwEncode(const std::uint8_t* indices, std::size_t count, int minCodeSize);

// Inverse of lzwEncode, used by the generator's own checks. Throws on a malformed stream.
Bytes lzwDecode(const std::uint8_t* codes, std::size_t size, int minCodeSize, std::size_t expected);

} // namespace enc
