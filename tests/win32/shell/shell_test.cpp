#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/win32/application.h"
#include "platform/win32/registry.h"
#include "shell/frm_main_win32.h"
#include "shell/placement.h"
#include "test_keys.h"

namespace shell {
namespace {

// Records what the shell asks of a renderer, and sizes the form as the animated one does.
class RecordingRenderer : public Renderer {
public:
    std::vector<std::string> calls;
    int viewWidth = 190, viewHeight = 225;
    int heightAtLoad = -1;

    void BeforeLoadSettings(TfrmMain& f) override {
        calls.push_back("before");
        f.SetWidth(viewWidth);
    }
    void AfterLoadSettings(TfrmMain& f) override {
        calls.push_back("after");
        f.SetWidth(viewWidth);
        f.SetHeight(viewHeight);
    }
    void ApplyLevel(TfrmMain& f, int level) override {
        calls.push_back("level " + std::to_string(level));
        heightAtLoad = f.Height();
    }
};

class ShellTest : public testing::Test {
protected:
    void SetUp() override {
        settingsKey_ = testing_keys::UniqueKey(L"shell");
        runName_ = L"TreeTest" + std::to_wstring(::GetCurrentProcessId());
        profile_ = TreeProfile{settingsKey_, runName_, "abouttag", "downtag", RendererKind::AnimatedGif};
        DeleteRunValue();
        app_ = std::make_unique<plat::Application>();
    }
    void TearDown() override {
        form_.reset();
        app_.reset();
        testing_keys::RemoveKey(settingsKey_);
        DeleteRunValue();
    }

    TfrmMain& Form() {
        if (!form_) form_ = std::make_unique<TfrmMain>(profile_, renderer_, LoadFormDescription());
        return *form_;
    }

