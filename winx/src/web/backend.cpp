// The web backend as the core sees it.
#include "web_state.h"

namespace winx::web {

// In the order of the table's entries (backend.h).
// clang-format off
const Backend backend = {
    "web",
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

}  // namespace winx::web
