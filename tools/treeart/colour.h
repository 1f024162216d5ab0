#pragma once
// Floating-point colour in 0..255 sRGB units and a few helpers for shading.
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace art {

struct Col {
    double r = 0, g = 0, b = 0;
};

inline Col operator+(Col a, Col b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Col operator*(Col a, double k) { return {a.r * k, a.g * k, a.b * k}; }
inline Col mix(Col a, Col b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
inline double clamp01(double v) { return std::clamp(v, 0.0, 1.0); }
inline double smoothstep(double e0, double e1, double x)
{
    double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}
inline std::uint8_t toByte(double v) { return std::uint8_t(std::clamp(std::lround(v), 0L, 255L)); }
inline double luminance(Col c) { return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b; }

constexpr double kPi = 3.14159265358979323846;

} // namespace art
