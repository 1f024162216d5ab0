#pragma once
// Stand-in for a tree's renderer until the real one is bound: it gives the window the
// tree's size at the points of the show sequence where the real renderers do, records
// the applied opacity level (and for the animated trees applies it as whole-window
// alpha) and paints a plain surface. Where the description has a
// view ("Gif"), a plain child control takes its place, with its popup menu, its press
// handler and its hint, so that the shell works the same way over it.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "platform/win32/control.h"
#include "platform/win32/form.h"
#include "platform/win32/resource_stream.h"
#include "platform/win32/text.h"
#include "shell/frm_main_win32.h"
#include "shell/renderer.h"

namespace apps {

inline constexpr COLORREF kPlaceholderColor = RGB(24, 92, 48);

class PlaceholderView : public plat::Control {
public:
    explicit PlaceholderView(plat::Form& parent) : plat::Control(parent, L"TPlaceholderView") {}

protected:
    void Paint(plat::Canvas& canvas) override {
        RECT r{0, 0, Width(), Height()};
        canvas.FillRect(r, kPlaceholderColor);
    }
};

class PlaceholderRenderer : public shell::Renderer {
public:
    enum class Sizing {
        FromPng,   // the window takes the PNG's size at creation
        FromView,  // the width of the view before the load, its height after
    };
    explicit PlaceholderRenderer(Sizing sizing) : sizing_(sizing) {}

    int Level() const { return level_; }

    void Created(shell::TfrmMain& form) override {
        if (sizing_ == Sizing::FromPng) {
            int w = 0, h = 0;
            if (PngSize(w, h)) form.SetBounds(form.Left(), form.Top(), w, h);
            return;
        }
        if (const auto* d = View(form)) {
            view_ = std::make_unique<PlaceholderView>(form);
            view_->SetBounds(int(d->Int("Left", 0)), int(d->Int("Top", 0)), int(d->Int("Width", 0)),
                             int(d->Int("Height", 0)));
            view_->SetPopupMenu(form.PopupMenuNamed(d->Text("PopupMenu", "")));
            if (auto handler = form.MouseDownNamed(d->Text("OnMouseDown", "")))
                view_->OnMouseDown = [handler](plat::Control& sender, plat::MouseButton b, WPARAM k, int x,
                                               int y) { handler(&sender, b, k, x, y); };
            view_->SetShowHint(d->Bool("ShowHint", false));
            view_->CreateHandle();
        }
    }
    void BeforeLoadSettings(shell::TfrmMain& form) override {
        if (const auto* d = View(form)) form.SetWidth(int(d->Int("Width", form.Width())));
    }
    void AfterLoadSettings(shell::TfrmMain& form) override {
        if (const auto* d = View(form)) {
            form.SetWidth(int(d->Int("Width", form.Width())));
            form.SetHeight(int(d->Int("Height", form.Height())));
        }
    }
    void ApplyLevel(shell::TfrmMain& form, int level) override {
        level_ = level;
        // The animated trees' opacity is the form's own alpha blending: off for level 0,
        // 255 - 25 * level otherwise.
        if (sizing_ != Sizing::FromView) return;
        if (level == 0) {
            form.SetAlphaBlend(false);
        } else {
            form.SetAlphaBlend(true);
            form.SetAlphaBlendValue(BYTE(255 - 25 * level));
        }
    }
    void Paint(shell::TfrmMain& form, plat::Canvas& canvas) override {
        RECT r{0, 0, form.Width(), form.Height()};
        canvas.FillRect(r, kPlaceholderColor);
    }
    void Destroying(shell::TfrmMain&) override { view_.reset(); }

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
        auto be = [](const std::uint8_t* b) {
            return int(std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 | std::uint32_t(b[2]) << 8 | b[3]);
        };
        w = be(p);
        h = be(p + 4);
        return w > 0 && h > 0;
    }

    Sizing sizing_;
    int level_ = -1;
    std::unique_ptr<PlaceholderView> view_;
};

} // namespace apps
