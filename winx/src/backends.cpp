// The backends this binary has, in the order they are listed to the user, and its accessibility
// tree where it has one.
#include "accessibility.h"

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

#ifdef WINX_A11Y
const Accessibility* const accessibility = &a11y::table;
#else
const Accessibility* const accessibility = nullptr;
#endif

}  // namespace winx
