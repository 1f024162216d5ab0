#pragma once
// The renderer of the animated trees: the view "Gif" playing the tree, the mask of
// "Image1" that cuts the window to the tree's outline, whole-window alpha blending at
// ten levels, the drop shadow, and the countdown hint refreshed by "Timer". Everything
// it builds comes from the form description, so the three trees are one program.
#include <windows.h>

#include <memory>

#include "platform/image/bitmap.h"
#include "platform/win32/gif_view.h"
#include "platform/win32/timer.h"
#include "shell/frm_main_win32.h"
#include "shell/renderer.h"

namespace animated {

// 255 - 25 x level for levels 1 ... 9; level 0 switches blending off.
constexpr BYTE BlendValueOfLevel(int level) { return BYTE(255 - 25 * level); }

class AnimatedRenderer : public shell::Renderer {
public:
    void CreateParams(shell::TfrmMain& form, plat::CreateParams& params) override;
    void Created(shell::TfrmMain& form) override;
    void BeforeLoadSettings(shell::TfrmMain& form) override;
    void AfterLoadSettings(shell::TfrmMain& form) override;
    void ApplyLevel(shell::TfrmMain& form, int level) override;
    void Destroying(shell::TfrmMain& form) override;

    // OnTimer of "Timer", and the first refresh of the show sequence (no sender):
    // the hint of "Gif" from one reading of the local clock.
    void TimerTimer(void* sender);

    plat::GifView* Gif() const { return gif_.get(); }
    const plat::Bitmap& Mask() const { return mask_; }
    plat::Timer* Timer() const { return timer_.get(); }

private:
    void BuildGif(shell::TfrmMain& form, const plat::form::Component& d);
    void BuildTimer(const plat::form::Component& d);

    std::unique_ptr<plat::GifView> gif_;
    plat::Bitmap mask_;  // the picture of "Image1"
    std::unique_ptr<plat::Timer> timer_;
};

} // namespace animated
