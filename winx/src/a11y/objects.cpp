// The program's objects as AT-SPI 2 shows them: the application, its frames, and its boxes (a
// dialog with its text and OK); their paths, roles, names, states and family.
#include <cstring>

#include "a11y.h"

namespace winx::a11y {

const char* const rootPath = "/org/a11y/atspi/accessible/root";

namespace {

// Roles as AT-SPI 2 numbers them (atspi-constants.h).
enum Role : uint32_t { alert = 2, dialog = 16, frame = 23, label = 29, pushButton = 43, app = 75 };

// The state set of the given states, as GetState sends it (two words, low first).
constexpr uint64_t bits(std::initializer_list<int> b) {
  uint64_t v = 0;
  for (int i : b) v |= uint64_t(1) << i;
  return v;
}

}  // namespace

uint32_t roleOf(const Object& o) {
  if (!o.top) return app;
  if (o.part == Part::label) return label;
  if (o.part == Part::button) return pushButton;
  return o.top->window ? frame : o.top->error ? alert : dialog;
}

const char* roleName(uint32_t role) {
  switch (role) {
    case alert:
      return "alert";
    case dialog:
      return "dialog";
    case frame:
      return "frame";
    case label:
      return "label";
    case pushButton:
      return "push button";
    default:
      return "application";
  }
}

std::string nameOf(const Object& o) {
  if (!o.top) return "bowlview";
  if (o.part == Part::label) return utf8(o.top->text);
  if (o.part == Part::button) return "OK";
  return utf8(o.top->window ? o.top->window->title : o.top->caption);
}

std::vector<const char*> interfacesOf(const Object& o) {
  std::vector<const char*> list = {"org.a11y.atspi.Accessible"};
  if (!o.top)
    list.push_back("org.a11y.atspi.Application");
  else if (o.part == Part::label)
    list.push_back("org.a11y.atspi.Text");
  else if (o.part == Part::button)
    list.push_back("org.a11y.atspi.Action");
  else if (o.top->window)
    list.push_back("org.a11y.atspi.Component");
  return list;
}

bool hasInterface(const Object& o, const char* interface) {
  for (const char* i : interfacesOf(o)) {
    if (strcmp(i, interface) == 0) return true;
  }
  return false;
}

bool parentOf(const Object& o, Object* parent) {
  if (!o.top) return false;
  *parent = Object{o.part == Part::self ? nullptr : o.top, Part::self};
  return true;
}

int indexInParent(const Object& o) {
  Object parent;
  if (!parentOf(o, &parent)) return -1;
  const std::vector<Object> siblings = childrenOf(parent);
  for (size_t i = 0; i < siblings.size(); ++i) {
    if (siblings[i] == o) return (int)i;
  }
  return -1;
}

bool objectAt(const char* path, Object* o) {
  if (strcmp(path, rootPath) == 0) return (*o = Object{}), true;
  const char* prefix = "/org/a11y/atspi/accessible/";
  if (strncmp(path, prefix, strlen(prefix)) != 0) return false;
  path += strlen(prefix);
  for (const auto& t : state().tops) {
    const std::string self = pathOf(Object{t.get(), Part::self}).substr(strlen(prefix));
    if (strncmp(path, self.c_str(), self.size()) != 0) continue;
    const char* rest = path + self.size();
    const bool box = t->window == nullptr;
    if (*rest == '\0') return (*o = Object{t.get(), Part::self}), true;
    if (box && strcmp(rest, "/text") == 0) return (*o = Object{t.get(), Part::label}), true;
    if (box && strcmp(rest, "/ok") == 0) return (*o = Object{t.get(), Part::button}), true;
  }
  return false;
}

std::string utf8(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x80) {
      out += (char)c;
    } else {
      out += (char)(0xC0 | (c >> 6));
      out += (char)(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string pathOf(const Object& o) {
  if (!o.top) return rootPath;
  std::string p = std::string("/org/a11y/atspi/accessible/") + (o.top->window ? "w" : "b") +
                  std::to_string(o.top->id);
  return p + (o.part == Part::label ? "/text" : o.part == Part::button ? "/ok" : "");
}

std::vector<Object> childrenOf(const Object& o) {
  std::vector<Object> children;
  if (!o.top) {
    for (const auto& t : state().tops) children.push_back(Object{t.get(), Part::self});
  } else if (!o.top->window && o.part == Part::self) {
    children = {Object{o.top, Part::label}, Object{o.top, Part::button}};
  }
  return children;
}

uint64_t statesOf(const Object& o) {
  if (!o.top) return 0;
  const uint64_t shown = bits({enabled, sensitive, visible, showing});
  if (o.part == Part::label) return shown | bits({multiLine});
  if (o.part == Part::button) return shown | bits({focusable, focused, isDefault});
  const HWND__* w = o.top->window;
  if (!w) return shown | bits({modal, active});
  uint64_t s = bits({enabled, sensitive});
  if (w->visible) s |= bits({visible});
  if (w->visible && !w->iconic) s |= bits({showing});
  if (w->iconic) s |= bits({iconified});
  if (w->active) s |= bits({active});
  return s;
}

}  // namespace winx::a11y
