#include "platform/win32/gif_view.h"

#include <algorithm>

#include "platform/win32/handles.h"

namespace plat {

GifView::GifView(Form& parent) : Control(parent, L"TGifView") {}

GifView::~GifView() {
    // The clock goes first: no step may reach a view that is half gone.
    clock_.reset();
}

void GifView::SetImage(const std::uint8_t* data, std::size_t size) {
    auto gif = std::make_unique<GifFile>(DecodeGif(data, size));
    if (clock_) clock_->Stop();
    composer_.reset();
    gif_ = std::move(gif);
    composer_ = std::make_unique<GifComposer>(*gif_);
    picture_ = DibBitmap(gif_->screenWidth, gif_->screenHeight);
    frame_ = 0;
    ComposeFrame(0);
    if (autoSize_) SetBounds(Left(), Top(), gif_->screenWidth, gif_->screenHeight);
    Invalidate();
    UpdateClock();
}

void GifView::SetAnimate(bool on) {
    if (on == animate_) return;
    animate_ = on;
    UpdateClock();
}

void GifView::SetStretch(bool on) {
    if (on == stretch_) return;
    stretch_ = on;
    Invalidate();
}

unsigned GifView::FrameDelayMs(std::size_t index) const {
    return gif_ && index < gif_->frames.size() ? GifFrameDelayMs(gif_->frames[index].delayCs) : kGifMinDelayMs;
}

void GifView::UpdateClock() {
    const bool wanted = animate_ && FrameCount() >= 2;
    if (!wanted) {
        if (clock_) clock_->Stop();
        return;
    }
    if (!clock_) clock_ = std::make_unique<FrameClock>([this] { Step(); });
    clock_->Start(FrameDelayMs(frame_));
}

void GifView::Step() {
    if (FrameCount() < 2) return;
    if (!HandleAllocated() || !Parent().HandleAllocated() || !::IsWindowVisible(WindowHandle())) {
        // Nothing is shown; look again soon, so that the frame on screen gets its whole
        // delay once the view appears, not what is left of a period that began unseen.
        shown_ = false;
        if (clock_) clock_->SetDelay(std::min(kHiddenPollMs, FrameDelayMs(frame_)));
        return;
    }
    if (!shown_) {
        shown_ = true;
        if (clock_) clock_->SetDelay(FrameDelayMs(frame_));
        return;
    }
    frame_ = frame_ + 1 < FrameCount() ? frame_ + 1 : 0;
    ComposeFrame(frame_);
    ::RedrawWindow(WindowHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    if (clock_) clock_->SetDelay(FrameDelayMs(frame_));
}

// Composes the frame with the ones before it and copies the result into the DIB, with
// the form's colour wherever nothing is painted.
void GifView::ComposeFrame(std::size_t index) {
    composer_->Compose(index);
    const Bitmap& canvas = composer_->Canvas();
    const COLORREF back = Parent().Color();
    const std::uint8_t backB = GetBValue(back), backG = GetGValue(back), backR = GetRValue(back);
    for (int y = 0; y < canvas.height; ++y) {
        const std::uint8_t* src = canvas.row(y);
        std::uint8_t* dst = picture_.Row(y);
        for (int x = 0; x < canvas.width; ++x, src += 4, dst += 4) {
            if (src[3] == 0) {
                dst[0] = backB;
                dst[1] = backG;
                dst[2] = backR;
            } else {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
            }
            dst[3] = 0;
        }
    }
}

void GifView::Paint(Canvas& canvas) {
    RECT client{};
    ::GetClientRect(WindowHandle(), &client);
    if (picture_.Empty()) {
        canvas.FillRect(client, Parent().Color());
        return;
    }
    UniqueDC memory(::CreateCompatibleDC(canvas.Handle()));
    ScopedSelect select(memory.get(), picture_.Handle());
    const int w = picture_.Width(), h = picture_.Height();
    if (stretch_ && (client.right != w || client.bottom != h)) {
        ::SetStretchBltMode(canvas.Handle(), COLORONCOLOR);
        ::StretchBlt(canvas.Handle(), 0, 0, client.right, client.bottom, memory.get(), 0, 0, w, h, SRCCOPY);
        return;
    }
    ::BitBlt(canvas.Handle(), 0, 0, w, h, memory.get(), 0, 0, SRCCOPY);
    // Beyond the picture (a view larger than its GIF, not stretched): the form's colour.
    if (client.right > w) canvas.FillRect(RECT{w, 0, client.right, client.bottom}, Parent().Color());
    if (client.bottom > h) canvas.FillRect(RECT{0, h, w, client.bottom}, Parent().Color());
}

} // namespace plat
