#include "tools/treeart/render.h"

#include <algorithm>

namespace art {

void renderPixel(const Scene& scene, int x, int y, const FrameState* fs, Raster& into, int grid)
{
    Col sum;
    int hits = 0;
    for (int j = 0; j < grid; ++j)
        for (int i = 0; i < grid; ++i) {
            double sx = x + (i + 0.5) / grid, sy = y + (j + 0.5) / grid;
            Col c;
            if (scene.shade(sx, sy, fs, c)) {
                sum = sum + c;
                ++hits;
            }
        }
    std::size_t k = into.index(x, y);
    into.coverage[k] = double(hits) / (grid * grid);
    into.colour[k] = hits ? sum * (1.0 / hits) : Col{};
}

Raster renderAll(const Scene& scene, const FrameState* fs)
{
    Raster r(scene.width, scene.height);
    for (int y = 0; y < scene.height; ++y)
        for (int x = 0; x < scene.width; ++x) renderPixel(scene, x, y, fs, r);
    return r;
}

void refineEdges(const Scene& scene, const FrameState* fs, Raster& r, int grid)
{
    const Raster coarse = r;
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) {
            // A pixel next to a partly covered one may hide a sliver the coarse grid missed.
            bool edge = false;
            for (int dy = -1; dy <= 1 && !edge; ++dy)
                for (int dx = -1; dx <= 1 && !edge; ++dx) {
                    int xx = x + dx, yy = y + dy;
                    if (xx < 0 || yy < 0 || xx >= r.width || yy >= r.height) continue;
                    double c = coarse.coverage[coarse.index(xx, yy)];
                    edge = (c > 0 && c < 1) || (c != coarse.coverage[coarse.index(x, y)]);
                }
            if (edge) renderPixel(scene, x, y, fs, r, grid);
        }
}

Raster renderFrame(const Scene& scene, const Raster& still, const FrameState& fs)
{
    Raster r = still;
    std::vector<Box> boxes;
    scene.dynamicBoxes(fs, boxes);
    std::vector<bool> done(std::size_t(scene.width) * scene.height, false);
    for (const Box& b : boxes) {
        int x0 = std::max(b.x0, 0), y0 = std::max(b.y0, 0);
        int x1 = std::min(b.x1, scene.width), y1 = std::min(b.y1, scene.height);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                std::size_t k = r.index(x, y);
                if (done[k] || still.coverage[k] == 0) continue;
                done[k] = true;
                renderPixel(scene, x, y, &fs, r);
            }
    }
    return r;
}

} // namespace art
