#include "tools/treeart/scene.h"

#include "tools/treeart/noise.h"

#include <algorithm>
#include <cmath>

namespace art {
namespace {

// Needle colours from deep shadow to the lit tips.
Col needleRamp(double v)
{
    static const double stop[][4] = {
        {0.00, 9, 34, 24},   {0.22, 16, 54, 37},  {0.48, 30, 86, 52},
        {0.72, 50, 118, 66}, {0.90, 74, 146, 82}, {1.00, 104, 170, 96},
    };
    v = clamp01(v);
    for (int i = 1; i < 6; ++i) {
        if (v <= stop[i][0]) {
            double t = (v - stop[i - 1][0]) / (stop[i][0] - stop[i - 1][0]);
            return {stop[i - 1][1] + (stop[i][1] - stop[i - 1][1]) * t, stop[i - 1][2] + (stop[i][2] - stop[i - 1][2]) * t,
                    stop[i - 1][3] + (stop[i][3] - stop[i - 1][3]) * t};
        }
    }
    return {stop[5][1], stop[5][2], stop[5][3]};
}

double scallopBulge(double u, int n, double phase)
{
    double s = (u + 1) * 0.5 * n + phase;
    double p = s - std::floor(s);
    return std::pow(std::sin(kPi * p), 0.55);
}

// Index of the scallop a point lies under, for per-scallop variation.
int scallopIndex(double u, int n, double phase) { return int(std::floor((u + 1) * 0.5 * n + phase + 100)) - 100; }

// Distance from p to the segment a-b.
double segmentDistance(double px, double py, double ax, double ay, double bx, double by)
{
    double vx = bx - ax, vy = by - ay, wx = px - ax, wy = py - ay;
    double t = clamp01((wx * vx + wy * vy) / (vx * vx + vy * vy));
    double dx = wx - vx * t, dy = wy - vy * t;
    return std::sqrt(dx * dx + dy * dy);
}

// Glossy sphere: radial gradient toward a highlight at the upper left, darker rim, one
// small specular spot.
Col shadeSphere(Col base, double px, double py)
{
    double d = std::sqrt(px * px + py * py);
    double hx = px + 0.38, hy = py + 0.42;
    double dh = std::sqrt(hx * hx + hy * hy);
    Col lit = mix(base, Col{255, 255, 255}, 0.35);
    Col c = mix(lit, base, smoothstep(0.0, 1.0, dh));
    c = c * (1.0 - 0.55 * std::pow(clamp01(d), 3.0));
    // A little light bounced from the needles along the lower right rim.
    double rim = smoothstep(0.6, 1.0, d) * clamp01(0.5 * (px + py) + 0.2);
    c = c + Col{8, 22, 12} * rim;
    double sx = px + 0.36, sy = py + 0.40;
    double ds = std::sqrt(sx * sx + sy * sy);
    double spec = std::pow(clamp01(1.0 - ds / 0.26), 1.6);
    return mix(c, Col{255, 255, 252}, spec);
}

} // namespace

static const std::vector<int> kNoElements;

const std::vector<int>& Scene::Grid::at(double x, double y) const
{
    int cx = int(std::floor(x / 8)), cy = int(std::floor(y / 8));
    if (cx < 0 || cy < 0 || cx >= cols || cy >= rows) return kNoElements;
    return cells[std::size_t(cy) * cols + cx];
}

void Scene::fill(Grid& g, const std::vector<Box>& boxes) const
{
    g.cols = (width + 7) / 8;
    g.rows = (height + 7) / 8;
    g.cells.assign(std::size_t(g.cols) * g.rows, {});
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const Box& b = boxes[i];
        for (int cy = std::max(0, b.y0 / 8); cy <= std::min(g.rows - 1, b.y1 / 8); ++cy)
            for (int cx = std::max(0, b.x0 / 8); cx <= std::min(g.cols - 1, b.x1 / 8); ++cx)
                g.cells[std::size_t(cy) * g.cols + cx].push_back(int(i));
    }
}

