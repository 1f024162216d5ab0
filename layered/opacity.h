#pragma once
// The constant alpha of the whole layer for each opacity level of the Transparent menu.
#include <cstdint>

namespace layered {

inline constexpr int kOpacityLevels = 10;

// Level 0 ("0%") is fully opaque; each level takes 22 off, down to 57 at level 9. The
// captions' percentages are labels, not the alpha.
constexpr std::uint8_t LayerAlphaForLevel(int level) { return std::uint8_t(255 - 22 * level); }

} // namespace layered
