#include "animated/animated_renderer_win32.h"

#include "animated/countdown.h"
#include "animated/mask_region_win32.h"
#include "platform/error.h"
#include "platform/form/form.h"
#include "platform/image/bmp_reader.h"
#include "platform/win32/text.h"

namespace animated {

void AnimatedRenderer::CreateParams(shell::TfrmMain&, plat::CreateParams& params) {
    params.classStyle |= CS_DROPSHADOW;
}

void AnimatedRenderer::Created(shell::TfrmMain& form) {
    const plat::form::Component& root = form.Description();
    if (const auto* d = root.FindComponent("Gif")) BuildGif(form, *d);
    if (const auto* d = root.FindComponent("Image1")) {
        if (const auto* data = d->Find("Picture.Data")) {
            const std::vector<std::uint8_t> bmp = plat::form::BmpFromPictureData(*data);
            mask_ = plat::DecodeBmp(bmp.data(), bmp.size());
        }
    }
    if (const auto* d = root.FindComponent("Timer")) BuildTimer(*d);
}

void AnimatedRenderer::BuildGif(shell::TfrmMain& form, const plat::form::Component& d) {
    gif_ = std::make_unique<plat::GifView>(form);
    gif_->SetBounds(int(d.Int("Left", 0)), int(d.Int("Top", 0)), int(d.Int("Width", 105)),
                    int(d.Int("Height", 105)));
    gif_->SetAutoSize(d.Bool("AutoSize", true));
    gif_->SetStretch(d.Bool("Stretch", false));
    gif_->SetAnimate(d.Bool("Animate", false));
    // The stored frame index is read before the image, while the view has no frames:
    // it has no effect, and playback starts at frame 0.
    if (const auto* data = d.Find("Image.Data")) {
        const std::vector<std::uint8_t> bytes = plat::form::GifFromImageData(*data);
        gif_->SetImage(bytes.data(), bytes.size());
    }
    gif_->SetHint(plat::Widen(d.Text("Hint", "")));
    gif_->SetShowHint(d.Bool("ShowHint", false));
    gif_->SetPopupMenu(form.PopupMenuNamed(d.Text("PopupMenu", "")));
    if (auto handler = form.MouseDownNamed(d.Text("OnMouseDown", "")))
        gif_->OnMouseDown = [handler](plat::Control& sender, plat::MouseButton b, WPARAM k, int x, int y) {
            handler(&sender, b, k, x, y);
        };
    gif_->CreateHandle();
}

void AnimatedRenderer::BuildTimer(const plat::form::Component& d) {
    const std::string handler = d.Text("OnTimer", "");
    if (!handler.empty() && handler != "TimerTimer") throw plat::Error("Method " + handler + " not found");
    // Raises "Not enough timers available" when the system has no timer left.
    timer_ = std::make_unique<plat::Timer>();
    timer_->SetInterval(unsigned(d.Int("Interval", 1000)));
    timer_->SetEnabled(d.Bool("Enabled", true));
    if (!handler.empty()) timer_->OnTimer = [this](plat::Timer& sender) { TimerTimer(&sender); };
}

void AnimatedRenderer::BeforeLoadSettings(shell::TfrmMain& form) {
    if (gif_) form.SetWidth(gif_->Width());
    TimerTimer(nullptr);
}

void AnimatedRenderer::AfterLoadSettings(shell::TfrmMain& form) {
    if (gif_) {
        form.SetWidth(gif_->Width());
        form.SetHeight(gif_->Height());
    }
    // From here on the window system owns the region.
    ::SetWindowRgn(form.Handle(), MaskRegion(mask_), TRUE);
}

void AnimatedRenderer::ApplyLevel(shell::TfrmMain& form, int level) {
    if (level == 0) {
        form.SetAlphaBlend(false);  // opaque, no longer layered; the value is kept
        return;
    }
    form.SetAlphaBlend(true);
    form.SetAlphaBlendValue(BlendValueOfLevel(level));
}

void AnimatedRenderer::Destroying(shell::TfrmMain&) {
    timer_.reset();
    gif_.reset();
}

void AnimatedRenderer::TimerTimer(void*) {
    if (!gif_) return;
    // One reading of the clock: two could fall on either side of midnight.
    SYSTEMTIME st{};
    ::GetLocalTime(&st);
    LocalDateTime now;
    now.year = st.wYear;
    now.month = st.wMonth;
    now.day = st.wDay;
    now.hour = st.wHour;
    now.minute = st.wMinute;
    now.second = st.wSecond;
    now.millisecond = st.wMilliseconds;
    const CountdownHint hint = ComputeCountdownHint(now);
    gif_->SetHint(plat::Widen(hint.text));
    // Once the holidays are over the hint stays off for the life of the process.
    if (hint.hideHint) gif_->SetShowHint(false);
}

} // namespace animated