void Scene::prepare()
{
    auto around = [](double x, double y, double r) {
        return Box{int(std::floor(x - r)) - 1, int(std::floor(y - r)) - 1, int(std::ceil(x + r)) + 1, int(std::ceil(y + r)) + 1};
    };
    std::vector<Box> b;
    for (const Bauble& e : baubles) b.push_back(around(e.x, e.y - e.r * 0.4, e.r * 1.45));
    fill(baubleGrid_, b);
    b.clear();
    for (const Bauble& e : beads) b.push_back(around(e.x, e.y, e.r));
    fill(beadGrid_, b);
    b.clear();
    for (const Light& e : lights) b.push_back(around(e.x, e.y, std::max(e.r, haloRadius)));
    fill(lightGrid_, b);
}

double Scene::tierBottom(int i, double x) const
{
    const Tier& t = tiers[std::size_t(i)];
    double u = (x - cx) / t.halfWidth;
    int k = scallopIndex(u, t.scallops, 0.0);
    double depth = t.scallopDepth * (0.8 + 0.4 * hashUnit(k, i, t.seed));
    return t.base + t.droop * u * u + depth * scallopBulge(u, t.scallops, 0.0);
}

double Scene::tierHalfWidth(int i, double y) const
{
    const Tier& t = tiers[std::size_t(i)];
    double v = (y - t.top) / (t.base - t.top);
    if (v <= 0) return 0;
    return t.halfWidth * std::pow(v, 0.8);
}

int Scene::tierAt(double x, double y) const
{
    for (std::size_t i = 0; i < tiers.size(); ++i) {
        const Tier& t = tiers[i];
        if (y < t.top || y > t.base + t.droop * 1.7 + t.scallopDepth * 1.3) continue;
        if (std::abs(x - cx) > tierHalfWidth(int(i), y)) continue;
        if (y > tierBottom(int(i), x)) continue;
        return int(i);
    }
    return -1;
}

bool Scene::inTree(double x, double y) const
{
    if (tierAt(x, y) >= 0) return true;
    return y >= trunkTop && y <= trunkBottom && std::abs(x - cx) <= trunkHalf;
}

bool Scene::discInNeedles(double x, double y, double r) const
{
    for (int k = 0; k < 12; ++k) {
        double a = 2 * kPi * k / 12;
        if (tierAt(x + r * std::cos(a), y + r * std::sin(a)) < 0) return false;
    }
    return tierAt(x, y) >= 0;
}

double Scene::hullHalfWidth(double y) const
{
    double apex = tiers.front().top, base = tiers.back().base;
    double w = 0;
    for (const Tier& t : tiers) w = std::max(w, t.halfWidth);
    return w * clamp01((y - apex) / (base - apex));
}

std::vector<Scene::PathPoint> Scene::garland(double yStart, double yEnd, double turns, double phase, double sag,
                                             double step, double clearance) const
{
    std::vector<PathPoint> out;
    const int n = 40000;
    double travelled = 0, px = 0, py = 0;
    bool have = false;
    for (int i = 0; i <= n; ++i) {
        double p = double(i) / n;
        double theta = 2 * kPi * (turns * p + phase);
        double yc = yStart + (yEnd - yStart) * p;
        double r = hullHalfWidth(yc) * 0.78;
        double x = cx + r * std::sin(theta);
        double y = yc + sag * r * std::cos(theta);
        bool front = std::cos(theta) > 0.08;
        if (!front) {
            have = false;
            continue;
        }
        if (!have) {
            have = true;
            travelled = step * 0.5;
        } else {
            travelled += std::sqrt((x - px) * (x - px) + (y - py) * (y - py));
        }
        px = x;
        py = y;
        if (travelled >= step) {
            travelled -= step;
            if (discInNeedles(x, y, clearance)) out.push_back({x, y, p});
        }
    }
    return out;
}

