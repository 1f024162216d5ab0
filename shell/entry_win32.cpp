#include "shell/entry_win32.h"

#include <exception>
#include <memory>

#include "platform/win32/application.h"
#include "shell/frm_main_win32.h"

namespace shell {

int RunTree(const TreeProfile& profile, Renderer& renderer) {
    plat::Application app;  // no title set: the executable's name is the title
    std::unique_ptr<TfrmMain> form;
    try {
        form = std::make_unique<TfrmMain>(profile, renderer, LoadFormDescription());
    } catch (const std::exception& e) {
        // Without its form the program has nothing to show.
        app.ShowException(e);
        return 1;
    }
    app.SetMainForm(form.get());
    return app.Run();
}

} // namespace shell
