// What the core tells the tree (windows and boxes coming, changing and going), told on to
// screen readers as AT-SPI 2 events.
#include <algorithm>
#include <cstring>

#include "a11y.h"

namespace winx::a11y {

namespace {

const char* const objectEvents = "org.a11y.atspi.Event.Object";
const char* const windowEvents = "org.a11y.atspi.Event.Window";

Top* topOf(HWND__* w) {
  for (const auto& t : state().tops) {
    if (t->window == w) return t.get();
  }
  return nullptr;
}

int indexOf(const Top* t) {
  const auto& tops = state().tops;
  for (size_t i = 0; i < tops.size(); ++i) {
    if (tops[i].get() == t) return (int)i;
  }
  return -1;
}

// A new child of the application, told whole: a window (caption and text empty) or a box.
Top* add(HWND__* w, const char* caption = "", const char* text = "", bool error = false) {
  State& s = state();
  s.tops.push_back(std::make_unique<Top>());
  Top* t = s.tops.back().get();
  t->id = s.nextId++;
  t->window = w;
  t->caption = caption;
  t->text = text;
  t->error = error;
  const Object self{t, Part::self};
  t->states = statesOf(self);
  emit(Object{}, objectEvents, "ChildrenChanged", "add", indexOf(t), &self);
  emit(self, windowEvents, "Create", "", 0);
  return t;
}

void remove(Top* t) {
  const Object self{t, Part::self};
  emit(self, windowEvents, "Destroy", "", 0);
  emit(Object{}, objectEvents, "ChildrenChanged", "remove", indexOf(t), &self);
  auto& tops = state().tops;
  tops.erase(tops.begin() + indexOf(t));
}

// The states screen readers follow, and the window events that go with them.
void tellStates(Top* t) {
  static const struct {
    int bit;
    const char* name;
    const char *on, *off;  // window events
  } followed[] = {{active, "active", "Activate", "Deactivate"},
                  {iconified, "iconified", "Minimize", "Restore"},
                  {showing, "showing", nullptr, nullptr},
                  {visible, "visible", nullptr, nullptr}};
  const Object self{t, Part::self};
  const uint64_t now = statesOf(self), was = t->states;
  t->states = now;
  for (const auto& f : followed) {
    const bool on = now >> f.bit & 1;
    if (on == (bool)(was >> f.bit & 1)) continue;
    emit(self, objectEvents, "StateChanged", f.name, on);
    if (f.on) emit(self, windowEvents, on ? f.on : f.off, "", 0);
  }
}

void windowChanged(HWND__* w) {
  if (Top* t = topOf(w)) {
    tellStates(t);
  } else {
    add(w);
  }
}

void windowDestroyed(HWND__* w) {
  if (Top* t = topOf(w)) remove(t);
}

void boxShown(const char* caption, const char* text, bool error) {
  announceBox(add(nullptr, caption, text, error));
}

// The innermost box: the one whose loop runs.
Top* currentBox() {
  auto& tops = state().tops;
  auto it = std::find_if(tops.rbegin(), tops.rend(), [](const auto& t) { return !t->window; });
  return it == tops.rend() ? nullptr : it->get();
}

void boxDismissed() {
  if (Top* t = currentBox()) remove(t);
}

bool boxPressed() {
  const Top* t = currentBox();
  return t && t->pressed;
}

}  // namespace

void announceBox(Top* t) {
  emit(Object{t, Part::self}, windowEvents, "Activate", "", 0);
  emit(Object{t, Part::button}, objectEvents, "StateChanged", "focused", 1);
}

void emit(const Object& o, const char* interface, const char* member, const char* detail, int d1,
          const Object* child) {
  State& s = state();
  if (s.bus == nullptr || s.parentName.empty()) return;  // no registry has embedded us yet
  const std::string path = pathOf(o);
  DBusMessage* m = dbus_message_new_signal(path.c_str(), interface, member);
  if (m == nullptr) return;
  DBusMessageIter it, v, props;
  dbus_message_iter_init_append(m, &it);
  dbus_message_iter_append_basic(&it, DBUS_TYPE_STRING, &detail);
  const int32_t numbers[2] = {d1, 0};
  for (int32_t n : numbers) dbus_message_iter_append_basic(&it, DBUS_TYPE_INT32, &n);
  if (child) {
    dbus_message_iter_open_container(&it, DBUS_TYPE_VARIANT, "(so)", &v);
    DBusMessageIter ref;
    dbus_message_iter_open_container(&v, DBUS_TYPE_STRUCT, nullptr, &ref);
    const char* name = s.name.c_str();
    const std::string childPath = pathOf(*child);
    const char* p = childPath.c_str();
    dbus_message_iter_append_basic(&ref, DBUS_TYPE_STRING, &name);
    dbus_message_iter_append_basic(&ref, DBUS_TYPE_OBJECT_PATH, &p);
    dbus_message_iter_close_container(&v, &ref);
  } else {
    dbus_message_iter_open_container(&it, DBUS_TYPE_VARIANT, "i", &v);
    const int32_t zero = 0;
    dbus_message_iter_append_basic(&v, DBUS_TYPE_INT32, &zero);
  }
  dbus_message_iter_close_container(&it, &v);
  dbus_message_iter_open_container(&it, DBUS_TYPE_ARRAY, "{sv}", &props);
  dbus_message_iter_close_container(&it, &props);
  dbus_connection_send(s.bus, m, nullptr);
  dbus_message_unref(m);
}

void start(const std::string& displayBus);
void descriptors(std::vector<pollfd>* fds);
void serve(const pollfd* fds, size_t n);

const Accessibility table = {start,           descriptors, serve,        windowChanged,
                             windowDestroyed, boxShown,    boxDismissed, boxPressed};

}  // namespace winx::a11y
