#pragma once
// Variable-length-code LZW decoding as GIF uses it (GIF89a, appendix F).
#include <cstddef>
#include <cstdint>

namespace plat {

struct GifLzwResult {
    std::size_t written = 0; // indices stored into the output
    bool endCodeSeen = false;
};

// Decodes the concatenated sub-block payload `data` into at most `capacity` indices.
// Codes past the end of the output are ignored; data that runs out early leaves
// the rest unwritten. Throws plat::Error on a code that is not in the table.
GifLzwResult DecodeGifLzw(int minCodeSize, const std::uint8_t* data, std::size_t size,
                          std::uint8_t* out, std::size_t capacity);

} // namespace plat
