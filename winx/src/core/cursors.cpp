// The standard cursors, by Win32's IDC_ value, and the cursor Win32 shows: the class cursor
// whenever the pointer moves over a window (WM_SETCURSOR's default), or what SetCursor chose.
#include "winx_state.h"

namespace winx {

namespace {

// Themes name their cursors the CSS way (cursor-spec), older ones the X core font's way:
// each is looked up by its names in order. IDC_ICON, IDC_PIN and IDC_PERSON have no
// counterpart in themes: they show the arrow.
const HCURSOR__ standard[] = {
    {32512, {"default", "left_ptr", nullptr}},
    {32513, {"text", "xterm", nullptr}},
    {32514, {"wait", "watch", nullptr}},
    {32515, {"crosshair", "cross", "tcross"}},
    {32516, {"up-arrow", "sb_up_arrow", "center_ptr"}},
    {32640, {"all-scroll", "fleur", "size_all"}},
    {32641, {"default", "left_ptr", nullptr}},
    {32642, {"nwse-resize", "size_fdiag", "bd_double_arrow"}},
    {32643, {"nesw-resize", "size_bdiag", "fd_double_arrow"}},
    {32644, {"ew-resize", "sb_h_double_arrow", "size_hor"}},
    {32645, {"ns-resize", "sb_v_double_arrow", "size_ver"}},
    {32646, {"all-scroll", "fleur", "size_all"}},
    {32648, {"not-allowed", "crossed_circle", nullptr}},
    {32649, {"pointer", "hand2", "hand1"}},
    {32650, {"progress", "left_ptr_watch", nullptr}},
    {32651, {"help", "question_arrow", "left_ptr_help"}},
    {32671, {"default", "left_ptr", nullptr}},
    {32672, {"default", "left_ptr", nullptr}},
};

}  // namespace

HCURSOR arrowCursor() {
  return const_cast<HCURSOR>(&standard[0]);
}

}  // namespace winx

using winx::state;

// Only the system's cursors: the program has no cursor resources of its own.
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  const uintptr_t id = (uintptr_t)name;
  if (instance != nullptr || id > 0xffff) {
    return nullptr;
  }
  for (const HCURSOR__& c : winx::standard) {
    if (c.id == (int)id) {
      return const_cast<HCURSOR>(&c);
    }
  }
  return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
  winx::State& s = state();
  const HCURSOR previous = s.cursor;
  if (cursor != previous) {
    s.cursor = cursor;
    if (const winx::Backend* b = winx::connectedBackend()) {
      b->setCursor(cursor);
    }
  }
  return previous;
}

HCURSOR GetCursor(void) {
  return state().cursor;
}
