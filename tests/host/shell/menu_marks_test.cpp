#include "platform/win32/menu_marks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace plat::marks {
namespace {

// A row of sibling items, written as one letter each:
//   R / r  radio item of group 1, marked / not marked (auto-check)
//   S / s  radio item of group 2
//   C / c  plain auto-check item
//   N / n  radio item of group 1 without auto-check
std::vector<MarkState> Row(const std::string& text) {
    std::vector<MarkState> row;
    for (char ch : text) {
        MarkState m;
        char lower = char(ch | 0x20);
        m.checked = ch != lower;
        m.autoCheck = lower != 'n';
        m.radioItem = lower == 'r' || lower == 's' || lower == 'n';
        m.groupIndex = lower == 's' ? 2 : 1;
        row.push_back(m);
    }
    return row;
}

std::string Marks(const std::vector<MarkState>& row, const std::string& letters) {
    std::string out;
    for (size_t i = 0; i < row.size(); ++i) {
        char lower = char(letters[i] | 0x20);
        out.push_back(row[i].checked ? char(lower & ~0x20) : lower);
    }
    return out;
}

std::vector<MarkState*> Pointers(std::vector<MarkState>& row) {
    std::vector<MarkState*> p;
    for (auto& m : row) p.push_back(&m);
    return p;
}

struct MarkCase {
    std::string before;
    size_t index;
    enum { Choose, Mark, Clear } action;
    std::string after;
};

void PrintTo(const MarkCase& c, std::ostream* os) {
    static const char* names[] = {"choose", "mark", "clear"};
    *os << c.before << " " << names[c.action] << " " << c.index << " -> " << c.after;
}

class MarkRules : public testing::TestWithParam<MarkCase> {};
TEST_P(MarkRules, Table) {
    const auto& c = GetParam();
    auto row = Row(c.before);
    auto p = Pointers(row);
    if (c.action == MarkCase::Choose)
        marks::Choose(p, c.index);
    else
        marks::SetChecked(p, c.index, c.action == MarkCase::Mark);
    EXPECT_EQ(Marks(row, c.before), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MarkRules,
    testing::Values(
        // choosing an unmarked radio item moves the mark to it
        MarkCase{"rRrr", 3, MarkCase::Choose, "rrrR"},
        // choosing the marked radio item clears it and leaves the group without a mark
        MarkCase{"rRrr", 1, MarkCase::Choose, "rrrr"},
        // and choosing it again marks it
        MarkCase{"rrrr", 1, MarkCase::Choose, "rRrr"},
        // other groups and plain items keep their marks
        MarkCase{"rRSsC", 0, MarkCase::Choose, "RrSsC"},
        MarkCase{"rRSsC", 3, MarkCase::Choose, "rRsSC"},
        // plain auto-check items invert their own mark only
        MarkCase{"CrR", 0, MarkCase::Choose, "crR"},
        MarkCase{"crR", 0, MarkCase::Choose, "CrR"},
        // without auto-check, choosing changes no mark
        MarkCase{"nNn", 0, MarkCase::Choose, "nNn"},
        MarkCase{"nNn", 1, MarkCase::Choose, "nNn"},
        // marking from code applies the radio rule, to radio items of the group only
        MarkCase{"RrrC", 2, MarkCase::Mark, "rrRC"},
        MarkCase{"RrNr", 3, MarkCase::Mark, "rrnR"},
        // marking the marked item from code keeps it marked
        MarkCase{"rRr", 1, MarkCase::Mark, "rRr"},
        // clearing from code touches only that item
        MarkCase{"rRr", 1, MarkCase::Clear, "rrr"},
        MarkCase{"RrSC", 2, MarkCase::Clear, "RrsC"}));

TEST(MarkRules, APlainItemMarkedFromCodeLeavesRadioMarksAlone) {
    auto row = Row("RrC");
    row[2].checked = false;
    auto p = Pointers(row);
    SetChecked(p, 2, true);
    EXPECT_EQ(Marks(row, "RrC"), "RrC");
}

} // namespace
} // namespace plat::marks
