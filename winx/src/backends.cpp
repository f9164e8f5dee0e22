// The backends this binary has, in the order they are listed to the user.
#include "backend.h"

namespace winx {

const Backend* const backends[] = {
#ifdef WINX_WAYLAND
    &wayland::backend,
#endif
#ifdef WINX_X11
    &x11::backend,
#endif
#ifdef WINX_WEB
    &web::backend,
#endif
    nullptr};

}  // namespace winx
