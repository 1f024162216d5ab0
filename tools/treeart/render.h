#pragma once
// Supersampled rendering of a scene: 4 x 4 sub-samples per pixel reduced with a box
// filter. A pixel's colour is the mean over the sub-samples a surface covers; its
// coverage is the share of covered sub-samples.
#include "tools/treeart/scene.h"

#include <vector>

namespace art {

struct Raster {
    int width = 0, height = 0;
    std::vector<Col> colour;
    std::vector<double> coverage;
    Raster() = default;
    Raster(int w, int h) : width(w), height(h), colour(std::size_t(w) * h), coverage(std::size_t(w) * h, 0.0) {}
    std::size_t index(int x, int y) const { return std::size_t(y) * std::size_t(width) + std::size_t(x); }
};

constexpr int kSuper = 4;

void renderPixel(const Scene& scene, int x, int y, const FrameState* fs, Raster& into, int grid = kSuper);
// Redraws the partly covered pixels with a finer grid, for pictures whose alpha is their edge.
void refineEdges(const Scene& scene, const FrameState* fs, Raster& r, int grid);
Raster renderAll(const Scene& scene, const FrameState* fs);
// Starts from the still picture and redraws only what the frame's dynamic elements touch.
Raster renderFrame(const Scene& scene, const Raster& still, const FrameState& fs);

} // namespace art
