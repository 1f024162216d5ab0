#pragma once
// Stand-in for a tree's renderer until the real one is bound: it gives the window the
// tree's size at the points of the show sequence where the real renderers do, records
// the applied opacity level and paints a plain surface.
#include <windows.h>

#include <cstdint>

#include "platform/win32/form.h"
#include "platform/win32/resource_stream.h"
#include "shell/frm_main_win32.h"
#include "shell/renderer.h"

namespace apps {

class PlaceholderRenderer : public shell::Renderer {
public:
    enum class Sizing {
        FromPng,   // the window takes the PNG's size at creation
        FromView,  // the width of the view before the load, its height after
    };
    explicit PlaceholderRenderer(Sizing sizing) : sizing_(sizing) {}

    int Level() const { return level_; }

    void Created(shell::TfrmMain& form) override {
        if (sizing_ != Sizing::FromPng) return;
        int w = 0, h = 0;
        if (PngSize(w, h)) form.SetBounds(form.Left(), form.Top(), w, h);
    }
    void BeforeLoadSettings(shell::TfrmMain& form) override {
        if (const auto* view = View(form)) form.SetWidth(int(view->Int("Width", form.Width())));
    }
    void AfterLoadSettings(shell::TfrmMain& form) override {
        if (const auto* view = View(form)) {
            form.SetWidth(int(view->Int("Width", form.Width())));
            form.SetHeight(int(view->Int("Height", form.Height())));
        }
    }
    void ApplyLevel(shell::TfrmMain&, int level) override { level_ = level; }
    void Paint(shell::TfrmMain& form, plat::Canvas& canvas) override {
        RECT r{0, 0, form.Width(), form.Height()};
        canvas.FillRect(r, RGB(24, 92, 48));
    }

private:
    const plat::form::Component* View(shell::TfrmMain& form) const {
        return sizing_ == Sizing::FromView ? form.Description().FindComponent("Gif") : nullptr;
    }
    // Width and height from the IHDR chunk of the embedded PNG.
    static bool PngSize(int& w, int& h) {
        if (!plat::ResourceStream::Exists(L"PNG")) return false;
        plat::ResourceStream png(L"PNG");
        if (png.Size() < 24) return false;
        const std::uint8_t* p = png.Memory() + 16;
        auto be = [](const std::uint8_t* b) { return int(b[0]) << 24 | int(b[1]) << 16 | int(b[2]) << 8 | int(b[3]); };
        w = be(p);
        h = be(p + 4);
        return w > 0 && h > 0;
    }

    Sizing sizing_;
    int level_ = -1;
};

} // namespace apps
