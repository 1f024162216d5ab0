#pragma once
// What tells the four trees apart: their registry key, start-up value, link tags and
// the kind of renderer that draws them.
#include <string_view>

namespace shell {

enum class RendererKind { LayeredPng, AnimatedGif };

struct TreeProfile {
    std::wstring_view SettingsKey;   // under HKEY_CURRENT_USER
    std::wstring_view RunValueName;  // under the per-user Run key
    std::string_view AboutTag;
    std::string_view DownloadTag;
    RendererKind Renderer;
};

inline constexpr TreeProfile kFernlight{L"Software\\Brisling", L"Brisling", "png", "png",
                                        RendererKind::LayeredPng};
inline constexpr TreeProfile kGlimmerlode{L"Software\\Glimmerlode", L"Glimmerlode", "glimlode",
                                          "glimlode", RendererKind::AnimatedGif};
inline constexpr TreeProfile kQuorrisk{L"Software\\deskQuorrisk", L"deskQuorrisk", "quorr1",
                                       "quorr2", RendererKind::AnimatedGif};
inline constexpr TreeProfile kVudododoz{L"Software\\Ambrett", L"Ambrett", "ambr1", "ambr2",
                                        RendererKind::AnimatedGif};

inline constexpr std::wstring_view kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

} // namespace shell
