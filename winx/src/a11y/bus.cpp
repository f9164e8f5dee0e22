// The accessibility bus: found and joined without ever waiting (every call is answered later,
// from the process's own wait), then the registry asked to embed us as an application.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "a11y.h"

namespace winx::a11y {

State& state() {
  static State s;
  return s;
}

namespace {

dbus_bool_t addWatch(DBusWatch* w, void* connection) {
  state().watches.emplace_back(static_cast<DBusConnection*>(connection), w);
  return TRUE;
}

void removeWatch(DBusWatch* w, void*) {
  auto& list = state().watches;
  list.erase(std::remove_if(list.begin(), list.end(), [w](const auto& e) { return e.second == w; }),
             list.end());
}

void toggleWatch(DBusWatch*, void*) {}  // descriptors() asks each time

// Closes a connection and forgets its descriptors.
void drop(DBusConnection*& c) {
  if (c == nullptr) return;
  dbus_connection_set_watch_functions(c, nullptr, nullptr, nullptr, nullptr, nullptr);
  auto& list = state().watches;
  list.erase(std::remove_if(list.begin(), list.end(), [c](const auto& e) { return e.first == c; }),
             list.end());
  dbus_connection_close(c);
  dbus_connection_unref(c);
  c = nullptr;
}

// A method call whose reply comes to done, whenever it comes.
void call(DBusConnection* c, const char* destination, const char* path, const char* interface,
          const char* member, DBusPendingCallNotifyFunction done, const char* name = nullptr) {
  DBusMessage* m = dbus_message_new_method_call(destination, path, interface, member);
  if (m == nullptr) return;
  if (name) {
    // Embed's argument: our root, (so).
    DBusMessageIter it, s;
    dbus_message_iter_init_append(m, &it);
    dbus_message_iter_open_container(&it, DBUS_TYPE_STRUCT, nullptr, &s);
    dbus_message_iter_append_basic(&s, DBUS_TYPE_STRING, &name);
    dbus_message_iter_append_basic(&s, DBUS_TYPE_OBJECT_PATH, &rootPath);
    dbus_message_iter_close_container(&it, &s);
  }
  DBusPendingCall* pending = nullptr;
  if (dbus_connection_send_with_reply(c, m, &pending, DBUS_TIMEOUT_INFINITE) && pending) {
    dbus_pending_call_set_notify(pending, done, nullptr, nullptr);
    dbus_pending_call_unref(pending);
  }
  dbus_message_unref(m);
}

// The reply's first argument, a string; empty where it is an error.
std::string replyText(DBusPendingCall* pending) {
  DBusMessage* reply = dbus_pending_call_steal_reply(pending);
  const char* text = nullptr;
  std::string out;
  if (reply && dbus_message_get_type(reply) == DBUS_MESSAGE_TYPE_METHOD_RETURN &&
      dbus_message_get_args(reply, nullptr, DBUS_TYPE_STRING, &text, DBUS_TYPE_INVALID)) {
    out = text;
  }
  if (reply) dbus_message_unref(reply);
  return out;
}

// Opens a connection served from our wait and says Hello, the bus's first message; null where
// the address leads nowhere (quietly: a desktop without the bus is no fault of ours).
DBusConnection* open(const std::string& address, DBusPendingCallNotifyFunction hello) {
  if (address.empty() || address.rfind("autolaunch:", 0) == 0) return nullptr;  // never spawn one
  DBusError error;
  dbus_error_init(&error);
  DBusConnection* c = dbus_connection_open_private(address.c_str(), &error);
  dbus_error_free(&error);
  if (c == nullptr) return nullptr;
  dbus_connection_set_exit_on_disconnect(c, FALSE);
  dbus_connection_set_watch_functions(c, addWatch, removeWatch, toggleWatch, c, nullptr);
  call(c, DBUS_SERVICE_DBUS, DBUS_PATH_DBUS, DBUS_INTERFACE_DBUS, "Hello", hello);
  return c;
}

void onEmbedded(DBusPendingCall* pending, void*) {
  State& s = state();
  DBusMessage* reply = dbus_pending_call_steal_reply(pending);
  DBusMessageIter it, ref;
  const char *name = nullptr, *path = nullptr;
  if (reply && dbus_message_iter_init(reply, &it) &&
      dbus_message_iter_get_arg_type(&it) == DBUS_TYPE_STRUCT) {
    dbus_message_iter_recurse(&it, &ref);
    dbus_message_iter_get_basic(&ref, &name);
    dbus_message_iter_next(&ref);
    dbus_message_iter_get_basic(&ref, &path);
    s.parentName = name;
    s.parentPath = path;
    for (const auto& t : s.tops) {
      if (!t->window) announceBox(t.get());  // up before the registry knew us
    }
  }
  if (reply) dbus_message_unref(reply);
}

void onBusHello(DBusPendingCall* pending, void*) {
  State& s = state();
  s.name = replyText(pending);
  if (s.name.empty() || s.bus == nullptr) return;
  dbus_bus_set_unique_name(s.bus, s.name.c_str());
  call(s.bus, "org.a11y.atspi.Registry", rootPath, "org.a11y.atspi.Socket", "Embed", onEmbedded,
       s.name.c_str());
}

void openBus(const std::string& address) {
  State& s = state();
  s.bus = open(address, onBusHello);
  if (s.bus == nullptr) return;
  static const DBusObjectPathVTable objects = {nullptr, answer, nullptr, nullptr, nullptr, nullptr};
  dbus_connection_register_fallback(s.bus, "/org/a11y/atspi/accessible", &objects, nullptr);
  dbus_connection_register_object_path(s.bus, "/org/a11y/atspi/cache", &objects, nullptr);
}

void onSessionHello(DBusPendingCall*, void*) {}

void onAddress(DBusPendingCall* pending, void*) {
  state().sessionDone = true;  // closed after this dispatch
  openBus(replyText(pending));
}

// The session bus: where the desktop's launcher says where the accessibility bus is.
std::string sessionAddress() {
  const char* address = getenv("DBUS_SESSION_BUS_ADDRESS");
  if (address && *address) return address;
  const char* dir = getenv("XDG_RUNTIME_DIR");
  if (dir && *dir && access((std::string(dir) + "/bus").c_str(), F_OK) == 0) {
    return "unix:path=" + std::string(dir) + "/bus";
  }
  return "";
}

}  // namespace

void start(const std::string& displayBus) {
  State& s = state();
  // Where one leads nowhere (a launcher gone, its root property left behind), the next.
  const char* address = getenv("AT_SPI_BUS_ADDRESS");
  for (const std::string& named : {std::string(address ? address : ""), displayBus}) {
    openBus(named);
    if (s.bus) return;
  }
  s.session = open(sessionAddress(), onSessionHello);
  if (s.session) {
    call(s.session, "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", onAddress);
  }
}

void descriptors(std::vector<pollfd>* fds) {
  for (const auto& [c, w] : state().watches) {
    if (!dbus_watch_get_enabled(w)) continue;
    const unsigned flags = dbus_watch_get_flags(w);
    fds->push_back(pollfd{dbus_watch_get_unix_fd(w),
                          (short)((flags & DBUS_WATCH_READABLE ? POLLIN : 0) |
                                  (flags & DBUS_WATCH_WRITABLE ? POLLOUT : 0)),
                          0});
  }
}

void serve(const pollfd* fds, size_t n) {
  State& s = state();
  for (size_t i = 0; i < n; ++i) {
    if (fds[i].revents == 0) continue;
    // Handling one may add or remove others: each as it is now.
    const auto watches = s.watches;
    for (const auto& [c, w] : watches) {
      const bool live =
          std::find(s.watches.begin(), s.watches.end(), std::make_pair(c, w)) != s.watches.end();
      if (!live || dbus_watch_get_unix_fd(w) != fds[i].fd || !dbus_watch_get_enabled(w)) continue;
      const short r = fds[i].revents;
      dbus_watch_handle(
          w, (r & POLLIN ? DBUS_WATCH_READABLE : 0) | (r & POLLOUT ? DBUS_WATCH_WRITABLE : 0) |
                 (r & POLLERR ? DBUS_WATCH_ERROR : 0) | (r & POLLHUP ? DBUS_WATCH_HANGUP : 0));
    }
  }
  for (DBusConnection* c : {s.session, s.bus}) {
    if (c == nullptr) continue;
    while (dbus_connection_dispatch(c) == DBUS_DISPATCH_DATA_REMAINS) {
    }
  }
  if (s.session && (s.sessionDone || !dbus_connection_get_is_connected(s.session))) {
    drop(s.session);
  }
  if (s.bus && !dbus_connection_get_is_connected(s.bus)) {
    drop(s.bus);  // the bus went away: as without one
    s.parentName.clear();
  }
}

}  // namespace winx::a11y
