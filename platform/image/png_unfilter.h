#pragma once
// Reversal of the five PNG scanline filters, in place.
#include <cstddef>
#include <cstdint>

namespace plat::png {

// Undoes filter `type` on `row` (rowBytes bytes, without the filter byte).
// `prev` is the previous unfiltered scanline of the same pass, all zeros for
// the first one. `bpp` is the number of bytes per complete pixel, at least 1.
// Returns false for a filter type other than 0 to 4.
bool UnfilterRow(std::uint8_t type, std::uint8_t* row, const std::uint8_t* prev,
                 std::size_t rowBytes, unsigned bpp);

} // namespace plat::png
