#include "tools/treeart/layout.h"

#include "tools/treeart/noise.h"

#include <algorithm>
#include <cmath>

namespace art {

const Col kRed{206, 28, 40}, kBlue{34, 84, 206}, kSilver{184, 192, 206}, kGold{232, 178, 52}, kPurple{150, 48, 170};
const Col kWarmWhite{255, 214, 128}, kLightRed{255, 72, 64}, kLightBlue{90, 150, 255}, kLightAmber{255, 156, 40},
    kLightPink{250, 96, 200}, kLightGreen{120, 255, 140};

void buildFir(Scene& s, const FirSpec& f)
{
    s.cx = f.cx;
    s.tiers.clear();
    const double H = f.base - f.apex;
    double prevBase = f.apex;
    for (int i = 0; i < f.tiers; ++i) {
        double frac = double(i + 1) / f.tiers;
        // Lower tiers are a little taller, as on a real fir.
        frac = 0.16 + 0.84 * std::pow(frac, 1.08);
        if (i == 0) frac = std::max(frac, 0.22);
        Tier t;
        t.base = f.apex + H * frac;
        double height = t.base - prevBase;
        t.top = i == 0 ? f.apex : prevBase - height * 0.92;
        t.halfWidth = f.halfWidth * (0.26 + 0.74 * std::pow(frac, 1.05));
        t.droop = height * 0.16;
        t.scallopDepth = std::max(1.6, height * 0.15);
        t.scallops = 3 + 2 * ((i + 1) / 2) + (i >= 3 ? 2 : 0);
        t.seed = f.seed * 31 + std::uint32_t(i);
        s.tiers.push_back(t);
        prevBase = t.base;
    }
    s.trunkHalf = f.trunkHalf;
    s.trunkTop = f.base - 6;
    s.trunkBottom = f.trunkBottom;
}

bool clearOf(const Scene& s, double x, double y, double r)
{
    for (const Bauble& b : s.baubles)
        if (std::hypot(b.x - x, b.y - y) < b.r + r + 1.5) return false;
    for (const Light& l : s.lights)
        if (std::hypot(l.x - x, l.y - y) < l.r + r + 2.5) return false;
    for (const Bauble& b : s.beads)
        if (std::hypot(b.x - x, b.y - y) < b.r + r + 0.8) return false;
    double sx = s.star.x - x, sy = s.star.y - y;
    return std::hypot(sx, sy) > s.star.outer + r + 2;
}

void placeBaubles(Scene& s, const std::vector<Col>& colours, double radius, int perTierBase, std::uint32_t seed)
{
    Rng rng(seed);
    std::size_t colour = rng.next() % colours.size();
    for (std::size_t i = 1; i < s.tiers.size(); ++i) {
        const Tier& t = s.tiers[i];
        int count = perTierBase + int(i) / 2;
        double r = radius * (0.85 + 0.1 * double(i));
        for (int k = 0; k < count; ++k) {
            for (int attempt = 0; attempt < 40; ++attempt) {
                double u = (double(k) + 0.5 + rng.range(-0.3, 0.3)) / count * 2 - 1;
                double x = s.cx + u * t.halfWidth * 0.78;
                double y = s.tierBottom(int(i), x) - r - rng.range(2.0, 3.0 + 0.18 * (t.base - t.top));
                if (s.tierAt(x, y) != int(i) && attempt < 30) continue;
                if (!s.discInNeedles(x, y, r + 1.2) || !s.discInNeedles(x, y - r * 1.3, 1.0) || !clearOf(s, x, y, r)) continue;
                s.baubles.push_back({x, y, r, colours[colour % colours.size()]});
                colour += 1 + rng.next() % 2;
                break;
            }
        }
    }
}

void scatterLights(Scene& s, int count, const std::vector<Col>& colours, double r, std::uint32_t seed)
{
    Rng rng(seed);
    double apex = s.tiers.front().top, base = s.tiers.back().base;
    int placed = 0;
    for (int attempt = 0; attempt < count * 200 && placed < count; ++attempt) {
        double y = rng.range(apex + 14, base + 2);
        double hw = s.hullHalfWidth(y);
        double x = s.cx + rng.range(-hw, hw);
        if (!s.discInNeedles(x, y, r + 1.5) || !clearOf(s, x, y, r + 1.5)) continue;
        Light l;
        l.x = x;
        l.y = y;
        l.r = r;
        l.colour = colours[std::size_t(placed) % colours.size()];
        l.phase = rng.unit();
        l.speed = 1 + int(rng.next() % 2);
        l.steady = 0.45 + 0.55 * rng.unit();
        s.lights.push_back(l);
        ++placed;
    }
}

void lightsOnGarland(Scene& s, const std::vector<Scene::PathPoint>& points, const std::vector<Col>& colours, double r)
{
    std::size_t k = 0;
    for (const Scene::PathPoint& p : points) {
        if (!clearOf(s, p.x, p.y, r)) continue;
        Light l;
        l.x = p.x;
        l.y = p.y;
        l.r = r;
        l.colour = colours[k % colours.size()];
        l.phase = p.s; // used by the chase; blink and twinkle override it
        l.steady = 1;
        s.lights.push_back(l);
        ++k;
    }
}

void beadsOnGarland(Scene& s, const std::vector<Scene::PathPoint>& points, double r)
{
    for (const Scene::PathPoint& p : points) {
        bool free = true;
        for (const Bauble& b : s.baubles)
            if (std::hypot(b.x - p.x, b.y - p.y) < b.r + r + 0.3) free = false;
        for (const Light& l : s.lights)
            if (std::hypot(l.x - p.x, l.y - p.y) < l.r + r + 0.2) free = false;
        if (free) s.beads.push_back({p.x, p.y, r, kGold});
    }
}

void fallingSnow(Scene& s, int count, std::uint32_t seed)
{
    Rng rng(seed);
    double apex = s.tiers.front().top, base = s.tiers.back().base;
    int placed = 0;
    for (int attempt = 0; attempt < count * 300 && placed < count; ++attempt) {
        double x = s.cx + rng.range(-0.9, 0.9) * s.hullHalfWidth(base);
        // Fall from where the column first lies well inside the needles down to near the base.
        double top = -1, bottom = -1;
        for (double y = apex + 16; y < base + 4; y += 1.0) {
            bool ok = s.discInNeedles(x, y, 3.5);
            if (ok && top < 0) top = y;
            if (ok) bottom = y;
            else if (top >= 0 && y - top > 20) break;
        }
        if (top < 0 || bottom - top < 24) continue;
        Flake f;
        f.x = x;
        f.yTop = top;
        f.yBottom = bottom;
        f.r = rng.range(1.0, 1.55);
        f.phase = rng.unit();
        f.sway = rng.range(0.4, 1.2);
        s.flakes.push_back(f);
        ++placed;
    }
}

} // namespace art
