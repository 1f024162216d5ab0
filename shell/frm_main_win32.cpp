#include "shell/frm_main_win32.h"

#include <shellapi.h>

#include <functional>
#include <map>

#include "platform/error.h"
#include "platform/win32/application.h"
#include "platform/win32/resource_stream.h"
#include "platform/win32/text.h"
#include "shell/placement.h"

#ifndef TREE_LINK_BASE
#error "TREE_LINK_BASE must name the base address of the web links"
#endif

namespace shell {

TfrmMain* frmMain = nullptr;

namespace {

using MenuHandler = void (TfrmMain::*)(plat::MenuItem*);

// Menu handlers by the names the form description binds them with.
const std::map<std::string, MenuHandler, std::less<>>& MenuHandlers() {
    static const std::map<std::string, MenuHandler, std::less<>> handlers = {
        {"pmiAboutClick", &TfrmMain::pmiAboutClick},
        {"pmiDialcraftClick", &TfrmMain::pmiDialcraftClick},
        {"pmiClockInfoClick", &TfrmMain::pmiClockInfoClick},
        {"pmiOnTopClick", &TfrmMain::pmiOnTopClick},
        {"pmiAddClick", &TfrmMain::pmiAddClick},
        {"pmiExitClick", &TfrmMain::pmiExitClick},
        {"pmi0Click", &TfrmMain::pmi0Click},
        {"pmi10Click", &TfrmMain::pmi10Click},
        {"pmi20Click", &TfrmMain::pmi20Click},
        {"pmi30Click", &TfrmMain::pmi30Click},
        {"pmi40Click", &TfrmMain::pmi40Click},
        {"pmi50Click", &TfrmMain::pmi50Click},
        {"pmi60Click", &TfrmMain::pmi60Click},
        {"pmi70Click", &TfrmMain::pmi70Click},
        {"pmi80Click", &TfrmMain::pmi80Click},
        {"pmi90Click", &TfrmMain::pmi90Click},
    };
    return handlers;
}

std::wstring Text(const plat::form::Component& c, std::string_view property) {
    return plat::Widen(c.Text(property, ""));
}

void AddItems(TfrmMain& form, plat::MenuItem& parent, const plat::form::Component& source) {
    for (const auto& child : source.children) {
        if (child.className != "TMenuItem") continue;
        auto item = std::make_unique<plat::MenuItem>();
        item->Name = child.name;
        item->SetCaption(Text(child, "Caption"));
        item->SetDefault(child.Bool("Default", false));
        item->SetEnabled(child.Bool("Enabled", true));
        item->SetAutoCheck(child.Bool("AutoCheck", false));
        item->SetRadioItem(child.Bool("RadioItem", false));
        item->SetGroupIndex(int(child.Int("GroupIndex", 0)));
        std::string handler = child.Text("OnClick", "");
        if (!handler.empty()) {
            auto it = MenuHandlers().find(handler);
            if (it == MenuHandlers().end())
                throw plat::Error("Method " + handler + " not found");
            MenuHandler method = it->second;
            item->OnClick = [&form, method](plat::MenuItem& sender) { (form.*method)(&sender); };
        }
        bool checked = child.Bool("Checked", false);
        plat::MenuItem& added = parent.Add(std::move(item));
        // Marked once in place, so that the radio rule sees its siblings.
        if (checked) added.SetChecked(true);
        AddItems(form, added, child);
    }
}

} // namespace

plat::form::Component LoadFormDescription() {
    plat::ResourceStream stream(L"TFRMMAIN");
    return plat::form::ReadForm(stream.Memory(), stream.Size());
}

Measures CurrentMeasures() {
    Measures m;
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    m.workWidth = work.right - work.left;
    m.workHeight = work.bottom - work.top;
    m.screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    m.screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    return m;
}

TfrmMain::TfrmMain(const TreeProfile& profile, Renderer& renderer, plat::form::Component description)
    : plat::Form(plat::Widen(description.className.empty() ? "TfrmMain" : description.className)),
      profile_(profile),
      renderer_(renderer),
      description_(std::move(description)) {
    frmMain = this;
    const auto& d = description_;
    // A form without frame: its client size is its size.
    SetBounds(int(d.Int("Left", 0)), int(d.Int("Top", 0)), int(d.Int("ClientWidth", d.Int("Width", 0))),
              int(d.Int("ClientHeight", d.Int("Height", 0))));
    SetCaption(Text(d, "Caption"));
    SetAlphaBlendValue(BYTE(d.Int("AlphaBlendValue", 255)));
    SetAlphaBlend(d.Bool("AlphaBlend", false));
    hasOnShow_ = d.Text("OnShow", "") == "FormShow";
    hasOnCloseQuery_ = d.Text("OnCloseQuery", "") == "FormCloseQuery";
    hasOnMouseDown_ = d.Text("OnMouseDown", "") == "FormMouseDown";

    BuildMenu();
    if (d.Text("PopupMenu", "") == "PopupMenu") SetPopupMenu(&PopupMenu);
    CreateHandle();
}

TfrmMain::~TfrmMain() {
    Destroy();
    if (frmMain == this) frmMain = nullptr;
}

void TfrmMain::BuildMenu() {
    if (const auto* menu = description_.FindComponent("PopupMenu")) AddItems(*this, PopupMenu.Items(), *menu);
    pmiAbout = PopupMenu.Find("pmiAbout");
    pmiDialcraft = PopupMenu.Find("pmiDialcraft");
    pmiClockInfo = PopupMenu.Find("pmiClockInfo");
    pmiOnTop = PopupMenu.Find("pmiOnTop");
    pmiStartUp = PopupMenu.Find("pmiStartUp");
    pmiAdd = PopupMenu.Find("pmiAdd");
    pmiExit = PopupMenu.Find("pmiExit");
    for (int n = 0; n < kLevels; ++n) {
        pmiLevel[size_t(n)] = PopupMenu.Find("pmi" + std::to_string(n * 10));
        if (!pmiLevel[size_t(n)]) throw plat::Error("Menu item pmi" + std::to_string(n * 10) + " not found");
    }
    if (!pmiOnTop || !pmiStartUp) throw plat::Error("Menu items pmiOnTop and pmiStartUp not found");
}

void TfrmMain::CreateParams(plat::CreateParams& params) { renderer_.CreateParams(*this, params); }

void TfrmMain::DoCreate() { renderer_.Created(*this); }

void TfrmMain::DoShow() {
    if (hasOnShow_) FormShow(this);
}

void TfrmMain::DoCloseQuery(bool& canClose) {
    if (hasOnCloseQuery_) FormCloseQuery(this, canClose);
}

void TfrmMain::DoDestroy() { renderer_.Destroying(*this); }

void TfrmMain::Paint(plat::Canvas& canvas) { renderer_.Paint(*this, canvas); }

void TfrmMain::MouseDown(plat::MouseButton button, WPARAM keys, int x, int y) {
    if (hasOnMouseDown_) FormMouseDown(this, button, keys, x, y);
}

void TfrmMain::FormShow(plat::Form*) {
    renderer_.BeforeLoadSettings(*this);
    LoadSettings();
    // No taskbar button: the application window that carries it goes away.
    if (auto* app = plat::Application::Instance()) ::ShowWindow(app->Handle(), SW_HIDE);
    renderer_.AfterLoadSettings(*this);
    // Owned by the desktop, the tree stays when other windows are minimised.
    ::SetWindowLongPtrA(Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(::GetDesktopWindow()));
}

TfrmMain::MouseDownHandler TfrmMain::MouseDownNamed(std::string_view name) {
    if (name == "FormMouseDown")
        return [this](void* s, plat::MouseButton b, WPARAM k, int x, int y) { FormMouseDown(s, b, k, x, y); };
    if (name == "GifMouseDown")
        return [this](void* s, plat::MouseButton b, WPARAM k, int x, int y) { GifMouseDown(s, b, k, x, y); };
    return {};
}

plat::PopupMenu* TfrmMain::PopupMenuNamed(std::string_view name) {
    return name == "PopupMenu" ? &PopupMenu : nullptr;
}

void TfrmMain::FormMouseDown(void*, plat::MouseButton, WPARAM, int, int) {
    ::ReleaseCapture();
    frmMain->Perform(WM_SYSCOMMAND, 0xF012, 0);  // move, as if the caption were dragged
}

void TfrmMain::GifMouseDown(void* sender, plat::MouseButton button, WPARAM shift, int x, int y) {
    FormMouseDown(sender, button, shift, x, y);
}

void TfrmMain::FormCloseQuery(plat::Form*, bool&) { SaveSettings(); }

void TfrmMain::OpenLink(std::string_view tag) {
    std::wstring address = plat::Widen(LinkAddress(TREE_LINK_BASE, tag));
    ::ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
}

void TfrmMain::pmiAboutClick(plat::MenuItem*) { OpenLink(profile_.AboutTag); }
void TfrmMain::pmiDialcraftClick(plat::MenuItem*) { OpenLink(profile_.DownloadTag); }
void TfrmMain::pmiClockInfoClick(plat::MenuItem*) { OpenLink(profile_.DownloadTag); }

void TfrmMain::pmiOnTopClick(plat::MenuItem*) {
    ::SetWindowPos(Handle(), pmiOnTop->Checked() ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE);
}

void TfrmMain::pmiAddClick(plat::MenuItem*) {
    // Wide calls, so that a folder the ANSI code page cannot spell still works.
    std::wstring cmd = ExtraTreeCommandLine(plat::ModuleFileName());
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION pi{};
    if (::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
}

void TfrmMain::pmiExitClick(plat::MenuItem*) { Close(); }

void TfrmMain::ApplyLevel(int level) {
    renderer_.ApplyLevel(*this, level);
    appliedLevel_ = level;
}

void TfrmMain::LevelClick(int level) {
    static constexpr MenuHandler kHandlers[kLevels] = {
        &TfrmMain::pmi0Click,  &TfrmMain::pmi10Click, &TfrmMain::pmi20Click, &TfrmMain::pmi30Click,
        &TfrmMain::pmi40Click, &TfrmMain::pmi50Click, &TfrmMain::pmi60Click, &TfrmMain::pmi70Click,
        &TfrmMain::pmi80Click, &TfrmMain::pmi90Click};
    (this->*kHandlers[level])(nullptr);
}

} // namespace shell
