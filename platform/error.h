#pragma once
// The one error type of the platform layer: registry, resource, file and decoder
// failures carry their exact user-facing message and are shown by the application's
// error box at the boundary of an event handler.
#include <stdexcept>
#include <string>

namespace plat {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

} // namespace plat
