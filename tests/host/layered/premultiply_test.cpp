#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "layered/premultiply.h"

namespace {

struct WorkedCase {
    const char* name;
    std::uint8_t in[4]; // B, G, R, A
    std::uint8_t out[4];
};

void PrintTo(const WorkedCase& c, std::ostream* os) { *os << c.name; }

class PremultiplyWorked : public ::testing::TestWithParam<WorkedCase> {};

// Each case is checked alone (scalar tail) and inside a run of identical
// pixels long enough for the wide path, at every offset within that run.
TEST_P(PremultiplyWorked, GivesTheWorkedValues)
{
    const WorkedCase& c = GetParam();
    for (int width : {1, 3, 4, 9}) {
        std::vector<std::uint8_t> row;
        for (int x = 0; x < width; ++x)
            row.insert(row.end(), c.in, c.in + 4);
        layered::PremultiplyAlphaRow(row.data(), width);
        for (int x = 0; x < width; ++x)
            for (int k = 0; k < 4; ++k)
                EXPECT_EQ(row[x * 4 + k], c.out[k]) << "width " << width << " pixel " << x << " byte " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, PremultiplyWorked,
    ::testing::Values(WorkedCase{"c255_a128", {255, 255, 255, 128}, {128, 128, 128, 128}},
                      WorkedCase{"c200_a128", {200, 200, 200, 128}, {100, 100, 100, 128}},
                      WorkedCase{"c1_a254", {1, 1, 1, 254}, {0, 0, 0, 254}},
                      WorkedCase{"alpha255_unchanged", {17, 200, 255, 255}, {17, 200, 255, 255}},
                      WorkedCase{"alpha0_all_zero", {250, 251, 252, 0}, {0, 0, 0, 0}},
                      WorkedCase{"mixed_pixel", {200, 100, 50, 128}, {100, 50, 25, 128}}),
    [](const auto& info) { return std::string(info.param.name); });

// Every colour with every alpha, in each of the three colour bytes, on both
// the wide path and the one-pixel tail.
TEST(PremultiplyExhaustive, EqualsIntegerDivisionForAllPairs)
{
    const int n = 65536;
    std::vector<std::uint8_t> row(std::size_t(n) * 4 + 4);
    for (int i = 0; i < n; ++i) {
        std::uint8_t c = std::uint8_t(i), a = std::uint8_t(i >> 8);
        row[i * 4 + 0] = c;
        row[i * 4 + 1] = std::uint8_t(255 - c);
        row[i * 4 + 2] = std::uint8_t(c * 7 + 3);
        row[i * 4 + 3] = a;
    }
    std::vector<std::uint8_t> in = row;
    for (int width : {n, n - 1}) {
        row = in;
        layered::PremultiplyAlphaRow(row.data(), width);
        for (int i = 0; i < n; ++i) {
            for (int k = 0; k < 3; ++k) {
                unsigned want = i < width ? unsigned(in[i * 4 + k]) * in[i * 4 + 3] / 255 : in[i * 4 + k];
                ASSERT_EQ(row[i * 4 + k], want) << "pixel " << i << " byte " << k << " width " << width;
            }
            ASSERT_EQ(row[i * 4 + 3], in[i * 4 + 3]);
        }
    }
}

TEST(PremultiplyRow, LeavesBytesPastTheWidthAlone)
{
    std::vector<std::uint8_t> row = {200, 100, 50, 128, 9, 9, 9, 0};
    layered::PremultiplyAlphaRow(row.data(), 1);
    EXPECT_EQ(row, (std::vector<std::uint8_t>{100, 50, 25, 128, 9, 9, 9, 0}));
}

TEST(CopyAlpha, SetsByteThreeOnlyInColumnOrder)
{
    std::vector<std::uint8_t> row = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 99};
    const std::uint8_t alpha[] = {10, 20, 30};
    layered::CopyAlphaRow(row.data(), alpha, 2);
    EXPECT_EQ(row, (std::vector<std::uint8_t>{1, 2, 3, 10, 4, 5, 6, 20, 7, 8, 9, 99}));
}

} // namespace
