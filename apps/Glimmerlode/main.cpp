// Glimmerlode: the shared tree shell bound to its profile and the animated renderer. The
// three animated trees are one program; sizes, pictures and texts come from the form
// description compiled into each.
#include <windows.h>

#include "animated/animated_renderer_win32.h"
#include "shell/entry_win32.h"
#include "shell/profile.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    static animated::AnimatedRenderer renderer;
    return shell::RunTree(shell::kGlimmerlode, renderer);
}
