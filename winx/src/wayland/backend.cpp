// The Wayland backend as the core sees it.
#include "wl_state.h"

namespace winx::wayland {

// In the order of the table's entries (backend.h).
// clang-format off
const Backend backend = {
    "wayland",
    connect,
    screenSize,
    createWindow,
    destroyWindow,
    showWindow,
    moveWindow,
    resizeWindow,
    raiseWindow,
    pumpEvents,
    waitForEvents,
    loadPixelFormats,
    createContext,
    makeCurrent,
    deleteContext,
    swapBuffers,
    messageBox,
    setCursor,
    nullptr,
};
// clang-format on

}  // namespace winx::wayland