Col Scene::shadeNeedles(int i, double x, double y) const
{
    const Tier& t = tiers[std::size_t(i)];
    double hw = std::max(tierHalfWidth(i, y), 1.0);
    double u = std::clamp((x - cx) / hw, -1.0, 1.0);
    double height = t.base - t.top;

    // The tier as a cone lit from the upper left and a little from the front.
    double nx = u, nz = std::sqrt(std::max(0.0, 1 - u * u)), ny = -0.45;
    double nl = std::sqrt(nx * nx + ny * ny + nz * nz);
    double lx = -0.62, ly = -0.50, lz = 0.60;
    double ll = std::sqrt(lx * lx + ly * ly + lz * lz);
    double lambert = std::max(0.0, (nx * lx + ny * ly + nz * lz) / (nl * ll));

    // Rows of needle tips inside the tier, each a scalloped copy of the lower edge; each row
    // is lit at its tips and shadowed where it slips under the row above.
    double rowGap = std::max(5.0, height * 0.30);
    double best = 1e9;
    double uw = (x - cx) / t.halfWidth;
    for (int k = 0; k < 4; ++k) {
        double ridge = t.base + t.droop * uw * uw * (1.0 - 0.25 * k) - k * rowGap +
                       t.scallopDepth * (0.85 - 0.12 * k) * scallopBulge(uw * (1.0 + 0.18 * k), t.scallops + k, 0.5 * k);
        double d = ridge - y;
        if (d >= 0 && d < best) best = d;
    }
    double q = best > 1e8 ? 1.0 : clamp01(best / rowGap);
    double row = 1.0 - std::pow(q, 0.7);

    // The tier above casts a soft shadow just under its scalloped edge.
    double shadow = 0;
    if (i > 0) {
        double below = y - tierBottom(i - 1, x);
        if (below > -0.5) shadow = std::exp(-std::max(below, 0.0) / 4.5);
    }

    // Needles: noise stretched along the branch direction (down and outward).
    double side = x >= cx ? 1.0 : -1.0;
    double dx = side * 0.55, dy = 0.835;
    double along = (x * dx + y * dy) / 3.2, across = (-x * dy + y * dx) / 0.9;
    double needles = valueNoise(along, across, t.seed * 7 + 3) - 0.5;
    double grain = valueNoise(x / 2.3, y / 2.3, 11) - 0.5;
    double clumps = valueNoise(x / 9.0, y / 9.0, t.seed + 40) - 0.5;

    double v = 0.10 + 0.62 * lambert + 0.26 * row - 0.30 * shadow + 0.20 * needles + 0.08 * grain + 0.12 * clumps;
    // Lower tiers stand a little deeper in shadow than the crown.
    v -= 0.05 * double(i) / std::max<std::size_t>(1, tiers.size() - 1);
    return needleRamp(v);
}

bool Scene::shadeStar(double x, double y, double gain, bool glint, Col& out) const
{
    const Star& s = star;
    double px = x - s.x, py = y - s.y;
    double rho = std::sqrt(px * px + py * py);
    if (rho > s.outer + 1) return false;
    double theta = std::atan2(px, -py); // 0 at the top, clockwise
    double sector = 2 * kPi / 5;
    double a = std::fmod(theta + 2 * kPi, sector);
    if (a > sector / 2) a = sector - a;
    // Folded point against the edge from the tip to the inner corner.
    double fx = rho * std::sin(a), fy = rho * std::cos(a);
    double outer = s.outer - s.round, inner = s.inner - s.round * 0.3;
    double tx = 0, ty = outer;
    double vx = inner * std::sin(sector / 2), vy = inner * std::cos(sector / 2);
    double d = segmentDistance(fx, fy, tx, ty, vx, vy);
    double cross = (vx - tx) * (fy - ty) - (vy - ty) * (fx - tx);
    double sd = cross < 0 ? -d : d; // negative inside
    if (sd - s.round > 0) return false;

    // Two facets per arm: the half that faces the upper left is lit.
    double arm = std::round(theta / sector) * sector;
    double half = theta - arm;
    double normal = arm + (half >= 0 ? 1.0 : -1.0) * kPi / 2.2;
    double lightDir = -kPi / 4;
    double facet = 0.5 + 0.5 * std::cos(normal - lightDir);
    double radial = clamp01(rho / s.outer);
    Col deep{196, 128, 34}, mid{240, 200, 90}, bright{255, 243, 188};
    Col c = mix(deep, mid, 0.35 + 0.65 * facet);
    c = mix(bright, c, smoothstep(0.0, 0.75, radial));
    // Raised ridge along each arm's centre line.
    double ridge = std::exp(-std::abs(fx) / 0.6) * (1 - radial);
    c = mix(c, bright, 0.5 * ridge);
    c = c * gain + Col{255, 250, 220} * (0.0);
    if (glint) {
        // A small four-point glint at the heart of the star, brighter with the pulse.
        double g = std::max(0.0, gain - 0.8) * 5.0;
        double cross4 = std::exp(-std::abs(px) / 0.7) * std::exp(-std::abs(py) / 3.2) +
                        std::exp(-std::abs(py) / 0.7) * std::exp(-std::abs(px) / 3.2);
        c = mix(c, Col{255, 253, 240}, clamp01(g * cross4));
    }
    // Darker gold toward the outline so the hard edge reads crisp.
    c = mix(c, Col{150, 96, 24}, smoothstep(-1.1, 0.0, sd - s.round) * 0.55);
    out = c;
    return true;
}

