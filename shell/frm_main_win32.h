#pragma once
// The main form every tree shares: built from the form description, it carries the
// popup menu and its commands, dragging, the show sequence and the close path, and
// hands drawing and opacity to the program's renderer.
#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "platform/form/form.h"
#include "platform/win32/form.h"
#include "platform/win32/menu.h"
#include "shell/placement.h"
#include "shell/profile.h"
#include "shell/renderer.h"
#include "shell/settings_rules.h"

namespace shell {

class TfrmMain : public plat::Form {
public:
    // Builds the form from its description and creates its window (which runs the
    // renderer's creation step).
    TfrmMain(const TreeProfile& profile, Renderer& renderer, plat::form::Component description);
    ~TfrmMain() override;

    const TreeProfile& Profile() const { return profile_; }
    const plat::form::Component& Description() const { return description_; }
    Renderer& GetRenderer() const { return renderer_; }

    // Components of the description.
    plat::PopupMenu PopupMenu;
    plat::MenuItem* pmiAbout = nullptr;
    plat::MenuItem* pmiDialcraft = nullptr;
    plat::MenuItem* pmiClockInfo = nullptr;
    std::array<plat::MenuItem*, kLevels> pmiLevel{};  // pmi0, pmi10, ... pmi90
    plat::MenuItem* pmiOnTop = nullptr;
    plat::MenuItem* pmiStartUp = nullptr;
    plat::MenuItem* pmiAdd = nullptr;
    plat::MenuItem* pmiExit = nullptr;

    // Event handlers; the sender is null when they are called directly.
    void FormShow(plat::Form* sender);
    void FormMouseDown(void* sender, plat::MouseButton button, WPARAM shift, int x, int y);
    void GifMouseDown(void* sender, plat::MouseButton button, WPARAM shift, int x, int y);
    void FormCloseQuery(plat::Form* sender, bool& canClose);
    void pmiAboutClick(plat::MenuItem* sender);
    void pmiDialcraftClick(plat::MenuItem* sender);
    void pmiClockInfoClick(plat::MenuItem* sender);
    void pmiOnTopClick(plat::MenuItem* sender);
    void pmiAddClick(plat::MenuItem* sender);
    void pmiExitClick(plat::MenuItem* sender);
    void pmi0Click(plat::MenuItem* s) { ApplyLevel(0); }
    void pmi10Click(plat::MenuItem* s) { ApplyLevel(1); }
    void pmi20Click(plat::MenuItem* s) { ApplyLevel(2); }
    void pmi30Click(plat::MenuItem* s) { ApplyLevel(3); }
    void pmi40Click(plat::MenuItem* s) { ApplyLevel(4); }
    void pmi50Click(plat::MenuItem* s) { ApplyLevel(5); }
    void pmi60Click(plat::MenuItem* s) { ApplyLevel(6); }
    void pmi70Click(plat::MenuItem* s) { ApplyLevel(7); }
    void pmi80Click(plat::MenuItem* s) { ApplyLevel(8); }
    void pmi90Click(plat::MenuItem* s) { ApplyLevel(9); }

    void LoadSettings();
    void SaveSettings();

    // Handlers of the description, for components a renderer builds (the view "Gif"):
    // the mouse-down handler of that name and the popup menu of that name, or empty.
    using MouseDownHandler = std::function<void(void* sender, plat::MouseButton, WPARAM, int, int)>;
    MouseDownHandler MouseDownNamed(std::string_view name);
    plat::PopupMenu* PopupMenuNamed(std::string_view name);

    // The opacity level applied last, -1 before any.
    int AppliedLevel() const { return appliedLevel_; }
    // Runs the click handler of Transparent item n directly.
    void LevelClick(int level);

protected:
    void CreateParams(plat::CreateParams& params) override;
    void DoCreate() override;
    void DoShow() override;
    void DoCloseQuery(bool& canClose) override;
    void DoDestroy() override;
    void Paint(plat::Canvas& canvas) override;
    void MouseDown(plat::MouseButton button, WPARAM keys, int x, int y) override;

private:
    void ApplyLevel(int level);
    void BuildMenu();
    void OpenLink(std::string_view tag);

    const TreeProfile& profile_;
    Renderer& renderer_;
    plat::form::Component description_;
    int appliedLevel_ = -1;
    bool hasOnShow_ = false, hasOnCloseQuery_ = false, hasOnMouseDown_ = false;
};

// The one main form of the program.
extern TfrmMain* frmMain;

// The form description compiled into the executable (RCDATA "TFRMMAIN").
plat::form::Component LoadFormDescription();

// The measures that placement uses: the work area's extents and the primary screen.
Measures CurrentMeasures();

} // namespace shell
