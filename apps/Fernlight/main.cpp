// Fernlight: the shared tree shell bound to its profile and renderer.
#include <windows.h>

#include "apps/placeholder_renderer.h"
#include "shell/entry_win32.h"
#include "shell/profile.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    static apps::PlaceholderRenderer renderer(apps::PlaceholderRenderer::Sizing::FromPng);
    return shell::RunTree(shell::kFernlight, renderer);
}
