#pragma once
// The animated GIF view: a child control that takes the size of the GIF's logical
// screen, composes the frames as GIF89a prescribes into a prepared 32-bit DIB and
// paints that DIB, so a step never decodes and a repaint never flickers. Transparent
// pixels show the parent form's colour. Playback starts at frame 0 and loops without
// end; each frame stays for its delay, clamped to 50 ... 10 000 ms. A GIF of fewer than
// two frames stands still. The frame clock is a thread of its own (frame_clock.h).
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/image/gif_composer.h"
#include "platform/image/gif_decoder.h"
#include "platform/win32/control.h"
#include "platform/win32/dib_bitmap.h"
#include "platform/win32/frame_clock.h"

namespace plat {

constexpr unsigned kGifMinDelayMs = 50;
constexpr unsigned kGifMaxDelayMs = 10000;
// How often a view that cannot be seen checks whether it can (it shows nothing meanwhile).
constexpr unsigned kHiddenPollMs = 20;

// How long a frame with this delay (hundredths of a second) stays on screen.
constexpr unsigned GifFrameDelayMs(int delayCs) {
    const long long ms = (long long)delayCs * 10;
    return ms < kGifMinDelayMs ? kGifMinDelayMs : ms > kGifMaxDelayMs ? kGifMaxDelayMs : unsigned(ms);
}

class GifView : public Control {
public:
    explicit GifView(Form& parent);
    ~GifView() override;

    // Decodes a GIF file (plat::Error when it is not one), shows its frame 0 and, with
    // AutoSize, takes the logical screen's size. Starts the clock when Animate is on.
    void SetImage(const std::uint8_t* data, std::size_t size);

    bool Animate() const { return animate_; }
    void SetAnimate(bool on);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on) { autoSize_ = on; }
    bool Stretch() const { return stretch_; }
    void SetStretch(bool on);

    std::size_t FrameCount() const { return gif_ ? gif_->frames.size() : 0; }
    std::size_t FrameIndex() const { return frame_; }
    unsigned FrameDelayMs(std::size_t index) const;
    int ScreenWidth() const { return gif_ ? gif_->screenWidth : 0; }
    int ScreenHeight() const { return gif_ ? gif_->screenHeight : 0; }
    // The composed picture that is painted, B, G, R, unused, rows top-down.
    const DibBitmap& Picture() const { return picture_; }
    bool ClockRunning() const { return clock_ && clock_->Running(); }

    // One step of the clock, on the GUI thread: the next frame (frame 0 after the last),
    // repainted at once, and the clock set to its delay. Nothing happens while the view
    // is not visible, has fewer than two frames, or it or its form has no window; the
    // first step that finds it visible again leaves the frame on screen for its delay.
    void Step();

protected:
    void Paint(Canvas& canvas) override;

private:
    void ComposeFrame(std::size_t index);
    void UpdateClock();

    std::unique_ptr<GifFile> gif_;
    std::unique_ptr<GifComposer> composer_;
    DibBitmap picture_;
    std::size_t frame_ = 0;
    bool shown_ = false;  // visible at the last step
    bool animate_ = false;
    bool autoSize_ = true;
    bool stretch_ = false;
    std::unique_ptr<FrameClock> clock_;
};

} // namespace plat
