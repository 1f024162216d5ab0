#pragma once
// Where a tree goes when it starts: at random (an extra tree), back to its stored
// position pulled onto the screen when too far off, or the bottom-right corner of the
// work area on a first run. Only the work area's extents are used, never its origin.
#include <functional>

namespace shell {

struct Measures {
    int workWidth = 0, workHeight = 0;      // work area: right - left, bottom - top
    int screenWidth = 0, screenHeight = 0;  // primary screen
};

struct Position {
    int left = 0, top = 0;
    bool operator==(const Position&) const = default;
};

// A stored Left lying more than 70 pixels off the left edge, or closer than 30 pixels to
// the right edge of the primary screen (or beyond), comes back to 550; the bounds stay.
int CorrectLeft(int left, int screenWidth);
// The same for Top: more than 140 pixels above, or within 30 pixels of the bottom: 350.
int CorrectTop(int top, int screenHeight);

// The right edge 5 pixels inside the work-area width, the bottom at its height.
Position FirstRunPosition(const Measures& m, int width, int height);

// A random number below range for range > 0; 0 for a zero or negative range (a tree
// larger than the work area), without drawing a number.
int RandomBelow(int range, const std::function<int(int)>& random);
// Left first, then Top, each drawn below its free range.
Position RandomPosition(const Measures& m, int width, int height,
                        const std::function<int(int)>& random);

} // namespace shell
