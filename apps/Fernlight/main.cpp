// Fernlight: the tree window.
#include <windows.h>

#include "platform/win32/application.h"
#include "platform/win32/form.h"

namespace {

class TfrmMain : public plat::Form {
public:
    TfrmMain() : plat::Form(L"TfrmMain") {
        SetBounds(0, 0, 200, 250);
    }

protected:
    void Paint(plat::Canvas& canvas) override {
        RECT r{0, 0, Width(), Height()};
        canvas.FillRect(r, RGB(24, 92, 48));
    }
};

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    plat::Application app;
    TfrmMain form;
    app.SetMainForm(&form);
    form.Handle();
    return app.Run();
}
