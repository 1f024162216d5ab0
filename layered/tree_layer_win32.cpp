#include "layered/tree_layer_win32.h"

#include <exception>

#include "layered/opacity.h"
#include "layered/premultiply.h"
#include "platform/error.h"
#include "platform/win32/application.h"
#include "platform/win32/handles.h"
#include "platform/win32/resource_stream.h"
#include "platform/win32/system_error.h"
#include "platform/win32/text.h"
#include "shell/frm_main_win32.h"

namespace layered {

namespace {

[[noreturn]] void RaiseFileError(const char* what, const std::wstring& fileName, DWORD code) {
    std::string message = std::string(what) + " \"" + plat::Narrow(fileName) + "\"";
    std::wstring reason = plat::SystemErrorText(code);
    if (!reason.empty()) message += ". " + plat::Narrow(reason);
    throw plat::Error(message);
}

// Creates the file or truncates it, and writes all of the bytes.
void SaveToFile(const std::uint8_t* data, size_t size, const std::wstring& fileName) {
    plat::UniqueFile file(::CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) RaiseFileError("Cannot create file", fileName, ::GetLastError());
    size_t done = 0;
    while (done < size) {
        DWORD wrote = 0;
        if (!::WriteFile(file.get(), data + done, DWORD(size - done), &wrote, nullptr) || wrote == 0)
            RaiseFileError("Cannot write file", fileName, ::GetLastError());
        done += wrote;
    }
}

} // namespace

void CopyAlphaChannel(plat::DibBitmap& bitmap, const plat::PngObject& png) {
    const int width = bitmap.Width(), height = bitmap.Height();
    if (png.Width() != width || png.Height() != height) throw plat::Error("PNG: image and bitmap differ in size");
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* alpha = png.AlphaScanline(y);
        if (!alpha) return;  // no alpha channel
        CopyAlphaRow(bitmap.Row(y), alpha, width);
    }
}

void PremultiplyAlpha(plat::DibBitmap& bitmap) {
    for (int y = 0; y < bitmap.Height(); ++y) PremultiplyAlphaRow(bitmap.Row(y), bitmap.Width());
}

void TreeLayer::DefaultShowMessage(const std::wstring& text) {
    plat::Application* app = plat::Application::Instance();
    std::wstring title = app ? app->Title() : plat::Application::DefaultTitle(plat::ModuleFileName());
    ::MessageBoxW(app ? app->Handle() : nullptr, text.c_str(), title.c_str(), MB_OK);
}

void TreeLayer::Created(shell::TfrmMain& form) {
    // The boundary of the creation handler: an error is reported and the form is still
    // made, only without its first layer.
    try {
        FormCreate(form);
    } catch (const std::exception& e) {
        plat::Application::HandleException(e);
    }
}

void TreeLayer::ApplyLevel(shell::TfrmMain& form, int level) {
    if (level < 0 || level >= kOpacityLevels) return;
    ApplyOpacity(form, LayerAlphaForLevel(level));
}

void TreeLayer::Destroying(shell::TfrmMain&) { FormDestroy(); }

void TreeLayer::FormCreate(plat::Form& form) {
    ExtractTreeImage();
    RenderLayer(form);
}

void TreeLayer::FormDestroy() { FreeBitmapAndImage(); }

void TreeLayer::FreeBitmapAndImage() {
    treeBitmap_.reset();
    treePng_.reset();
}

void TreeLayer::ExtractTreeImage() {
    // The resource first: without it no temporary file is made.
    plat::ResourceStream stream(L"PNG");
    treeFileName_ = MakeTempFileName();
    SaveToFile(stream.Memory(), stream.Size(), treeFileName_);
}

std::wstring TreeLayer::MakeTempFileName() {
    wchar_t dir[MAX_PATH + 1];
    DWORD n = ::GetTempPathW(MAX_PATH + 1, dir);
    if (n == 0 || n > MAX_PATH) throw plat::Error("Cannot find the temporary folder");
    wchar_t name[MAX_PATH];
    // Unique number 0: the system picks a name that is free and creates the empty file.
    if (::GetTempFileNameW(dir, L"TMP", 0, name) == 0)
        RaiseFileError("Cannot create a temporary file in", dir, ::GetLastError());
    return name;
}

void TreeLayer::PrepareTreeBitmap() {
    treePng_ = std::make_unique<plat::PngObject>();
    treePng_->LoadFromFile(treeFileName_);
    treeBitmap_ = std::make_unique<plat::DibBitmap>();
    treePng_->AssignTo(*treeBitmap_);  // always a 32-bit section, row 0 at the top
    // Only images with an alpha channel give their alpha; a colour key from tRNS does not.
    const std::uint8_t type = treePng_->ColorType();
    if (type == 6 || type == 4) CopyAlphaChannel(*treeBitmap_, *treePng_);
    PremultiplyAlpha(*treeBitmap_);
}

void TreeLayer::RenderLayer(plat::Form& form) {
    HWND window = form.Handle();
    // A previous style of 0 also gives 0: only a 0 with an error set is a failure.
    LONG_PTR exStyle = ::GetWindowLongPtrA(window, GWL_EXSTYLE);
    ::SetLastError(0);
    if (::SetWindowLongPtrA(window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED) == 0) {
        DWORD code = ::GetLastError();
        if (code != 0) ShowMessage(plat::SystemErrorText(code));
    }

    PrepareTreeBitmap();

    POINT destination{form.Left(), form.Top()};
    POINT source{0, 0};
    SIZE size{treePng_->Width(), treePng_->Height()};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, layerAlpha_, AC_SRC_ALPHA};

    form.SetWidth(size.cx);
    form.SetHeight(size.cy);

    bool updated = false;
    {
        // Taken screen, memory, selection; given back in the reverse order.
        plat::WindowDC screen(nullptr);
        plat::UniqueDC memory(::CreateCompatibleDC(screen.get()));
        plat::ScopedSelect select(memory.get(), treeBitmap_->Handle());
        updated = ::UpdateLayeredWindow(window, screen.get(), &destination, &size, memory.get(), &source, 0, &blend,
                                        ULW_ALPHA) != FALSE;
    }
    if (!updated) ShowMessage(L"No!!!!!");
}

void TreeLayer::ApplyOpacity(plat::Form& form, std::uint8_t alpha) {
    FreeBitmapAndImage();
    layerAlpha_ = alpha;
    RenderLayer(form);
}

} // namespace layered
