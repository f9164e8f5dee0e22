// Gives a headless compositor's seat (which has no devices) a pointer and a keyboard: virtual
// ones on wlroots, KWin's fake input (with touch) where offered. Until its input closes it reads
// one command a line and answers "ok" once the compositor has seen it (or "error ..."):
//   move X Y | button CODE 1|0 | key KEYSYM 1|0 | touch down|motion X Y | touch up | scale S
// in the output's physical pixels; CODE a Linux button code (272, the left), KEYSYM a number;
// scale as KWin's display settings set it. Usage: virtual_input_client WIDTH HEIGHT
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cstring>
#include <ctime>
#include <iostream>
#include <sstream>
#include <string>

#include "fake-input-client-protocol.h"
#include "kde-output-device-v2-client-protocol.h"
#include "kde-output-management-v2-client-protocol.h"
#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

static wl_seat* seat;
static zwlr_virtual_pointer_manager_v1* pointerManager;
static zwp_virtual_keyboard_manager_v1* keyboardManager;
static org_kde_kwin_fake_input* fakeInput;
static kde_output_management_v2* outputManagement;
static kde_output_device_v2* outputDevice;

// The first of each global we use, at the version we need.
static void global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  const struct {
    const wl_interface* interface;
    uint32_t version;
    void* to;
  } wanted[] = {{&wl_seat_interface, 1, &seat},
                {&zwlr_virtual_pointer_manager_v1_interface, 1, &pointerManager},
                {&zwp_virtual_keyboard_manager_v1_interface, 1, &keyboardManager},
                {&org_kde_kwin_fake_input_interface, 4, &fakeInput},
                {&kde_output_management_v2_interface, 1, &outputManagement},
                {&kde_output_device_v2_interface, 1, &outputDevice}};
  for (const auto& w : wanted) {
    void** to = (void**)w.to;
    if (!strcmp(interface, w.interface->name) && !*to)
      *to = wl_registry_bind(registry, name, w.interface, w.version);
  }
}
static void globalRemove(void*, wl_registry*, uint32_t) {}
static const wl_registry_listener registryListener = {global, globalRemove};

// Event times in milliseconds, as a device would stamp them.
static uint32_t now() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (uint32_t)(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

static int fail(const char* message) {
  return std::cerr << "virtual_input_client: " << message << "\n", 1;
}

// Hands the compositor our keymap: key events from a virtual keyboard are read through it.
static bool sendKeymap(zwp_virtual_keyboard_v1* keyboard, xkb_keymap* keymap) {
  char* text = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
  const size_t size = strlen(text) + 1;
  const int fd = memfd_create("keymap", MFD_CLOEXEC);
  const bool written = fd >= 0 && write(fd, text, size) == (ssize_t)size;
  free(text);
  if (written) zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, size);
  if (fd >= 0) close(fd);
  return written;
}

// The first key that gives keysym at some level of the first layout; 0 if none does.
static xkb_keycode_t keycodeOf(xkb_keymap* keymap, xkb_keysym_t keysym) {
  for (xkb_keycode_t k = xkb_keymap_min_keycode(keymap); k <= xkb_keymap_max_keycode(keymap); ++k) {
    for (xkb_level_index_t level = 0; level < xkb_keymap_num_levels_for_key(keymap, k, 0);
         ++level) {
      const xkb_keysym_t* syms;
      const int n = xkb_keymap_key_get_syms_by_level(keymap, k, 0, level, &syms);
      for (int i = 0; i < n; ++i) {
        if (syms[i] == keysym) return k;
      }
    }
  }
  return 0;
}

// Whether KWin applied a configuration of its outputs (1) or not (-1), once it says.
static const kde_output_configuration_v2_listener configurationListener = {
    [](void* done, kde_output_configuration_v2*) { *(int*)done = 1; },
    [](void* done, kde_output_configuration_v2*) { *(int*)done = -1; },
    [](void*, kde_output_configuration_v2*, const char*) {}};

// The first output's scale, as KWin's display settings set it; whether KWin took it.
static bool setScale(wl_display* display, double scale) {
  if (!outputManagement || !outputDevice) return false;
  kde_output_configuration_v2* c = kde_output_management_v2_create_configuration(outputManagement);
  int done = 0;
  kde_output_configuration_v2_add_listener(c, &configurationListener, &done);
  kde_output_configuration_v2_scale(c, outputDevice, wl_fixed_from_double(scale));
  kde_output_configuration_v2_apply(c);
  while (!done && wl_display_dispatch(display) >= 0) {
  }
  kde_output_configuration_v2_destroy(c);
  return done == 1;
}

