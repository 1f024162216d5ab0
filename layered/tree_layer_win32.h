#pragma once
// Fernlight's tree: the PNG from the resources copied to a temporary file once, and
// every composition decoding that file into a premultiplied 32-bit section that the
// window system blends pixel by pixel into what lies behind the window, with one
// constant alpha per opacity level.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/win32/dib_bitmap.h"
#include "platform/win32/form.h"
#include "platform/win32/png_object.h"
#include "shell/renderer.h"

namespace layered {

// Writes the image's alpha into byte 3 of every pixel, image row y into bitmap row y.
void CopyAlphaChannel(plat::DibBitmap& bitmap, const plat::PngObject& png);
// Each colour byte becomes c * a / 255 with the remainder dropped.
void PremultiplyAlpha(plat::DibBitmap& bitmap);

class TreeLayer : public shell::Renderer {
public:
    // The seam of the shell.
    void Created(shell::TfrmMain& form) override;
    void ApplyLevel(shell::TfrmMain& form, int level) override;
    void Destroying(shell::TfrmMain& form) override;

    // The steps, each usable on its own on any form.
    void FormCreate(plat::Form& form);
    void FormDestroy();
    void ExtractTreeImage();
    static std::wstring MakeTempFileName();
    void PrepareTreeBitmap();
    void RenderLayer(plat::Form& form);
    void ApplyOpacity(plat::Form& form, std::uint8_t alpha);

    const std::wstring& TreeFileName() const { return treeFileName_; }
    void SetTreeFileName(std::wstring name) { treeFileName_ = std::move(name); }
    const plat::PngObject* TreePng() const { return treePng_.get(); }
    const plat::DibBitmap* TreeBitmap() const { return treeBitmap_.get(); }
    std::uint8_t LayerAlpha() const { return layerAlpha_; }

    // The plain message box of a failed composition step; tests replace it.
    std::function<void(const std::wstring& text)> ShowMessage = DefaultShowMessage;
    static void DefaultShowMessage(const std::wstring& text);

private:
    void FreeBitmapAndImage();

    std::wstring treeFileName_;
    std::unique_ptr<plat::PngObject> treePng_;
    std::unique_ptr<plat::DibBitmap> treeBitmap_;
    std::uint8_t layerAlpha_ = 0;  // 0 until a level is applied: the first layer shows nothing
};

} // namespace layered
