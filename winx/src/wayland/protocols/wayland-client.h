/* The core protocol as vendored here (wayland.xml, generated at build time), in place of the
 * one the system's libwayland headers bring: the same listeners, whatever libwayland the build
 * finds. Found before the system's header, with the same guard, by everything winx_wayland
 * compiles (libdecor's header too). */
#ifndef WAYLAND_CLIENT_H
#define WAYLAND_CLIENT_H

#include <wayland-client-core.h>

#include "wayland-client-protocol.h"

#endif
