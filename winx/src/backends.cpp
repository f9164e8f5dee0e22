// The backends this binary has, in the order they are listed to the user.
#include "backend.h"

namespace winx {

const Backend* const backends[] = {
#ifdef WINX_WAYLAND
    &wayland::backend,
#endif
    &x11::backend, nullptr};

}  // namespace winx
