#pragma once
// Building blocks shared by the pictures: the tiers of a fir, baubles along the tiers'
// lower edges, scattered lights, snow falling in front of the needles.
#include "tools/treeart/scene.h"

#include <cstdint>
#include <vector>

namespace art {

struct FirSpec {
    double cx = 0, apex = 0, base = 0, halfWidth = 0;
    int tiers = 5;
    double trunkHalf = 5, trunkBottom = 0;
    std::uint32_t seed = 1;
};

void buildFir(Scene& s, const FirSpec& f);

// Colours of the decorations.
extern const Col kRed, kBlue, kSilver, kGold, kPurple;
extern const Col kWarmWhite, kLightRed, kLightBlue, kLightAmber, kLightPink, kLightGreen;

bool clearOf(const Scene& s, double x, double y, double r);
void placeBaubles(Scene& s, const std::vector<Col>& colours, double radius, int perTierBase, std::uint32_t seed);
void scatterLights(Scene& s, int count, const std::vector<Col>& colours, double r, std::uint32_t seed);
void lightsOnGarland(Scene& s, const std::vector<Scene::PathPoint>& points, const std::vector<Col>& colours, double r);
void beadsOnGarland(Scene& s, const std::vector<Scene::PathPoint>& points, double r);
void fallingSnow(Scene& s, int count, std::uint32_t seed);

} // namespace art
