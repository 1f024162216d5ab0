// LoadSettings and SaveSettings: the tree's values under its settings key and its
// start-up value under the Run key, read at the first show and written at every close
// query. No call is guarded: a registry error ends the method where it happens, and
// what was done before stays done.
#include <cstdint>

#include "platform/win32/application.h"
#include "platform/win32/registry.h"
#include "platform/win32/runtime.h"
#include "shell/frm_main_win32.h"
#include "shell/placement.h"

namespace shell {

void TfrmMain::LoadSettings() {
    plat::Registry reg;
    reg.OpenKey(std::wstring(profile_.SettingsKey), true);
    if (reg.ValueExists(L"OnTop")) pmiOnTop->SetChecked(reg.ReadInteger(L"OnTop") != 0);

    std::uint8_t index = 1;
    if (reg.ValueExists(L"TrVal")) index = std::uint8_t(reg.ReadInteger(L"TrVal"));

    // Placement uses the size the form has now; the renderer may change it afterwards.
    const Measures m = CurrentMeasures();
    bool firstRun = false;
    if (IsExtraTree(plat::ParamStr(1))) {
        plat::Randomize();
        SetLeft(RandomBelow(m.workWidth - Width() - 5, plat::Random));
        SetTop(RandomBelow(m.workHeight - Height(), plat::Random));
    } else if (reg.ValueExists(L"Top") && reg.ValueExists(L"Left")) {
        SetTop(reg.ReadInteger(L"Top"));
        SetLeft(reg.ReadInteger(L"Left"));
        if (int left = CorrectLeft(Left(), m.screenWidth); left != Left()) SetLeft(left);
        if (int top = CorrectTop(Top(), m.screenHeight); top != Top()) SetTop(top);
    } else {
        Position p = FirstRunPosition(m, Width(), Height());
        SetLeft(p.left);
        SetTop(p.top);
        firstRun = true;
    }

    reg.CloseKey();
    reg.OpenKey(std::wstring(kRunKey), true);
    const std::wstring runName(profile_.RunValueName);
    if (firstRun) reg.WriteString(runName, plat::ModuleFileName());
    pmiStartUp->SetChecked(reg.ValueExists(runName));
    reg.CloseKey();

    for (int n = 0; n < kLevels; ++n) {
        if (index == n) {
            pmiLevel[size_t(n)]->SetChecked(true);
            LevelClick(n);
        }
    }
    pmiOnTopClick(nullptr);
}

void TfrmMain::SaveSettings() {
    std::array<bool, kLevels> marked{};
    for (int n = 0; n < kLevels; ++n) marked[size_t(n)] = pmiLevel[size_t(n)]->Checked();
    const int index = LevelToSave(marked, appliedLevel_);

    plat::Registry reg;
    reg.OpenKey(std::wstring(profile_.SettingsKey), true);
    reg.WriteInteger(L"OnTop", pmiOnTop->Checked() ? 1 : 0);
    reg.WriteInteger(L"TrVal", index);
    reg.WriteInteger(L"Top", Top());
    reg.WriteInteger(L"Left", Left());
    reg.CloseKey();

    reg.OpenKey(std::wstring(kRunKey), true);
    const std::wstring runName(profile_.RunValueName);
    if (pmiStartUp->Checked())
        reg.WriteString(runName, plat::ModuleFileName());
    else
        reg.DeleteValue(runName);  // a missing value is no error
    reg.CloseKey();
}

} // namespace shell
