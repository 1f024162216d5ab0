#pragma once
// The seam between the shell and what draws the tree. The shell owns this interface and
// calls it at fixed points of the form's life; each program binds one renderer. The
// shell itself never knows which.
//
// Show sequence as the shell runs it:
//   BeforeLoadSettings, LoadSettings (which applies the stored level through ApplyLevel),
//   hide the application window, AfterLoadSettings, the desktop becomes the owner.
namespace plat {
struct CreateParams;
class Canvas;
} // namespace plat

namespace shell {

class TfrmMain;

class Renderer {
public:
    virtual ~Renderer() = default;

    // Before the window exists: window class and styles (a drop shadow, for example).
    virtual void CreateParams(TfrmMain& form, plat::CreateParams& params) {}
    // The window exists and the form's components are built.
    virtual void Created(TfrmMain& form) {}
    // Show sequence, before the settings are loaded: give the form the size that the
    // placement is to work with.
    virtual void BeforeLoadSettings(TfrmMain& form) {}
    // Show sequence, after the settings are loaded and the taskbar button is gone: final
    // size, outline.
    virtual void AfterLoadSettings(TfrmMain& form) {}
    // Opacity level 0 ... 9, applied at once (the Transparent items and LoadSettings).
    virtual void ApplyLevel(TfrmMain& form, int level) = 0;
    // Paints the form's client area when the window system asks for it.
    virtual void Paint(TfrmMain& form, plat::Canvas& canvas) {}
    // The form is being destroyed: release what the renderer holds.
    virtual void Destroying(TfrmMain& form) {}
};

} // namespace shell