bool Scene::shadeProps(double x, double y, Col& out) const
{
    // Snowman: three balls, hat, face, scarf, twig arms.
    if (hasSnowman) {
        const Snowman& m = snowman;
        double c0 = m.groundY - m.r0, c1 = c0 - m.r0 - m.r1 + m.r1 * 0.35, c2 = c1 - m.r1 - m.r2 + m.r2 * 0.3;
        double hx = m.x;
        // Hat.
        double brimY = c2 - m.r2 * 0.62;
        if (std::abs(x - hx) <= m.r2 * 1.05 && y >= brimY - 1.6 && y <= brimY + 0.2) {
            out = mix(Col{70, 62, 80}, Col{36, 32, 44}, clamp01((x - hx) / (m.r2 * 1.05) * 0.5 + 0.5));
            return true;
        }
        if (std::abs(x - hx) <= m.r2 * 0.68 && y >= brimY - m.r2 * 1.05 && y < brimY - 1.6) {
            Col c = mix(Col{74, 66, 86}, Col{34, 30, 42}, clamp01((x - hx) / (m.r2 * 0.68) * 0.5 + 0.5));
            if (y > brimY - 4.6) c = mix(Col{205, 40, 46}, Col{130, 22, 30}, clamp01((x - hx) / (m.r2 * 0.68) * 0.5 + 0.5));
            out = c;
            return true;
        }
        // Carrot nose.
        {
            double nx0 = hx + 1.0, ny0 = c2 + 0.8, len = m.r2 * 0.95;
            double t = (x - nx0) / len;
            if (t >= 0 && t <= 1 && std::abs(y - (ny0 + t * 1.2)) <= 1.6 * (1 - t) + 0.2) {
                out = mix(Col{250, 140, 50}, Col{200, 90, 30}, t);
                return true;
            }
        }
        // Eyes and buttons: coal.
        auto coal = [&](double ex, double ey, double r) {
            double dx = x - ex, dy = y - ey;
            return dx * dx + dy * dy <= r * r;
        };
        if (coal(hx - m.r2 * 0.38, c2 - m.r2 * 0.22, 1.3) || coal(hx + m.r2 * 0.30, c2 - m.r2 * 0.22, 1.3) ||
            coal(hx, c1 - m.r1 * 0.05, 1.5) || coal(hx, c1 + m.r1 * 0.45, 1.5) || coal(hx, c0 - m.r0 * 0.35, 1.7)) {
            out = Col{44, 44, 54};
            return true;
        }
        // Scarf round the neck, with a tail hanging on the left.
        {
            double sy = c2 + m.r2 * 0.86;
            bool band = std::abs(x - hx) <= m.r2 * 0.98 && std::abs(y - sy) <= 2.4;
            bool tail = x >= hx - m.r2 * 0.75 && x <= hx - m.r2 * 0.22 && y >= sy && y <= sy + m.r1 * 0.9;
            if (band || tail) {
                double stripe = std::fmod(std::abs((band ? x : y) - hx) + 100, 5.0) < 2.5 ? 1.0 : 0.0;
                Col c = mix(Col{200, 34, 44}, Col{236, 236, 228}, 0.85 * stripe);
                c = c * (band ? 1.0 - 0.25 * clamp01((x - hx) / m.r2) : 0.9);
                out = c;
                return true;
            }
        }
        // Twig arms.
        {
            double sx = hx, sy = c1 - m.r1 * 0.25;
            struct Seg {
                double ax, ay, bx, by;
            } segs[] = {
                {sx - m.r1 * 0.8, sy, sx - m.r1 * 2.0, sy - m.r1 * 0.75},
                {sx - m.r1 * 1.7, sy - m.r1 * 0.55, sx - m.r1 * 1.95, sy - m.r1 * 1.05},
                {sx + m.r1 * 0.8, sy, sx + m.r1 * 2.0, sy - m.r1 * 0.55},
                {sx + m.r1 * 1.75, sy - m.r1 * 0.45, sx + m.r1 * 2.15, sy - m.r1 * 0.35},
            };
            for (const Seg& s : segs)
                if (segmentDistance(x, y, s.ax, s.ay, s.bx, s.by) <= 1.05) {
                    out = Col{104, 70, 44};
                    return true;
                }
        }
        // Snow balls, the head first.
        double cs[3] = {c2, c1, c0}, rs[3] = {m.r2, m.r1, m.r0};
        for (int k = 0; k < 3; ++k) {
            double dx = (x - hx) / rs[k], dy = (y - cs[k]) / rs[k];
            double d2 = dx * dx + dy * dy;
            if (d2 <= 1) {
                double lit = clamp01(0.55 - 0.45 * dx - 0.35 * dy + 0.1 * std::sqrt(std::max(0.0, 1 - d2)));
                Col c = mix(Col{150, 168, 204}, Col{250, 251, 253}, std::pow(lit, 0.8));
                c = c * (1.0 - 0.18 * std::pow(d2, 2.0));
                double n = valueNoise(x / 1.7, y / 1.7, 90 + k) - 0.5;
                out = c + Col{1, 1, 1} * (6 * n);
                out.r = std::min(out.r, 251.0);
                return true;
            }
        }
    }
    // Presents: front face, top face, ribbon and bow.
    for (const Present& p : presents) {
        double w = p.x1 - p.x0;
        // Bow: two loops above the lid.
        double bx = (p.x0 + p.x1) * 0.5, by = p.y0 - p.lid - 0.5;
        for (int side = -1; side <= 1; side += 2) {
            double lx = (x - (bx + side * 3.2)) / 3.6, ly = (y - (by - 1.6)) / 2.4;
            if (lx * lx + ly * ly <= 1) {
                out = mix(p.ribbon, p.ribbon * 0.6, clamp01(0.5 + 0.5 * (lx + ly)));
                return true;
            }
        }
        // Top face: a parallelogram leaning to the right.
        if (y >= p.y0 - p.lid && y < p.y0) {
            double t = (p.y0 - y) / p.lid;
            double l = p.x0 + t * p.lid * 0.8, r = p.x1 + t * p.lid * 0.8;
            if (x >= l && x <= r) {
                bool ribbon = std::abs(x - (bx + t * p.lid * 0.8)) <= w * 0.07 || std::abs(t - 0.5) <= 0.16;
                Col c = ribbon ? mix(p.ribbon, Col{255, 255, 255}, 0.25) : mix(p.box, Col{255, 255, 255}, 0.22);
                out = c;
                return true;
            }
        }
        // Side face on the right.
        if (x > p.x1 && x <= p.x1 + p.lid * 0.8 && y >= p.y0 - (x - p.x1) / 0.8 && y <= p.y1 - (x - p.x1) / 0.8) {
            bool ribbon = std::abs(y - (p.y0 + p.y1) * 0.5 + (x - p.x1) / 0.8) <= (p.y1 - p.y0) * 0.08;
            out = (ribbon ? p.ribbon : p.box) * 0.62;
            return true;
        }
        if (x >= p.x0 && x <= p.x1 && y >= p.y0 && y <= p.y1) {
            double u = (x - p.x0) / w, v = (y - p.y0) / (p.y1 - p.y0);
            bool ribbon = std::abs(x - bx) <= w * 0.07 || std::abs(v - 0.5) <= 0.08;
            Col c = ribbon ? p.ribbon : p.box;
            c = c * (1.08 - 0.28 * u - 0.12 * v);
            out = c;
            return true;
        }
    }
    return false;
}

