#pragma once
// A tree scene described by shapes in picture coordinates (pixels, y down). `shade`
// answers for one sub-sample whether a surface covers it and in which colour; the
// renderer supersamples it. Everything that changes over the loop is a dynamic element
// (lights, flakes, the star's pulse); the rest is drawn once.
#include "tools/treeart/colour.h"

#include <cstdint>
#include <vector>

namespace art {

struct Box {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0; // half-open pixel rectangle
    bool empty() const { return x1 <= x0 || y1 <= y0; }
};

struct Tier {
    double top = 0;          // apex height of the cone the tier is cut from
    double base = 0;         // height of the lower edge at the trunk axis
    double halfWidth = 0;    // half width at the lower edge
    double droop = 0;        // how far the outer tips hang below the base
    double scallopDepth = 0; // depth of the scallops of the lower edge
    int scallops = 5;
    std::uint32_t seed = 1;
};

struct Bauble {
    double x = 0, y = 0, r = 0;
    Col colour;
};

enum class LightMode { Steady, Twinkle, Blink, Chase };

struct Light {
    double x = 0, y = 0, r = 1.6;
    Col colour;
    double phase = 0; // 0..1
    int speed = 1;    // whole cycles per loop, so the loop closes without a seam
    double steady = 1; // brightness for a still picture
};

struct Flake {
    double x = 0, yTop = 0, yBottom = 0, r = 1, phase = 0, sway = 1;
};

struct Present {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0; // front face
    double lid = 4;                        // height of the visible top face
    Col box, ribbon;
};

struct Snowman {
    double x = 0, groundY = 0;
    double r0 = 20, r1 = 15, r2 = 11;
};

struct Pot {
    double y0 = 0, y1 = 0, topHalf = 0, bottomHalf = 0;
    Col body, band;
};

struct Star {
    double x = 0, y = 0, outer = 10, inner = 4.2, round = 1.0;
    bool pulses = false;
};

struct FrameState {
    double t = 0; // position in the loop, frame / frame count
    struct FlakeAt {
        double x, y, alpha;
    };
    std::vector<FlakeAt> flakes; // where each flake is in this frame
};

class Scene {
public:
    int width = 0, height = 0;
    double cx = 0;
    std::vector<Tier> tiers; // top to bottom
    double trunkHalf = 5, trunkTop = 0, trunkBottom = 0;
    bool hasPot = false;
    Pot pot;
    Star star;
    std::vector<Bauble> baubles;
    std::vector<Bauble> beads; // garland beads (colour unused, gold)
    std::vector<Light> lights;
    LightMode lightMode = LightMode::Steady;
    double haloRadius = 5;
    std::vector<Flake> flakes;
    std::vector<Present> presents;
    bool hasSnowman = false;
    Snowman snowman;
    bool hasDrift = false;
    double driftX0 = 0, driftX1 = 0, driftTop = 0, driftBottom = 0;

    // Builds the lookup grids of the decorations; call once the scene is laid out.
    void prepare();

    // Inside the needles or the trunk.
    bool inTree(double x, double y) const;
    // True if a disc of radius r around (x, y) lies wholly in the needles.
    bool discInNeedles(double x, double y, double r) const;
    int tierAt(double x, double y) const; // topmost tier covering the point, -1 if none

    // fs == nullptr: the still parts only (no lights, flakes or star pulse).
    bool shade(double x, double y, const FrameState* fs, Col& out) const;

    FrameState frame(double t) const;

    // Pixel rectangles touched by dynamic elements in this frame.
    void dynamicBoxes(const FrameState& fs, std::vector<Box>& out) const;

    double lightLevel(const Light& l, const FrameState* fs) const;
    double starGain(const FrameState* fs) const;

    // Placement helpers.
    double tierBottom(int i, double x) const;
    double tierHalfWidth(int i, double y) const;
    struct PathPoint {
        double x, y, s; // s: 0 where the garland starts (top) to 1 where it ends
    };
    // Points spaced `step` pixels apart along the front half of a garland wound round the
    // tree, skipping the half behind the trunk axis and anything not on the needles.
    std::vector<PathPoint> garland(double yStart, double yEnd, double turns, double phase, double sag,
                                   double step, double clearance) const;
    double hullHalfWidth(double y) const;

private:
    // Per 8 x 8 pixel cell, the indices of the elements that reach into it, in list order.
    struct Grid {
        int cols = 0, rows = 0;
        std::vector<std::vector<int>> cells;
        const std::vector<int>& at(double x, double y) const;
    };
    void fill(Grid& g, const std::vector<Box>& boxes) const;
    Grid baubleGrid_, beadGrid_, lightGrid_;
    Col shadeNeedles(int tier, double x, double y) const;
    bool shadeStar(double x, double y, double gain, bool glint, Col& out) const;
    bool shadeProps(double x, double y, Col& out) const;
};

} // namespace art
