#pragma once
// Conversions between the platform's UTF-8 strings and the system's UTF-16.
#include <string>
#include <string_view>

namespace plat {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

} // namespace plat
