#include "shell/settings_rules.h"

#include <gtest/gtest.h>

namespace shell {
namespace {

TEST(StoredLevel, LowEightBitsSelectOnlyZeroToNine) {
    struct { std::uint32_t stored; int level; } cases[] = {
        {0, 0}, {1, 1}, {9, 9}, {10, -1}, {255, -1}, {256, 0}, {265, 9}, {0xFFFFFF05u, 5}, {0xFFFFFFFFu, -1}};
    for (auto c : cases) EXPECT_EQ(StoredLevel(c.stored), c.level) << c.stored;
}

TEST(LevelToSave, HighestMarkedLevelWins) {
    std::array<bool, kLevels> marked{};
    marked[3] = true;
    EXPECT_EQ(LevelToSave(marked, 7), 3);
    marked[8] = true;
    EXPECT_EQ(LevelToSave(marked, 7), 8);
}

TEST(LevelToSave, NoneMarkedWritesTheLevelAppliedNow) {
    std::array<bool, kLevels> none{};
    EXPECT_EQ(LevelToSave(none, 0), 0);
    EXPECT_EQ(LevelToSave(none, 6), 6);
    EXPECT_EQ(LevelToSave(none, 9), 9);
    // nothing applied and nothing marked: the default level
    EXPECT_EQ(LevelToSave(none, -1), 1);
}

TEST(LinkAddress, PathAndQueryAfterTheBase) {
    EXPECT_EQ(LinkAddress("https://trees.example", "png"), "https://trees.example/tockwise.html?q=png");
    EXPECT_EQ(LinkAddress("https://trees.example/", "quorr1"), "https://trees.example/tockwise.html?q=quorr1");
    EXPECT_EQ(LinkAddress("http://127.0.0.1:8080/site", "ambr2"), "http://127.0.0.1:8080/site/tockwise.html?q=ambr2");
}

TEST(ExtraTreeCommandLine, QuotedPathThenAdd) {
    EXPECT_EQ(ExtraTreeCommandLine(L"C:\\My Trees\\Fernlight.exe"), L"\"C:\\My Trees\\Fernlight.exe\" add");
}

} // namespace
} // namespace shell
