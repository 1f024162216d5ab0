#pragma once
// Palette building (median cut refined by a few k-means rounds) and mapping of colours
// to the palette, plain on smooth areas and with a light ordered dither where a colour
// falls between palette entries.
#include "tools/encoders/rgb.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace enc {

struct WeightedColour {
    Rgb colour;
    std::uint32_t count = 0;
};

// Distinct colours with their counts, in ascending order of their packed value.
std::vector<WeightedColour> histogram(const std::vector<Rgb>& pixels);

// At most `colours` entries; fewer when the input has fewer distinct colours.
std::vector<Rgb> buildPalette(const std::vector<WeightedColour>& histogram, int colours);

class PaletteMapper {
public:
    // Only the entries whose flag is set in `usable` are chosen.
    PaletteMapper(std::vector<Rgb> palette, std::vector<bool> usable);
    std::uint8_t nearest(Rgb c);
    // Ordered dither keyed to the screen position, so that an unchanged pixel maps to the
    // same entry in every frame.
    std::uint8_t map(Rgb c, int x, int y);

private:
    std::vector<Rgb> palette_;
    std::vector<bool> usable_;
    std::unordered_map<std::uint32_t, std::uint8_t> cache_;
};

// Weighted squared distance used for both building and mapping.
int colourDistance(Rgb a, Rgb b);

} // namespace enc