int main(int argc, char** argv) {
  if (argc != 3) return fail("usage: virtual_input_client WIDTH HEIGHT");
  const uint32_t width = (uint32_t)atoi(argv[1]), height = (uint32_t)atoi(argv[2]);
  wl_display* display = wl_display_connect(nullptr);
  if (!display) return fail("cannot connect to the Wayland display");
  wl_registry_add_listener(wl_display_get_registry(display), &registryListener, nullptr);
  wl_display_roundtrip(display);
  if (!seat || !(fakeInput || (pointerManager && keyboardManager))) {
    return fail("the compositor offers no seat, virtual pointer and keyboard, or fake input");
  }

  xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  const xkb_rule_names names = {"evdev", "pc105", "us", "", ""};
  xkb_keymap* keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
  if (!keymap) return fail("no keymap for this layout");
  xkb_state* state = xkb_state_new(keymap);

  zwlr_virtual_pointer_v1* pointer = nullptr;
  zwp_virtual_keyboard_v1* keyboard = nullptr;
  if (fakeInput) {
    org_kde_kwin_fake_input_authenticate(fakeInput, "bowlview tests", "input as a user gives it");
  } else {
    pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(pointerManager, seat);
    keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(keyboardManager, seat);
    if (!sendKeymap(keyboard, keymap)) return fail("cannot hand over the keymap");
  }
  if (wl_display_roundtrip(display) < 0) return fail("the compositor refused the devices");
  std::cout << "ready" << std::endl;

  // Fake input takes the compositor's logical pixels.
  double scale = 1;
  auto logical = [&](uint32_t v) { return wl_fixed_from_double(v / scale); };
  for (std::string line; std::getline(std::cin, line);) {
    std::istringstream in(line);
    std::string command, name, error;
    uint32_t a = 0, b = 0;
    xkb_keysym_t sym = 0;
    double s = 0;
    in >> command;
    if (command == "move" && in >> a >> b && fakeInput) {
      org_kde_kwin_fake_input_pointer_motion_absolute(fakeInput, logical(a), logical(b));
    } else if (command == "move" && !in.fail()) {
      zwlr_virtual_pointer_v1_motion_absolute(pointer, now(), a, b, width, height);
      zwlr_virtual_pointer_v1_frame(pointer);
    } else if (command == "button" && in >> a >> b && fakeInput) {
      org_kde_kwin_fake_input_button(fakeInput, a, b);
    } else if (command == "button" && !in.fail()) {
      zwlr_virtual_pointer_v1_button(pointer, now(), a, b);
      zwlr_virtual_pointer_v1_frame(pointer);
    } else if (command == "touch" && fakeInput && in >> name && (name == "up" || in >> a >> b)) {
      if (name == "up") org_kde_kwin_fake_input_touch_up(fakeInput, 0);
      if (name != "up")
        (name == "down"
             ? org_kde_kwin_fake_input_touch_down
             : org_kde_kwin_fake_input_touch_motion)(fakeInput, 0, logical(a), logical(b));
      org_kde_kwin_fake_input_touch_frame(fakeInput);
    } else if (command == "scale" && in >> s) {
      if (!setScale(display, s)) error = "the output did not take the scale";
      scale = error.empty() ? s : scale;
    } else if (command == "key" && in >> sym >> b) {
      const xkb_keycode_t code = keycodeOf(keymap, sym);
      if (!code) {
        error = "no key gives it";
      } else if (fakeInput) {
        org_kde_kwin_fake_input_keyboard_key(fakeInput, code - 8, b);
      } else {
        // The compositor takes a virtual keyboard's modifiers as sent, not from its keys.
        zwp_virtual_keyboard_v1_key(keyboard, now(), code - 8, b);
        xkb_state_update_key(state, code, b ? XKB_KEY_DOWN : XKB_KEY_UP);
        zwp_virtual_keyboard_v1_modifiers(
            keyboard, xkb_state_serialize_mods(state, XKB_STATE_MODS_DEPRESSED),
            xkb_state_serialize_mods(state, XKB_STATE_MODS_LATCHED),
            xkb_state_serialize_mods(state, XKB_STATE_MODS_LOCKED),
            xkb_state_serialize_layout(state, XKB_STATE_LAYOUT_EFFECTIVE));
      }
    } else {
      error = "cannot read it";
    }
    if (wl_display_roundtrip(display) < 0) return fail("the compositor has gone away");
    std::cout << (error.empty() ? "ok" : "error: " + error + ": " + line) << std::endl;
  }
  return 0;
}
