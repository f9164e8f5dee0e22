// The backends this binary has, in the order they are listed to the user.
#include "backend.h"

namespace winx {

const Backend* const backends[] = {&x11::backend, nullptr};

}  // namespace winx
