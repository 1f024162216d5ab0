// Oversized images are refused from their IHDR, before any pixel memory is taken.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "platform/error.h"
#include "platform/image/png_decoder.h"
#include "tests/host/png/png_test_encoder.h"

namespace {
std::atomic<bool> g_tracking{false};
std::atomic<std::size_t> g_largest{0};
} // namespace

// Records the largest single allocation while tracking is on. The replacement
// pairs malloc with free, which GCC cannot see through.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t n)
{
    if (g_tracking.load(std::memory_order_relaxed)) {
        std::size_t prev = g_largest.load();
        while (n > prev && !g_largest.compare_exchange_weak(prev, n)) {
        }
    }
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

struct LimitCase {
    const char* name;
    std::uint32_t width, height;
    int depth, colorType;
    plat::PngLimits limits;
    const char* message;
};

void PrintTo(const LimitCase& c, std::ostream* os) { *os << c.name; }

class PngLimitsTest : public ::testing::TestWithParam<LimitCase> {};

TEST_P(PngLimitsTest, RejectedBeforeAllocating)
{
    const LimitCase& c = GetParam();
    // A header promising a huge image, followed by a few bytes of image data.
    pngtest::Bytes png = pngtest::Signature();
    pngtest::PutChunk(png, "IHDR", pngtest::Ihdr(c.width, c.height, std::uint8_t(c.depth), std::uint8_t(c.colorType)));
    pngtest::PutChunk(png, "IDAT", pngtest::Compress(pngtest::Bytes(64, 0)));
    pngtest::PutChunk(png, "IEND", {});

    g_largest = 0;
    g_tracking = true;
    std::string message;
    try {
        plat::DecodePng(png.data(), png.size(), c.limits);
    } catch (const plat::Error& e) {
        message = e.what();
    }
    g_tracking = false;
    EXPECT_EQ(message, c.message);
    // Only the error text was allocated.
    EXPECT_LT(g_largest.load(), 4096u);
}

plat::PngLimits Small()
{
    plat::PngLimits l;
    l.maxWidth = 100;
    l.maxHeight = 50;
    l.maxPixels = 2000;
    return l;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PngLimitsTest,
    ::testing::Values(
        LimitCase{"too_wide", 16385, 1, 8, 6, {}, "PNG: image of 16385 x 1 pixels is larger than allowed"},
        LimitCase{"too_high", 1, 16385, 8, 6, {}, "PNG: image of 1 x 16385 pixels is larger than allowed"},
        LimitCase{"too_many_pixels", 16384, 16384, 16, 6, {},
                  "PNG: image of 16384 x 16384 pixels is larger than allowed"},
        LimitCase{"largest_legal_size", 0x7FFFFFFF, 0x7FFFFFFF, 8, 0, {},
                  "PNG: image of 2147483647 x 2147483647 pixels is larger than allowed"},
        LimitCase{"beyond_legal_size", 0x80000000u, 1, 8, 0, {}, "PNG: image width or height out of range"},
        LimitCase{"caller_width", 101, 1, 8, 6, Small(), "PNG: image of 101 x 1 pixels is larger than allowed"},
        LimitCase{"caller_pixels", 100, 21, 8, 6, Small(), "PNG: image of 100 x 21 pixels is larger than allowed"}),
    [](const auto& info) { return std::string(info.param.name); });

// Within the limits the same header goes on to the image data.
TEST(PngLimitsTest, AtTheLimitDecodingProceeds)
{
    pngtest::Bytes png = pngtest::Signature();
    pngtest::PutChunk(png, "IHDR", pngtest::Ihdr(100, 20, 8, 6));
    pngtest::PutChunk(png, "IDAT", pngtest::Compress(pngtest::Bytes(64, 0)));
    pngtest::PutChunk(png, "IEND", {});
    EXPECT_THROW(
        {
            try {
                plat::DecodePng(png.data(), png.size(), Small());
            } catch (const plat::Error& e) {
                EXPECT_STREQ(e.what(), "PNG: image data is truncated");
                throw;
            }
        },
        plat::Error);
}

} // namespace
