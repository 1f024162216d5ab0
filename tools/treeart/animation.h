#pragma once
// Turns the rendered frames of a masked tree into its GIF and its mask: the silhouette
// becomes a hard 1-bit outline finished with a dark rim, the frames share one palette,
// and every frame after the first is cut down to the rectangle that changes.
#include "tools/encoders/byte_writer.h"
#include "tools/encoders/rgb.h"
#include "tools/treeart/render.h"

#include <string>
#include <vector>

namespace art {

struct AnimationLayout {
    int frames = 1;
    int delay = 10;
    std::vector<int> disposal;  // one per frame
    bool transparency = false;  // index 255, black, in every frame
    bool globalTable = true;    // otherwise every frame carries the table as its own
    int backgroundIndex = 0;
    enc::Rgb backgroundColour;  // fixed entry at backgroundIndex
    bool groundOpaque = true;   // outside the mask: backgroundColour; otherwise transparent
    bool lastFrameWhole = false;
    std::string comment;
};

struct Animation {
    int width = 0, height = 0;
    std::vector<bool> inside;                   // the mask: true inside the tree
    std::vector<std::vector<enc::Rgb>> frames;  // finished colours, what the GIF should show
    enc::Bytes gif;
    enc::Bytes bmp;
};

// Inside the mask: coverage of at least one half. Pixels along the outline are darkened
// toward a rim of their own colour.
std::vector<bool> maskFromCoverage(const Raster& still);
std::vector<enc::Rgb> finishFrame(const Raster& frame, const std::vector<bool>& inside, enc::Rgb ground,
                                  double rimStrength = 1.0);

Animation buildAnimation(const AnimationLayout& layout, int width, int height, std::vector<bool> inside,
                         std::vector<std::vector<enc::Rgb>> frames);

} // namespace art
