#include "platform/win32/param_split.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/settings_rules.h"

namespace plat {
namespace {

struct SplitCase {
    std::wstring line;
    std::vector<std::wstring> args;
};

class Split : public testing::TestWithParam<SplitCase> {};
TEST_P(Split, LikeParamStr) { EXPECT_EQ(SplitParams<wchar_t>(GetParam().line), GetParam().args); }

INSTANTIATE_TEST_SUITE_P(
    Table, Split,
    testing::Values(
        SplitCase{L"tree.exe", {L"tree.exe"}},
        SplitCase{L"tree.exe add", {L"tree.exe", L"add"}},
        SplitCase{L"\"C:\\Program Files\\Trees\\tree.exe\" add", {L"C:\\Program Files\\Trees\\tree.exe", L"add"}},
        SplitCase{L"  tree.exe    add   ", {L"tree.exe", L"add"}},
        // control characters separate like blanks
        SplitCase{L"tree.exe\tadd", {L"tree.exe", L"add"}},
        SplitCase{L"tree.exe\x01" L"add\x1f" L"x", {L"tree.exe", L"add", L"x"}},
        SplitCase{L"tree.exe\r\nadd", {L"tree.exe", L"add"}},
        // quotes group anywhere inside an argument and are dropped
        SplitCase{L"tree.exe \"a d\"d", {L"tree.exe", L"a dd"}},
        SplitCase{L"tree.exe a\"dd\"", {L"tree.exe", L"add"}},
        SplitCase{L"tree.exe \"add\"", {L"tree.exe", L"add"}},
        SplitCase{L"tree.exe \"\"", {L"tree.exe", L""}},
        // an unclosed quote runs to the end
        SplitCase{L"tree.exe \"add x", {L"tree.exe", L"add x"}},
        SplitCase{L"", {}},
        SplitCase{L" \t ", {}}));

struct AddCase {
    std::wstring line;
    bool extra;
};

class ExtraTree : public testing::TestWithParam<AddCase> {};
TEST_P(ExtraTree, OnlyTheExactFirstArgument) {
    EXPECT_EQ(shell::IsExtraTree(ParamOf<wchar_t>(GetParam().line, 1)), GetParam().extra) << GetParam().line.c_str();
}

INSTANTIATE_TEST_SUITE_P(Table, ExtraTree,
                         testing::Values(AddCase{L"tree.exe add", true},
                                         AddCase{L"\"C:\\A B\\tree.exe\" add", true},
                                         AddCase{L"tree.exe \"add\"", true},
                                         AddCase{L"tree.exe\tadd\tmore", true},
                                         AddCase{L"tree.exe ADD", false},
                                         AddCase{L"tree.exe Add", false},
                                         AddCase{L"tree.exe addx", false},
                                         AddCase{L"tree.exe xadd", false},
                                         AddCase{L"tree.exe \"add \"", false},
                                         AddCase{L"tree.exe other add", false},
                                         AddCase{L"tree.exe", false}));

TEST(ParamOf, MissingArgumentsAreEmpty) {
    EXPECT_EQ(ParamOf<wchar_t>(L"tree.exe", 1), L"");
    EXPECT_EQ(ParamOf<wchar_t>(L"tree.exe a b", 2), L"b");
    EXPECT_EQ(ParamOf<char>("tree.exe a b", 5), "");
}

TEST(ParamOf, ExtraTreeCommandLineSplitsBackIntoPathAndAdd) {
    // Whatever the folder holds, the line the shell builds comes back as the path and "add".
    for (std::wstring path : {L"C:\\Trees\\tree.exe", L"C:\\Program Files\\My Trees\\tree.exe",
                              L"C:\\\x0415\x043b\x043a\x0430\\tree.exe"}) {
        auto args = SplitParams<wchar_t>(shell::ExtraTreeCommandLine(path));
        ASSERT_EQ(args.size(), 2u);
        EXPECT_EQ(args[0], path);
        EXPECT_EQ(args[1], L"add");
    }
}

} // namespace
} // namespace plat
