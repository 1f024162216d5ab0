// Fernlight: the shared tree shell bound to its profile and the layered PNG tree.
#include <windows.h>

#include "layered/tree_layer_win32.h"
#include "shell/entry_win32.h"
#include "shell/profile.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    static layered::TreeLayer renderer;
    return shell::RunTree(shell::kFernlight, renderer);
}
