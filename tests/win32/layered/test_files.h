#pragma once
// Scratch files for the tests: PNG fixtures written to the temporary folder and removed
// again when the owner goes.
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/host/png/png_test_encoder.h"

namespace layered_test {

inline std::wstring TempDir() {
    wchar_t dir[MAX_PATH + 1];
    DWORD n = ::GetTempPathW(MAX_PATH + 1, dir);
    return std::wstring(dir, n);
}

inline std::vector<std::uint8_t> ReadAll(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class ScratchFile {
public:
    explicit ScratchFile(const std::vector<std::uint8_t>& bytes) {
        wchar_t name[MAX_PATH];
        ::GetTempFileNameW(TempDir().c_str(), L"LTS", 0, name);
        path_ = name;
        std::ofstream out(path_.c_str(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    ~ScratchFile() { ::DeleteFileW(path_.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

} // namespace layered_test