    void Store(const wchar_t* name, int value) {
        plat::Registry reg;
        ASSERT_TRUE(reg.OpenKey(settingsKey_, true));
        reg.WriteInteger(name, value);
    }
    void StoreString(const char* name, const char* value) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, settingsKey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                    nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), DWORD(strlen(value) + 1));
        ::RegCloseKey(key);
    }
    bool Stored(const wchar_t* name, int& value) {
        plat::Registry reg;
        if (!reg.OpenKey(settingsKey_, false) || !reg.ValueExists(name)) return false;
        value = reg.ReadInteger(name);
        return true;
    }
    int StoredOr(const wchar_t* name, int fallback) {
        int v = fallback;
        Stored(name, v);
        return v;
    }
    std::wstring RunValue() {
        wchar_t buf[1024] = {};
        DWORD size = sizeof buf, type = 0;
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, std::wstring(kRunKey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return L"<none>";
        LONG rc = ::RegQueryValueExW(key, runName_.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
        ::RegCloseKey(key);
        if (rc != ERROR_SUCCESS) return L"<none>";
        return type == REG_SZ ? std::wstring(buf) : L"<type>";
    }
    void DeleteRunValue() { ::RegDeleteKeyValueW(HKEY_CURRENT_USER, std::wstring(kRunKey).c_str(), runName_.c_str()); }

    bool Topmost() { return (::GetWindowLongPtrW(Form().Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
    int MarkedLevel() {
        int marked = -1, count = 0;
        for (int n = 0; n < kLevels; ++n)
            if (Form().pmiLevel[size_t(n)]->Checked()) marked = n, ++count;
        return count > 1 ? -2 : marked;
    }
    std::string LoadError() {
        try {
            Form().LoadSettings();
        } catch (const plat::Error& e) {
            return e.what();
        }
        return "no error";
    }

    std::wstring settingsKey_, runName_;
    TreeProfile profile_{};
    RecordingRenderer renderer_;
    std::unique_ptr<plat::Application> app_;
    std::unique_ptr<TfrmMain> form_;
};

TEST_F(ShellTest, TheFormComesFromItsDescription) {
    TfrmMain& f = Form();
    EXPECT_EQ(frmMain, &f);
    EXPECT_EQ(f.Caption(), L"Orvella");
    EXPECT_EQ(f.Width(), 182);   // stored client size
    EXPECT_EQ(f.Height(), 223);
    EXPECT_TRUE(::GetWindowLongPtrW(f.Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);  // AlphaBlend, 225
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(f.Handle(), nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 225);
    EXPECT_EQ(::GetWindow(f.Handle(), GW_OWNER), app_->Handle());

    // The menu, in order, with its design marks.
    HMENU m = f.PopupMenu.Handle();
    std::vector<std::wstring> captions;
    for (int i = 0; i < ::GetMenuItemCount(m); ++i) {
        wchar_t buf[128] = {};
        ::GetMenuStringW(m, UINT(i), buf, 128, MF_BYPOSITION);
        captions.push_back(buf);
    }
    EXPECT_EQ(captions, (std::vector<std::wstring>{L"About...", L"Download", L"", L"Transparent", L"OnTop",
                                                   L"StartUp", L"Add Xmas tree", L"", L"Exit"}));
    EXPECT_EQ(::GetMenuDefaultItem(m, TRUE, 0), 0u);
    EXPECT_EQ(MarkedLevel(), 1);
    EXPECT_TRUE(f.pmiOnTop->Checked());
    EXPECT_TRUE(f.pmiStartUp->Checked());
    plat::MenuItem* heading = f.PopupMenu.Find("Software1");
    ASSERT_NE(heading, nullptr);
    EXPECT_FALSE(heading->Enabled());
    EXPECT_EQ(heading->Caption(), std::wstring(22, L' ') + L">>> Software <<<");
}

TEST_F(ShellTest, FirstRunPlacesBottomRightRegistersAndAppliesTheDefaults) {
    TfrmMain& f = Form();
    f.Show();  // runs FormShow: the renderer's steps around LoadSettings
    Measures m = CurrentMeasures();
    EXPECT_EQ(renderer_.calls, (std::vector<std::string>{"before", "level 1", "after"}));
    // Placed with the view's width and the stored height; the final height comes after.
    EXPECT_EQ(renderer_.heightAtLoad, 223);
    EXPECT_EQ(f.Left(), m.workWidth - 190 - 5);
    EXPECT_EQ(f.Top(), m.workHeight - 223);
    EXPECT_EQ(f.Height(), 225);
    EXPECT_EQ(RunValue(), plat::ModuleFileName());
    EXPECT_TRUE(f.pmiStartUp->Checked());
    EXPECT_EQ(MarkedLevel(), 1);
    EXPECT_TRUE(Topmost());
    // No taskbar button, and the desktop owns the tree.
    EXPECT_FALSE(::IsWindowVisible(app_->Handle()));
    EXPECT_EQ(::GetWindow(f.Handle(), GW_OWNER), ::GetDesktopWindow());
    // The first load already created the settings key, empty.
    int v = 0;
    EXPECT_FALSE(Stored(L"Top", v));
}

TEST_F(ShellTest, OnlyTopStoredIsAFirstRunAndRegistersAgain) {
    Store(L"Top", 100);
    Form().LoadSettings();
    Measures m = CurrentMeasures();
    EXPECT_EQ(Form().Left(), m.workWidth - Form().Width() - 5);
    EXPECT_EQ(Form().Top(), m.workHeight - Form().Height());
    EXPECT_EQ(RunValue(), plat::ModuleFileName());
}

TEST_F(ShellTest, AStoredPositionIsUsedAndPulledBackOnlyBeyondTheBounds) {
    const int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN);
    struct { int left, top, expLeft, expTop; } cases[] = {
        {-70, -140, -70, -140}, {-71, -141, 550, 350}, {sw - 30, sh - 30, sw - 30, sh - 30},
        {sw - 29, 10, 550, 10}, {10, sh - 29, 10, 350}, {-71, 0, 550, 0}, {0, -141, 0, 350},
    };
    for (const auto& c : cases) {
        Store(L"Left", c.left);
        Store(L"Top", c.top);
        form_.reset();
        Form().LoadSettings();
        EXPECT_EQ(Form().Left(), c.expLeft) << c.left << "," << c.top;
        EXPECT_EQ(Form().Top(), c.expTop) << c.left << "," << c.top;
    }
    EXPECT_EQ(RunValue(), L"<none>");  // not a first run: nothing registered
    EXPECT_FALSE(Form().pmiStartUp->Checked());
}

TEST_F(ShellTest, StoredLevelAndOnTop) {
    struct { int trVal; int applied; int marked; } cases[] = {
        {9, 9, 9}, {0, 0, 0}, {256, 0, 0}, {10, -1, 1}, {255, -1, 1}, {-1, -1, 1}};
    Store(L"Left", 10);
    Store(L"Top", 10);
    for (const auto& c : cases) {
        Store(L"TrVal", c.trVal);
        form_.reset();
        renderer_.calls.clear();
        Form().LoadSettings();
        std::vector<std::string> expected;
        if (c.applied >= 0) expected.push_back("level " + std::to_string(c.applied));
        EXPECT_EQ(renderer_.calls, expected) << c.trVal;
        EXPECT_EQ(MarkedLevel(), c.marked) << c.trVal;
    }
    Store(L"OnTop", 0);
    form_.reset();
    Form().LoadSettings();
    EXPECT_FALSE(Form().pmiOnTop->Checked());
    EXPECT_FALSE(Topmost());
    Store(L"OnTop", 7);
    form_.reset();
    Form().LoadSettings();
    EXPECT_TRUE(Topmost());
}

TEST_F(ShellTest, AWrongTypeStopsTheLoadWhereItIs) {
    Store(L"OnTop", 0);
    Store(L"Left", 400);
    Store(L"Top", 300);
    StoreString("TrVal", "abc");
    TfrmMain& f = Form();
    int left = f.Left(), top = f.Top();
    EXPECT_EQ(LoadError(), "Invalid data type for 'TrVal'");
    EXPECT_FALSE(f.pmiOnTop->Checked());  // done before the failing value
    EXPECT_TRUE(Topmost() == false);       // not applied: the load stopped first
    EXPECT_EQ(f.Left(), left);             // not placed yet
    EXPECT_EQ(f.Top(), top);
    EXPECT_TRUE(renderer_.calls.empty());

    StoreString("TrVal", "abcd");
    form_.reset();
    EXPECT_EQ(LoadError(), "Failed to get data for 'TrVal'");

    // A failing Left leaves the Top that was applied before it.
    Store(L"TrVal", 2);
    StoreString("Left", "x");
    form_.reset();
    EXPECT_EQ(LoadError(), "Invalid data type for 'Left'");
    EXPECT_EQ(Form().Top(), 300);
}

TEST_F(ShellTest, SaveWritesTheMarksAndThePosition) {
    TfrmMain& f = Form();
    f.SetBounds(-20, 33, f.Width(), f.Height());
    f.pmiLevel[4]->SetChecked(true);
    f.pmiOnTop->SetChecked(false);
    f.pmiStartUp->SetChecked(true);
    f.SaveSettings();
    EXPECT_EQ(StoredOr(L"OnTop", -9), 0);
    EXPECT_EQ(StoredOr(L"TrVal", -9), 4);
    EXPECT_EQ(StoredOr(L"Top", -9), 33);
    EXPECT_EQ(StoredOr(L"Left", -9), -20);
    EXPECT_EQ(RunValue(), plat::ModuleFileName());

    f.pmiStartUp->SetChecked(false);
    f.pmiOnTop->SetChecked(true);
    f.SaveSettings();
    EXPECT_EQ(RunValue(), L"<none>");
    EXPECT_EQ(StoredOr(L"OnTop", -9), 1);
    f.SaveSettings();  // deleting a missing value is silent
}

TEST_F(ShellTest, ChoosingTheMarkedLevelAgainSavesTheLevelAppliedNow) {
    Store(L"Left", 10);
    Store(L"Top", 10);
    Store(L"TrVal", 6);
    TfrmMain& f = Form();
    f.LoadSettings();
    f.pmiLevel[6]->Click();  // the marked item: none is marked now, level 6 applied again
    EXPECT_EQ(MarkedLevel(), -1);
    EXPECT_EQ(renderer_.calls.back(), "level 6");
    f.SaveSettings();
    EXPECT_EQ(StoredOr(L"TrVal", -9), 6);
}

TEST_F(ShellTest, AFailedWriteAbandonsTheSaveAndTheClose) {
    Store(L"TrVal", 3);
    ASSERT_TRUE(testing_keys::MakeReadOnly(settingsKey_));
    TfrmMain& f = Form();
    try {
        f.SaveSettings();
        ADD_FAILURE() << "no error";
    } catch (const plat::Error& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'OnTop'");
    }
    // Through the close query the close is abandoned as well.
    EXPECT_THROW(f.CloseQuery(), plat::Error);
    EXPECT_EQ(RunValue(), L"<none>");  // the Run key comes after: never reached
}

TEST_F(ShellTest, OnTopFromTheMenuBothWays) {
    TfrmMain& f = Form();
    f.Show();  // as in the program: owned by the desktop once shown
    ASSERT_TRUE(Topmost());
    f.pmiOnTop->Click();
    EXPECT_FALSE(f.pmiOnTop->Checked());
    EXPECT_FALSE(Topmost());
    f.pmiOnTop->Click();
    EXPECT_TRUE(Topmost());
}

} // namespace
} // namespace shell
