#pragma once
// Rules of the stored settings that do not touch the registry.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace shell {

inline constexpr int kLevels = 10;  // the Transparent items "0%" ... "90%"

// The first command-line argument asks for an extra tree only when it is exactly "add".
inline bool IsExtraTree(std::wstring_view firstArgument) { return firstArgument == L"add"; }

// The stored "TrVal" selects a level by its low 8 bits; only 0 ... 9 select one.
// Returns -1 when no level is selected.
inline int StoredLevel(std::uint32_t stored) {
    std::uint8_t index = std::uint8_t(stored & 0xFFu);
    return index < kLevels ? int(index) : -1;
}

// The level to store: the highest marked Transparent item; with none marked (the user
// chose the marked item again) the level applied now; with none applied either, the
// default level 1.
inline int LevelToSave(const std::array<bool, kLevels>& marked, int applied) {
    int index = -1;
    for (int n = 0; n < kLevels; ++n)
        if (marked[size_t(n)]) index = n;
    if (index >= 0) return index;
    return applied >= 0 && applied < kLevels ? applied : 1;
}

// The web address of the product page for a tag, after the site's base address.
inline std::string LinkAddress(std::string_view base, std::string_view tag) {
    std::string out(base);
    while (!out.empty() && out.back() == '/') out.pop_back();
    out += "/tockwise.html?q=";
    out += tag;
    return out;
}

// The command line that starts one more tree of the same executable.
inline std::wstring ExtraTreeCommandLine(std::wstring_view exePath) {
    std::wstring out = L"\"";
    out += exePath;
    out += L"\" add";
    return out;
}

} // namespace shell
