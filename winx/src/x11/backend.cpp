// The X11 backend as the core sees it.
#include "x11_state.h"

namespace winx::x11 {

// In the order of the table's entries (backend.h).
// clang-format off
const Backend backend = {
    "x11",
    connect,
    screenSize,
    createWindow,
    destroyWindow,
    showWindow,
    moveWindow,
    resizeWindow,
    raiseWindow,
    [] { pumpEvents(true); },
    waitForEvents,
    loadPixelFormats,
    createContext,
    makeCurrent,
    deleteContext,
    swapBuffers,
    messageBox,
    setCursor,
    windowOrigin,
};
// clang-format on

}  // namespace winx::x11
