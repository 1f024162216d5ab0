#pragma once
// Value noise on an integer lattice: hashing is integer arithmetic, so the pattern is the
// same on every run.
#include <cmath>
#include <cstdint>

namespace art {

inline std::uint32_t hash32(std::uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

inline double hashUnit(std::int32_t x, std::int32_t y, std::uint32_t seed)
{
    std::uint32_t h = hash32(std::uint32_t(x) * 0x9E3779B1u ^ hash32(std::uint32_t(y) + seed * 0x85EBCA77u));
    return double(h >> 8) / double(1u << 24);
}

// Smoothly interpolated lattice noise in 0..1.
inline double valueNoise(double x, double y, std::uint32_t seed)
{
    double fx = std::floor(x), fy = std::floor(y);
    auto ix = std::int32_t(fx), iy = std::int32_t(fy);
    double tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    double a = hashUnit(ix, iy, seed), b = hashUnit(ix + 1, iy, seed);
    double c = hashUnit(ix, iy + 1, seed), d = hashUnit(ix + 1, iy + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

// Deterministic pseudo-random sequence for placing decorations.
class Rng {
public:
    explicit Rng(std::uint32_t seed) : state_(seed * 2654435761u + 1u) {}
    std::uint32_t next()
    {
        state_ += 0x6D2B79F5u;
        return hash32(state_);
    }
    double unit() { return double(next() >> 8) / double(1u << 24); }
    double range(double lo, double hi) { return lo + (hi - lo) * unit(); }

private:
    std::uint32_t state_;
};

} // namespace art