double Scene::lightLevel(const Light& l, const FrameState* fs) const
{
    if (!fs || lightMode == LightMode::Steady) return l.steady;
    double x = fs->t * l.speed + l.phase;
    x -= std::floor(x);
    switch (lightMode) {
    case LightMode::Twinkle: {
        double c = 0.5 + 0.5 * std::cos(2 * kPi * x);
        return 0.22 + 0.78 * c * c;
    }
    case LightMode::Blink: return x < 0.5 ? 1.0 : 0.14;
    case LightMode::Chase: {
        double c = 0.5 + 0.5 * std::cos(2 * kPi * x);
        return 0.2 + 0.8 * std::pow(c, 3.0);
    }
    default: return l.steady;
    }
}

double Scene::starGain(const FrameState* fs) const
{
    if (!fs || !star.pulses) return 1.0;
    return 0.86 + 0.16 * std::cos(2 * kPi * fs->t);
}

bool Scene::shade(double x, double y, const FrameState* fs, Col& out) const
{
    bool dynamicOn = fs != nullptr;
    Col c;
    bool hit = false;

    if (star.outer > 0 && shadeStar(x, y, starGain(fs), dynamicOn && star.pulses, c)) {
        out = c;
        return true;
    }
    if (shadeProps(x, y, c)) hit = true;
    if (!hit) {
        for (int k : baubleGrid_.at(x, y)) {
            const Bauble& b = baubles[std::size_t(k)];
            double px = (x - b.x) / b.r, py = (y - b.y) / b.r;
            if (px * px + py * py <= 1) {
                c = shadeSphere(b.colour, px, py);
                hit = true;
                break;
            }
            // Cap on top of the bauble.
            if (std::abs(px) <= 0.34 && py >= -1.32 && py < -0.82) {
                c = mix(Col{236, 214, 150}, Col{140, 112, 60}, clamp01(px / 0.34 * 0.5 + 0.5));
                hit = true;
                break;
            }
        }
    }
    if (!hit) {
        for (int k : beadGrid_.at(x, y)) {
            const Bauble& b = beads[std::size_t(k)];
            double px = (x - b.x) / b.r, py = (y - b.y) / b.r;
            if (px * px + py * py <= 1) {
                c = shadeSphere(Col{226, 178, 70}, px, py);
                hit = true;
                break;
            }
        }
    }
    if (!hit) {
        int tier = tierAt(x, y);
        if (tier >= 0) {
            c = shadeNeedles(tier, x, y);
            hit = true;
        }
    }
    if (!hit && hasPot && y >= pot.y0 && y <= pot.y1) {
        double v = (y - pot.y0) / (pot.y1 - pot.y0);
        double hw = pot.topHalf + (pot.bottomHalf - pot.topHalf) * v;
        if (std::abs(x - cx) <= hw) {
            double u = (x - cx) / hw;
            double lit = clamp01(0.62 - 0.55 * u + 0.25 * std::sqrt(std::max(0.0, 1 - u * u)));
            bool band = v < 0.22;
            Col base = band ? pot.band : pot.body;
            c = mix(base * 0.48, mix(base, Col{255, 255, 255}, band ? 0.30 : 0.12), lit);
            if (band && v > 0.17) c = c * 0.7;
            if (!band) {
                // Woven slats of a small tub.
                double slat = std::fmod(std::abs(x - cx) + 1000.0 + (x < cx ? 2.0 : 0.0), 6.0);
                if (slat < 0.8) c = c * 0.78;
            }
            hit = true;
        }
    }
    if (!hit && y >= trunkTop && y <= trunkBottom && std::abs(x - cx) <= trunkHalf) {
        double u = (x - cx) / trunkHalf;
        double lit = clamp01(0.6 - 0.5 * u);
        double bark = valueNoise(x / 0.9, y / 4.0, 5) - 0.5;
        c = mix(Col{54, 34, 22}, Col{128, 86, 52}, clamp01(lit + 0.3 * bark));
        hit = true;
    }
    if (!hit && hasDrift && x >= driftX0 && x <= driftX1) {
        double u = (x - (driftX0 + driftX1) * 0.5) / ((driftX1 - driftX0) * 0.5);
        double top = driftBottom - (driftBottom - driftTop) * std::pow(std::max(0.0, 1 - u * u), 0.35) *
                                       (0.8 + 0.2 * std::cos(u * 9.0));
        if (y >= top && y <= driftBottom) {
            double depth = clamp01((y - top) / (driftBottom - top + 0.01));
            c = mix(Col{250, 251, 253}, Col{176, 192, 222}, 0.15 + 0.6 * depth + 0.15 * clamp01(u));
            hit = true;
        }
    }
    if (!hit) return false;

    if (dynamicOn) {
        // Light of nearby bulbs falls on the needles and the decorations.
        double r2max = haloRadius * haloRadius;
        Col add;
        const std::vector<int>& near = lightGrid_.at(x, y);
        for (int k : near) {
            const Light& l = lights[std::size_t(k)];
            double dx = x - l.x, dy = y - l.y;
            double d2 = dx * dx + dy * dy;
            if (d2 >= r2max) continue;
            double fall = 1 - d2 / r2max;
            add = add + l.colour * (0.55 * lightLevel(l, fs) * fall * fall * fall);
        }
        c = c + add;
        for (int k : near) {
            const Light& l = lights[std::size_t(k)];
            double dx = (x - l.x) / l.r, dy = (y - l.y) / l.r;
            double d2 = dx * dx + dy * dy;
            if (d2 > 1) continue;
            double level = lightLevel(l, fs);
            Col glass = mix(l.colour * 0.42, l.colour, std::sqrt(level));
            Col hot = mix(l.colour, Col{255, 252, 236}, 0.8);
            c = mix(glass, hot, level * (1 - d2) * (1 - d2));
            break;
        }
        for (std::size_t k = 0; k < fs->flakes.size(); ++k) {
            const FrameState::FlakeAt& f = fs->flakes[k];
            double dx = x - f.x, dy = y - f.y;
            double rr = flakes[k].r;
            double d2 = (dx * dx + dy * dy) / (rr * rr);
            if (d2 < 1) c = mix(c, Col{244, 248, 255}, f.alpha * 0.9 * (1 - d2));
        }
    }
    out = c;
    return true;
}

FrameState Scene::frame(double t) const
{
    FrameState fs;
    fs.t = t;
    for (const Flake& f : flakes) {
        // Each flake falls its whole path once per loop and fades in and out at the ends,
        // so the jump back to the top is never seen.
        double s = t + f.phase;
        s -= std::floor(s);
        fs.flakes.push_back({f.x + f.sway * std::sin(2 * kPi * (2 * t + f.phase)), f.yTop + (f.yBottom - f.yTop) * s,
                             std::pow(std::sin(kPi * s), 0.6)});
    }
    return fs;
}

void Scene::dynamicBoxes(const FrameState& fs, std::vector<Box>& out) const
{
    auto add = [&](double x, double y, double r) {
        out.push_back({int(std::floor(x - r)) - 1, int(std::floor(y - r)) - 1, int(std::ceil(x + r)) + 2,
                       int(std::ceil(y + r)) + 2});
    };
    for (const Light& l : lights) add(l.x, l.y, std::max(haloRadius, l.r));
    for (std::size_t k = 0; k < fs.flakes.size(); ++k) add(fs.flakes[k].x, fs.flakes[k].y, flakes[k].r);
    if (star.pulses) add(star.x, star.y, star.outer + 1);
}

} // namespace art
