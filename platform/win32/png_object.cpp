#include "platform/win32/png_object.h"

#include <cstring>

#include "platform/error.h"
#include "platform/win32/handles.h"
#include "platform/win32/system_error.h"
#include "platform/win32/text.h"

namespace plat {

namespace {

// Larger files are refused before anything is allocated for them.
constexpr LONGLONG kMaxFileSize = 256ll << 20;

[[noreturn]] void RaiseFileError(const char* what, const std::wstring& fileName, DWORD code) {
    std::string message = std::string(what) + " \"" + Narrow(fileName) + "\"";
    std::wstring reason = SystemErrorText(code);
    if (!reason.empty()) message += ". " + Narrow(reason);
    throw Error(message);
}

} // namespace

std::string ReadFileDenyingWriters(const std::wstring& fileName) {
    UniqueFile file(::CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) RaiseFileError("Cannot open file", fileName, ::GetLastError());
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) RaiseFileError("Cannot read file", fileName, ::GetLastError());
    if (size.QuadPart > kMaxFileSize) throw Error("File \"" + Narrow(fileName) + "\" is too large");
    std::string bytes(size_t(size.QuadPart), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        DWORD want = DWORD(bytes.size() - done);
        if (!::ReadFile(file.get(), bytes.data() + done, want, &got, nullptr))
            RaiseFileError("Cannot read file", fileName, ::GetLastError());
        if (got == 0) break;  // shorter than it was a moment ago
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

void PngObject::LoadFromFile(const std::wstring& fileName) {
    image_ = PngImage{};
    std::string bytes = ReadFileDenyingWriters(fileName);  // closed again here
    image_ = DecodePng(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

void PngObject::AssignTo(DibBitmap& bitmap) const {
    if (Empty()) throw Error("PNG: no image to assign");
    DibBitmap section(Width(), Height());
    const Bitmap& source = image_.bitmap;
    for (int y = 0; y < Height(); ++y) {
        const std::uint8_t* from = source.row(y);
        std::uint8_t* to = section.Row(y);
        for (int x = 0; x < Width(); ++x) {
            to[x * 4 + 0] = from[x * 4 + 0];
            to[x * 4 + 1] = from[x * 4 + 1];
            to[x * 4 + 2] = from[x * 4 + 2];
            to[x * 4 + 3] = 255;
        }
    }
    bitmap = std::move(section);
}

} // namespace plat
