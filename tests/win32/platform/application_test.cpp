#include "platform/win32/application.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/error.h"
#include "platform/win32/form.h"

namespace plat {
namespace {

TEST(ApplicationTitle, FileNameUpToTheFirstDotRestInLowerCase) {
    struct {
        const wchar_t* path;
        const wchar_t* title;
    } cases[] = {
        {L"C:\\Trees\\Fernlight.exe", L"Fernlight"},
        {L"C:\\TREES\\GLIMMERLODE.EXE", L"Glimmerlode"},
        {L"C:\\Trees\\quorRISK.exe", L"quorrisk"},        // the first letter is left as it is
        {L"C:\\dotted.dir\\Vudododoz.v2.exe", L"Vudododoz"},
        {L"D:/slash/Tree", L"Tree"},
        {L"Tree.exe", L"Tree"},
        {L"C:\\\x0401\x041b\x041a\x0410.exe", L"\x0401\x043b\x043a\x0430"},
    };
    for (const auto& c : cases) EXPECT_EQ(Application::DefaultTitle(c.path), c.title);
}

TEST(ApplicationWindow, TitleAndTaskbarWindow) {
    Application app;
    EXPECT_EQ(Application::Instance(), &app);
    EXPECT_EQ(app.Title(), L"platform_win32_test");
    HWND h = app.Handle();
    ASSERT_TRUE(::IsWindow(h));
    wchar_t text[64] = {};
    ::GetWindowTextW(h, text, 64);
    EXPECT_EQ(std::wstring(text), app.Title());
    EXPECT_EQ(::GetWindow(h, GW_OWNER), nullptr);  // top-level, so it can carry a taskbar button
    RECT r{};
    ::GetWindowRect(h, &r);
    EXPECT_EQ(r.right - r.left, 0);
    EXPECT_EQ(r.bottom - r.top, 0);

    // Forms are owned by it.
    class F : public Form {} form;
    EXPECT_EQ(::GetWindow(form.Handle(), GW_OWNER), h);
}

// A form whose handler raises a platform error when it receives WM_APP.
class FailingForm : public Form {
public:
    int after = 0;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_APP) {
            throw Error("Failed to set data for 'Top'");
            ++after;  // never reached: the rest of the handler is skipped
        }
        if (msg == WM_APP + 1) ++after;
        return Form::WndProc(msg, wParam, lParam);
    }
};

// Finds a message box by caption, reads its text and presses OK on it.
struct BoxWatcher {
    std::wstring caption;
    std::wstring text;
    std::atomic<bool> found{false};
    std::thread thread;

    explicit BoxWatcher(std::wstring c) : caption(std::move(c)) {
        thread = std::thread([this] {
            DWORD start = ::GetTickCount();
            while (::GetTickCount() - start < 20000) {
                if (HWND box = ::FindWindowW(L"#32770", caption.c_str())) {
                    wchar_t buf[256] = {};
                    ::GetDlgItemTextW(box, 0xFFFF, buf, 256);  // the message text
                    text = buf;
                    found = true;
                    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                    return;
                }
                ::Sleep(20);
            }
        });
    }
    ~BoxWatcher() { thread.join(); }
};

TEST(ApplicationErrors, AnErrorInAHandlerShowsTheErrorBoxAndTheProgramCarriesOn) {
    Application app;
    app.SetTitle(L"TreeErrorBoxTest");
    FailingForm form;
    HWND h = form.Handle();
    {
        BoxWatcher watcher(L"TreeErrorBoxTest");
        ::SendMessageW(h, WM_APP, 0, 0);  // returns once the box was closed
        watcher.thread.join();
        watcher.thread = std::thread([] {});
        EXPECT_TRUE(watcher.found);
        EXPECT_EQ(watcher.text, L"Failed to set data for 'Top'");
    }
    EXPECT_EQ(form.after, 0);
    ::SendMessageW(h, WM_APP + 1, 0, 0);  // still handling messages
    EXPECT_EQ(form.after, 1);
}

TEST(ApplicationErrors, AnErrorWhileShowingIsReportedAndTheFormIsShownAllTheSame) {
    Application app;
    app.SetTitle(L"TreeShowErrorTest");
    class ShowFails : public Form {
    protected:
        void DoShow() override { throw Error("Invalid data type for 'TrVal'"); }
    } form;
    BoxWatcher watcher(L"TreeShowErrorTest");
    form.Show();
    watcher.thread.join();
    watcher.thread = std::thread([] {});
    EXPECT_TRUE(watcher.found);
    EXPECT_EQ(watcher.text, L"Invalid data type for 'TrVal'");
    EXPECT_TRUE(form.Visible());
}

TEST(ApplicationRun, ClosingTheMainFormEndsRunWithExitCodeZero) {
    Application app;
    class Main : public Form {
    public:
        int queries = 0;
        bool destroyed = false;

    protected:
        void DoShow() override { ::PostMessageW(WindowHandle(), WM_CLOSE, 0, 0); }
        void DoCloseQuery(bool&) override { ++queries; }
        void DoDestroy() override { destroyed = true; }
    } form;
    app.SetMainForm(&form);
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(form.queries, 1);
    EXPECT_TRUE(form.destroyed);
    EXPECT_FALSE(form.HandleAllocated());
}

} // namespace
} // namespace plat
