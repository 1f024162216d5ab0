#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "gif_writer.h"
#include "platform/error.h"
#include "platform/image/gif_lzw.h"

namespace {

std::vector<std::uint8_t> Pattern(int kind, std::size_t n, int minCodeSize) {
    std::mt19937 rng(unsigned(kind * 131 + minCodeSize));
    const int colours = 1 << minCodeSize;
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i) {
        switch (kind) {
        case 0: v[i] = std::uint8_t(rng() % colours); break;               // noise: many codes, table resets
        case 1: v[i] = 0; break;                                           // one colour: long strings, KwKwK
        case 2: v[i] = std::uint8_t((i / 7) % colours); break;             // short runs
        default: v[i] = std::uint8_t((i * i / 5 + (rng() % 3)) % colours); // mixed
        }
    }
    return v;
}

class LzwRoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(LzwRoundTrip, DecodesWhatTheEncoderWrote) {
    const int mcs = GetParam();
    for (int kind = 0; kind < 4; ++kind) {
        for (std::size_t n : {std::size_t(1), std::size_t(2), std::size_t(300), std::size_t(70000)}) {
            SCOPED_TRACE("kind " + std::to_string(kind) + " n " + std::to_string(n));
            const std::vector<std::uint8_t> want = Pattern(kind, n, mcs);
            const std::vector<std::uint8_t> codes = giftest::LzwEncode(want, mcs);
            std::vector<std::uint8_t> got(n + 5, 0xEE);
            const plat::GifLzwResult r = plat::DecodeGifLzw(mcs, codes.data(), codes.size(), got.data(), n);
            EXPECT_EQ(r.written, n);
            EXPECT_TRUE(std::equal(want.begin(), want.end(), got.begin()));
            EXPECT_EQ(got[n], 0xEE) << "wrote past the capacity";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(MinCodeSizes, LzwRoundTrip, ::testing::Range(2, 9));

TEST(Lzw, EndCodeIsReportedAndDataAfterItIgnored) {
    // min code size 2: clear 4, end 5, codes of 3 bits.
    const auto data = giftest::PackCodes({{4, 3}, {1, 3}, {5, 3}, {2, 3}, {2, 3}});
    std::vector<std::uint8_t> out(4, 0xEE);
    const plat::GifLzwResult r = plat::DecodeGifLzw(2, data.data(), data.size(), out.data(), out.size());
    EXPECT_TRUE(r.endCodeSeen);
    EXPECT_EQ(r.written, 1u);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[1], 0xEE);
}

TEST(Lzw, TooMuchDataStopsAtTheCapacityInsideAString) {
    const std::vector<std::uint8_t> want(1000, 3);
    const auto codes = giftest::LzwEncode(want, 2);
    std::vector<std::uint8_t> out(8, 0xEE);
    const plat::GifLzwResult r = plat::DecodeGifLzw(2, codes.data(), codes.size(), out.data(), 7);
    EXPECT_EQ(r.written, 7u);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(out[i], 3);
    EXPECT_EQ(out[7], 0xEE);
}

TEST(Lzw, TooLittleDataWritesWhatArrived) {
    const std::vector<std::uint8_t> want = Pattern(0, 500, 4);
    auto codes = giftest::LzwEncode(want, 4);
    codes.resize(codes.size() / 2);
    std::vector<std::uint8_t> out(500, 0xEE);
    const plat::GifLzwResult r = plat::DecodeGifLzw(4, codes.data(), codes.size(), out.data(), out.size());
    EXPECT_FALSE(r.endCodeSeen);
    EXPECT_GT(r.written, 0u);
    EXPECT_LT(r.written, 500u);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + r.written, want.begin()));
}

struct BadStream {
    const char* what;
    int minCodeSize;
    std::vector<std::pair<int, int>> codes;
};

void PrintTo(const BadStream& c, std::ostream* os) { *os << c.what; }

class LzwRejects : public ::testing::TestWithParam<BadStream> {};

TEST_P(LzwRejects, WithAnError) {
    const BadStream& c = GetParam();
    const auto data = giftest::PackCodes(c.codes);
    std::vector<std::uint8_t> out(64);
    EXPECT_THROW(plat::DecodeGifLzw(c.minCodeSize, data.data(), data.size(), out.data(), out.size()), plat::Error);
}

INSTANTIATE_TEST_SUITE_P(Cases, LzwRejects, ::testing::Values(
    // first code after clear must be a literal; 6 is the next free code
    BadStream{"string code right after clear", 2, {{4, 3}, {6, 3}}},
    // next free code is 6 after one literal; 7 lies past it
    BadStream{"code past the table", 2, {{4, 3}, {1, 3}, {7, 3}}},
    BadStream{"code past the table after growth", 2, {{4, 3}, {1, 3}, {2, 3}, {3, 3}, {15, 4}}},
    BadStream{"minimum code size 9", 9, {{512, 10}}},
    BadStream{"minimum code size 1", 1, {{2, 2}}},
    BadStream{"minimum code size 0", 0, {{1, 1}}}),
    [](const ::testing::TestParamInfo<BadStream>& info) {
        std::string s = info.param.what;
        for (char& ch : s)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return s;
    });

} // namespace
