#pragma once
// Child controls of a form: bounds within the parent, painting, mouse presses, the
// popup menu on a context-menu request and the hint shown when the mouse rests.
#include <windows.h>

#include <functional>
#include <string>

#include "platform/win32/form.h"
#include "platform/win32/window.h"

namespace plat {

class Control : public Window {
public:
    explicit Control(Form& parent, std::wstring className = L"TControl");
    ~Control() override;

    Form& Parent() const { return parent_; }
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetBounds(int left, int top, int width, int height);

    PopupMenu* GetPopupMenu() const { return popupMenu_; }
    void SetPopupMenu(PopupMenu* menu) { popupMenu_ = menu; }

    // The hint text; "\r" breaks a line.
    const std::wstring& Hint() const { return hint_; }
    void SetHint(std::wstring hint);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool on);

    std::function<void(Control& sender, MouseButton, WPARAM keys, int x, int y)> OnMouseDown;

    void Invalidate();

protected:
    void FillCreateParams(CreateParams& params) override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    virtual void Paint(Canvas& canvas) {}

private:
    Form& parent_;
    std::wstring className_;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    PopupMenu* popupMenu_ = nullptr;
    std::wstring hint_;
    bool showHint_ = false;
};

} // namespace plat
