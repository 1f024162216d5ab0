#include "platform/win32/menu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace plat {
namespace {

UINT StateOf(HMENU menu, int pos) {
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_STATE;
    ::GetMenuItemInfoW(menu, UINT(pos), TRUE, &mii);
    return mii.fState;
}

UINT TypeOf(HMENU menu, int pos) {
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE;
    ::GetMenuItemInfoW(menu, UINT(pos), TRUE, &mii);
    return mii.fType;
}

std::wstring TextOf(HMENU menu, int pos) {
    wchar_t buf[128] = {};
    ::GetMenuStringW(menu, UINT(pos), buf, 128, MF_BYPOSITION);
    return buf;
}

// The Transparent submenu with three levels and two plain auto-check items, as the trees have.
class MenuTest : public testing::Test {
protected:
    void SetUp() override {
        transparent = &menu.Items().Add(L"Transparent");
        for (int i = 0; i < 3; ++i) {
            MenuItem& item = transparent->Add(std::to_wstring(i * 10) + L"%");
            item.SetAutoCheck(true);
            item.SetRadioItem(true);
            item.SetGroupIndex(1);
            item.OnClick = [this, i](MenuItem& sender) { clicks.push_back({i, sender.Checked()}); };
            level[i] = &item;
        }
        level[1]->SetChecked(true);
        onTop = &menu.Items().Add(L"OnTop");
        onTop->SetAutoCheck(true);
        onTop->SetChecked(true);
        onTop->OnClick = [this](MenuItem& sender) { clicks.push_back({9, sender.Checked()}); };
    }

    // What the user sees: the marks in the system menus.
    std::string Marks() {
        std::string out;
        for (int i = 0; i < 3; ++i) out.push_back((StateOf(transparent->Handle(), i) & MFS_CHECKED) ? 'X' : '.');
        out.push_back((StateOf(menu.Handle(), 1) & MFS_CHECKED) ? 'X' : '.');
        return out;
    }

    std::string ItemMarks() {
        std::string out;
        for (int i = 0; i < 3; ++i) out.push_back(level[i]->Checked() ? 'X' : '.');
        out.push_back(onTop->Checked() ? 'X' : '.');
        return out;
    }

    PopupMenu menu;
    MenuItem* transparent = nullptr;
    MenuItem* level[3] = {};
    MenuItem* onTop = nullptr;
    std::vector<std::pair<int, bool>> clicks;  // (item, its mark as the handler saw it)
};

TEST_F(MenuTest, DesignMarksShowInTheSystemMenus) {
    EXPECT_EQ(Marks(), ".X.X");
    EXPECT_EQ(ItemMarks(), ".X.X");
    EXPECT_TRUE(TypeOf(transparent->Handle(), 0) & MFT_RADIOCHECK);
    EXPECT_FALSE(TypeOf(menu.Handle(), 1) & MFT_RADIOCHECK);
    EXPECT_EQ(::GetSubMenu(menu.Handle(), 0), transparent->Handle());
}

TEST_F(MenuTest, ChoosingARadioItemMovesTheMarkBeforeItsHandlerRuns) {
    level[2]->Click();
    EXPECT_EQ(ItemMarks(), "..XX");
    EXPECT_EQ(Marks(), "..XX");
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0], std::make_pair(2, true));
}

TEST_F(MenuTest, ChoosingTheMarkedRadioItemClearsItAndStillRunsItsHandler) {
    level[1]->Click();
    EXPECT_EQ(ItemMarks(), "...X");
    EXPECT_EQ(Marks(), "...X");
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0], std::make_pair(1, false));
}

TEST_F(MenuTest, AutoCheckInvertsThePlainItemBothWays) {
    onTop->Click();
    EXPECT_EQ(Marks(), ".X..");
    onTop->Click();
    EXPECT_EQ(Marks(), ".X.X");
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[0], std::make_pair(9, false));
    EXPECT_EQ(clicks[1], std::make_pair(9, true));
}

TEST_F(MenuTest, MarksSetFromCodeRunNoHandler) {
    level[0]->SetChecked(true);
    EXPECT_EQ(Marks(), "X..X");
    onTop->SetChecked(false);
    EXPECT_EQ(Marks(), "X...");
    EXPECT_TRUE(clicks.empty());
}

TEST_F(MenuTest, RadioGroupsAreScopedByParentAndGroupIndex) {
    // Radio items of the same group under another parent keep their marks.
    MenuItem& other = menu.Items().Add(L"Other");
    MenuItem& a = other.Add(L"a");
    a.SetRadioItem(true);
    a.SetGroupIndex(1);
    a.SetChecked(true);
    level[0]->SetChecked(true);
    EXPECT_TRUE(a.Checked());
    // A second group under the same parent is separate too.
    MenuItem& b = transparent->Add(L"b");
    b.SetRadioItem(true);
    b.SetGroupIndex(2);
    b.SetChecked(true);
    EXPECT_TRUE(level[0]->Checked());
    EXPECT_TRUE(b.Checked());
}

TEST(MenuItems, CaptionsDefaultDisabledAndSeparators) {
    PopupMenu menu;
    MenuItem& about = menu.Items().Add(L"About...");
    about.SetDefault(true);
    MenuItem& sub = menu.Items().Add(L"Download");
    MenuItem& heading = sub.Add(L"   >>> Software <<<");
    heading.SetEnabled(false);
    sub.Add(L"-");
    sub.Add(L"Tockwise");
    menu.Items().Add(L"-");
    menu.Items().Add(L"Exit");

    EXPECT_EQ(::GetMenuItemCount(menu.Handle()), 4);
    EXPECT_EQ(TextOf(menu.Handle(), 0), L"About...");
    EXPECT_EQ(::GetMenuDefaultItem(menu.Handle(), TRUE, 0), 0u);
    EXPECT_TRUE(StateOf(menu.Handle(), 0) & MFS_DEFAULT);
    HMENU s = ::GetSubMenu(menu.Handle(), 1);
    ASSERT_EQ(s, sub.Handle());
    EXPECT_EQ(::GetMenuItemCount(s), 3);
    EXPECT_EQ(TextOf(s, 0), L"   >>> Software <<<");
    EXPECT_TRUE(StateOf(s, 0) & MFS_DISABLED);
    EXPECT_TRUE(TypeOf(s, 1) & MFT_SEPARATOR);
    EXPECT_TRUE(TypeOf(menu.Handle(), 2) & MFT_SEPARATOR);
    EXPECT_EQ(TextOf(menu.Handle(), 3), L"Exit");

    // The item found by the command the system menu returns is the item itself.
    EXPECT_EQ(menu.Items().FindCommand(::GetMenuItemID(s, 2)), &sub[2]);
}

TEST(MenuItems, ItemsBuiltBeforeJoiningAParentKeepTheirSubmenu) {
    PopupMenu menu;
    auto detached = std::make_unique<MenuItem>();
    detached->SetCaption(L"Transparent");
    detached->Add(L"0%");
    detached->Add(L"10%");
    HMENU sub = detached->Handle();
    menu.Items().Add(std::move(detached));
    EXPECT_EQ(::GetSubMenu(menu.Handle(), 0), sub);
    EXPECT_EQ(::GetMenuItemCount(sub), 2);
}

} // namespace
} // namespace plat
