#pragma once
// The reference libraries, doing the same job as our decoders on the same bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace bench {

// libpng 1.6: the whole image into 8-bit BGRA rows (expanded, with alpha), no
// premultiplication. Returns width * height, or 0 on error.
std::size_t LibpngDecodeBgra(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out);

// giflib 5: DGifSlurp of the whole file, which decodes every image's LZW data into
// colour indices. giflib has no compositing. Returns the number of images, or 0 on error.
int GiflibSlurp(const std::uint8_t* data, std::size_t size);

} // namespace bench
