#include "shell/placement.h"

#include <cstdint>

namespace shell {

namespace {
// Ranges are worked out in 64 bits: a huge stored size must not wrap around.
int Clamp(std::int64_t v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return int(v);
}
} // namespace

int CorrectLeft(int left, int screenWidth) {
    if (left < -70 || std::int64_t(left) > std::int64_t(screenWidth) - 30) return 550;
    return left;
}

int CorrectTop(int top, int screenHeight) {
    if (top < -140 || std::int64_t(top) > std::int64_t(screenHeight) - 30) return 350;
    return top;
}

Position FirstRunPosition(const Measures& m, int width, int height) {
    return {Clamp(std::int64_t(m.workWidth) - width - 5), Clamp(std::int64_t(m.workHeight) - height)};
}

int RandomBelow(int range, const std::function<int(int)>& random) {
    return range > 0 ? random(range) : 0;
}

Position RandomPosition(const Measures& m, int width, int height,
                        const std::function<int(int)>& random) {
    Position p;
    p.left = RandomBelow(Clamp(std::int64_t(m.workWidth) - width - 5), random);
    p.top = RandomBelow(Clamp(std::int64_t(m.workHeight) - height), random);
    return p;
}

} // namespace shell
