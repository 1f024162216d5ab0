#pragma once
#include <cstdint>

namespace enc {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

} // namespace enc
