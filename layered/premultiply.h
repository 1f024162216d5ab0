#pragma once
// Pixel preparation of the layered tree: BGRA rows, four bytes per pixel.
#include <cstdint>

namespace layered {

// Each of blue, green and red becomes c * a / 255 with the remainder dropped
// (no rounding), so no colour exceeds its pixel's alpha; alpha is unchanged.
void PremultiplyAlphaRow(std::uint8_t* bgra, int width);

// Byte 3 of each of `width` pixels is set from alpha[x]; colours are not touched.
void CopyAlphaRow(std::uint8_t* bgra, const std::uint8_t* alpha, int width);

} // namespace layered
