#pragma once
// The program entry every tree shares: the application object, the main form from its
// description, then the message loop until the form has closed.
#include "shell/profile.h"
#include "shell/renderer.h"

namespace shell {

// Returns the process exit code.
int RunTree(const TreeProfile& profile, Renderer& renderer);

} // namespace shell
