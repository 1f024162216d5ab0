#pragma once
// Forms: borderless popup windows owned by the application window, with their bounds,
// the show / close query / destroy life cycle, the popup menu and whole-window alpha
// blending.
#include <windows.h>

#include <functional>
#include <string>

#include "platform/win32/window.h"

namespace plat {

class PopupMenu;
class Canvas;

enum class MouseButton { Left, Right, Middle };
enum class BorderStyle { None };

// Drawing surface handed to paint handlers.
class Canvas {
public:
    explicit Canvas(HDC dc) : dc_(dc) {}
    HDC Handle() const { return dc_; }
    void FillRect(const RECT& r, COLORREF color);

private:
    HDC dc_;
};

// The button of the press being dispatched, or none. The move command started from a
// press handler only moves the window for the left button, so a right click still
// reaches the popup menu.
bool DispatchingPressOf(MouseButton button);
bool DispatchingPress();

// What child controls and forms share: bounds, popup menu and mouse presses.
class Form : public Window {
public:
    explicit Form(std::wstring className = L"TForm");
    ~Form() override;

    // Bounds in screen pixels; a form without frame has its client size as outer size.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    void SetBounds(int left, int top, int width, int height);

    const std::wstring& Caption() const { return caption_; }
    void SetCaption(std::wstring caption);
    COLORREF Color() const { return color_; }
    void SetColor(COLORREF color);

    // While on, the window is layered with one constant alpha for all its pixels.
    bool AlphaBlend() const { return alphaBlend_; }
    void SetAlphaBlend(bool on);
    BYTE AlphaBlendValue() const { return alphaBlendValue_; }
    void SetAlphaBlendValue(BYTE value);

    PopupMenu* GetPopupMenu() const { return popupMenu_; }
    void SetPopupMenu(PopupMenu* menu) { popupMenu_ = menu; }

    // First show runs DoShow before the window becomes visible; an error there is
    // reported and the window is shown all the same.
    void Show();
    void Hide();
    bool Visible() const;
    // Runs the close query; when it allows, the main form ends the application and any
    // other form is hidden. Errors from the close query propagate (the close is abandoned).
    void Close();
    // Runs DoDestroy and destroys the window.
    void Destroy();
    bool CloseQuery();

protected:
    void FillCreateParams(CreateParams& params) override;
    // Subclasses adjust the parameters here (for example OR a class style).
    virtual void CreateParams(plat::CreateParams& params) {}
    void HandleCreated() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    virtual void DoCreate() {}
    virtual void DoShow() {}
    virtual void DoCloseQuery(bool& canClose) {}
    virtual void DoDestroy() {}
    virtual void Paint(Canvas& canvas) {}
    virtual void MouseDown(MouseButton button, WPARAM keys, int x, int y) {}

private:
    void ApplyLayered();
    void UpdateBoundsFromWindow();

    std::wstring className_;
    std::wstring caption_;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    COLORREF color_;
    bool alphaBlend_ = false;
    BYTE alphaBlendValue_ = 255;
    PopupMenu* popupMenu_ = nullptr;
    bool shown_ = false;
    bool destroyed_ = false;
};

// Pops a menu up for a WM_CONTEXTMENU message (keyboard requests use the window's corner).
void PopupForContextMenu(PopupMenu& menu, HWND window, LPARAM lParam);
// Dispatches a button-down message to a press handler, recording which button it is.
void DispatchPress(UINT msg, WPARAM wParam, LPARAM lParam,
                   const std::function<void(MouseButton, WPARAM, int, int)>& handler);

} // namespace plat
