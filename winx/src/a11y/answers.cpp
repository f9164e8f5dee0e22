// Method calls on our objects, answered: Accessible, Application, Component, Text and Action,
// D-Bus's Properties and Introspectable, and an empty Cache.
#include <locale.h>

#include <cstring>

#include "a11y.h"
#include "winx_state.h"

namespace winx::a11y {

namespace {

const int windowLayer = 7;  // ATSPI_LAYER_WINDOW: where top-level windows are

void appendString(DBusMessageIter* it, const std::string& s) {
  const char* p = s.c_str();
  dbus_message_iter_append_basic(it, DBUS_TYPE_STRING, &p);
}
void appendInt(DBusMessageIter* it, int32_t v) {
  dbus_message_iter_append_basic(it, DBUS_TYPE_INT32, &v);
}
void appendUint(DBusMessageIter* it, uint32_t v) {
  dbus_message_iter_append_basic(it, DBUS_TYPE_UINT32, &v);
}
void appendBool(DBusMessageIter* it, bool b) {
  const dbus_bool_t v = b;
  dbus_message_iter_append_basic(it, DBUS_TYPE_BOOLEAN, &v);
}
// A reference (so): a bus name and a path.
void appendRef(DBusMessageIter* it, const std::string& name, const std::string& path) {
  DBusMessageIter s;
  dbus_message_iter_open_container(it, DBUS_TYPE_STRUCT, nullptr, &s);
  appendString(&s, name);
  const char* p = path.c_str();
  dbus_message_iter_append_basic(&s, DBUS_TYPE_OBJECT_PATH, &p);
  dbus_message_iter_close_container(it, &s);
}
void appendObject(DBusMessageIter* it, const Object& o) {
  appendRef(it, state().name, pathOf(o));
}
void appendNull(DBusMessageIter* it) {
  appendRef(it, "", "/org/a11y/atspi/null");
}
// An empty array of the given element signature.
void appendEmpty(DBusMessageIter* it, const char* element) {
  DBusMessageIter a;
  dbus_message_iter_open_container(it, DBUS_TYPE_ARRAY, element, &a);
  dbus_message_iter_close_container(it, &a);
}

// The frame's rectangle: on the screen where the window system tells, else from its corner.
void extents(const Object& o, uint32_t coordType, int r[4]) {
  HWND__* w = o.top->window;
  POINT at = {0, 0};
  const Backend* b = connectedBackend();
  if (coordType == 0 && w->native && b && b->windowOrigin) b->windowOrigin(w, &at);
  r[0] = at.x, r[1] = at.y, r[2] = w->width, r[3] = w->height;
}

// A property's value inside a variant; false where the object has no such property.
bool appendProperty(DBusMessageIter* it, const Object& o, const std::string& interface,
                    const std::string& name) {
  const State& s = state();
  auto variant = [&](const char* signature, auto&& write) {
    DBusMessageIter v;
    dbus_message_iter_open_container(it, DBUS_TYPE_VARIANT, signature, &v);
    write(&v);
    dbus_message_iter_close_container(it, &v);
    return true;
  };
  auto text = [&](const std::string& value) {
    return variant("s", [&](DBusMessageIter* v) { appendString(v, value); });
  };
  auto number = [&](int32_t value) {
    return variant("i", [&](DBusMessageIter* v) { appendInt(v, value); });
  };
  if (interface == "org.a11y.atspi.Accessible") {
    if (name == "Name") return text(nameOf(o));
    if (name == "Description")
      return text(!o.top || o.top->window || o.part != Part::self ? "" : utf8(o.top->text));
    if (name == "Locale")
      return text(setlocale(LC_MESSAGES, nullptr) ? setlocale(LC_MESSAGES, nullptr) : "C");
    if (name == "AccessibleId" || name == "HelpText") return text("");
    if (name == "ChildCount") return number((int32_t)childrenOf(o).size());
    if (name == "Parent") {
      return variant("(so)", [&](DBusMessageIter* v) {
        Object parent;
        if (parentOf(o, &parent))
          appendObject(v, parent);
        else if (!s.parentName.empty())
          appendRef(v, s.parentName, s.parentPath);
        else
          appendNull(v);
      });
    }
  } else if (interface == "org.a11y.atspi.Application" && !o.top) {
    if (name == "ToolkitName") return text("winx");
    if (name == "Version" || name == "ToolkitVersion") return text("1.0");
    if (name == "AtspiVersion") return text("2.1");
    if (name == "Id") return number(s.appId);
  } else if (interface == "org.a11y.atspi.Text" && o.part == Part::label) {
    if (name == "CharacterCount") return number((int32_t)o.top->text.size());
    if (name == "CaretOffset") return number(0);
  } else if (interface == "org.a11y.atspi.Action" && o.part == Part::button) {
    if (name == "NActions") return number(1);
  }
  return false;
}

const char* const propertyNames[] = {
    "Name",         "Description", "Parent",         "ChildCount",  "Locale",
    "AccessibleId", "HelpText",    "ToolkitName",    "Version",     "ToolkitVersion",
    "AtspiVersion", "Id",          "CharacterCount", "CaretOffset", "NActions"};

// org.freedesktop.DBus.Properties: Get, GetAll, and Set for the Id the registry gives us.
bool properties(const Object& o, const char* member, DBusMessage* m, DBusMessageIter* out) {
  const char *interface = nullptr, *name = nullptr;
  if (strcmp(member, "Get") == 0 &&
      dbus_message_get_args(m, nullptr, DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &name,
                            DBUS_TYPE_INVALID)) {
    return appendProperty(out, o, interface, name);
  }
  if (strcmp(member, "GetAll") == 0 &&
      dbus_message_get_args(m, nullptr, DBUS_TYPE_STRING, &interface, DBUS_TYPE_INVALID)) {
    DBusMessageIter a, e, scratch;
    DBusMessage* probe = dbus_message_new_method_return(m);  // which ones it has
    dbus_message_iter_init_append(probe, &scratch);
    dbus_message_iter_open_container(out, DBUS_TYPE_ARRAY, "{sv}", &a);
    for (const char* n : propertyNames) {
      if (!appendProperty(&scratch, o, interface, n)) continue;
      dbus_message_iter_open_container(&a, DBUS_TYPE_DICT_ENTRY, nullptr, &e);
      appendString(&e, n);
      appendProperty(&e, o, interface, n);
      dbus_message_iter_close_container(&a, &e);
    }
    dbus_message_unref(probe);
    dbus_message_iter_close_container(out, &a);
    return true;
  }
  DBusMessageIter in, v;
  if (strcmp(member, "Set") == 0 && !o.top && dbus_message_iter_init(m, &in)) {
    dbus_message_iter_next(&in);
    if (dbus_message_iter_get_arg_type(&in) != DBUS_TYPE_STRING) return false;
    dbus_message_iter_get_basic(&in, &name);
    dbus_message_iter_next(&in);
    if (strcmp(name, "Id") != 0 || dbus_message_iter_get_arg_type(&in) != DBUS_TYPE_VARIANT) {
      return false;
    }
    dbus_message_iter_recurse(&in, &v);
    if (dbus_message_iter_get_arg_type(&v) != DBUS_TYPE_INT32) return false;
    dbus_message_iter_get_basic(&v, &state().appId);
    return true;
  }
  return false;
}

bool accessible(const Object& o, const char* member, DBusMessage* m, DBusMessageIter* out) {
  const std::vector<Object> children = childrenOf(o);
  int32_t index = 0;
  if (strcmp(member, "GetChildAtIndex") == 0 &&
      dbus_message_get_args(m, nullptr, DBUS_TYPE_INT32, &index, DBUS_TYPE_INVALID)) {
    if (index >= 0 && (size_t)index < children.size())
      appendObject(out, children[index]);
    else
      appendNull(out);
  } else if (strcmp(member, "GetChildren") == 0) {
    DBusMessageIter a;
    dbus_message_iter_open_container(out, DBUS_TYPE_ARRAY, "(so)", &a);
    for (const Object& c : children) appendObject(&a, c);
    dbus_message_iter_close_container(out, &a);
  } else if (strcmp(member, "GetIndexInParent") == 0) {
    appendInt(out, indexInParent(o));
  } else if (strcmp(member, "GetRelationSet") == 0) {
    appendEmpty(out, "(ua(so))");
  } else if (strcmp(member, "GetRole") == 0) {
    appendUint(out, roleOf(o));
  } else if (strcmp(member, "GetRoleName") == 0 || strcmp(member, "GetLocalizedRoleName") == 0) {
    appendString(out, roleName(roleOf(o)));
  } else if (strcmp(member, "GetState") == 0) {
    const uint64_t states = statesOf(o);
    DBusMessageIter a;
    dbus_message_iter_open_container(out, DBUS_TYPE_ARRAY, "u", &a);
    appendUint(&a, (uint32_t)states);
    appendUint(&a, (uint32_t)(states >> 32));
    dbus_message_iter_close_container(out, &a);
  } else if (strcmp(member, "GetAttributes") == 0) {
    appendEmpty(out, "{ss}");
  } else if (strcmp(member, "GetApplication") == 0) {
    appendObject(out, Object{});
  } else if (strcmp(member, "GetInterfaces") == 0) {
    DBusMessageIter a;
    dbus_message_iter_open_container(out, DBUS_TYPE_ARRAY, "s", &a);
    for (const char* i : interfacesOf(o)) appendString(&a, i);
    dbus_message_iter_close_container(out, &a);
  } else {
    return false;
  }
  return true;
}

bool application(const char* member, DBusMessageIter* out) {
  if (strcmp(member, "GetLocale") == 0) {
    const char* locale = setlocale(LC_MESSAGES, nullptr);
    appendString(out, locale ? locale : "C");
  } else if (strcmp(member, "GetApplicationBusAddress") == 0) {
    appendString(out, "");  // no connection of our own: the bus is the way in
  } else {
    return false;
  }
  return true;
}

bool component(const Object& o, const char* member, DBusMessage* m, DBusMessageIter* out) {
  uint32_t coordType = 0;
  int32_t x = 0, y = 0;
  int r[4];
  if (strcmp(member, "GetExtents") == 0 || strcmp(member, "GetPosition") == 0) {
    if (!dbus_message_get_args(m, nullptr, DBUS_TYPE_UINT32, &coordType, DBUS_TYPE_INVALID)) {
      return false;
    }
    extents(o, coordType, r);
    if (member[3] == 'P') {
      appendInt(out, r[0]), appendInt(out, r[1]);
      return true;
    }
    DBusMessageIter s;
    dbus_message_iter_open_container(out, DBUS_TYPE_STRUCT, nullptr, &s);
    for (int v : r) appendInt(&s, v);
    dbus_message_iter_close_container(out, &s);
  } else if (strcmp(member, "GetSize") == 0) {
    appendInt(out, o.top->window->width), appendInt(out, o.top->window->height);
  } else if (strcmp(member, "Contains") == 0 || strcmp(member, "GetAccessibleAtPoint") == 0) {
    if (!dbus_message_get_args(m, nullptr, DBUS_TYPE_INT32, &x, DBUS_TYPE_INT32, &y,
                               DBUS_TYPE_UINT32, &coordType, DBUS_TYPE_INVALID)) {
      return false;
    }
    extents(o, coordType, r);
    const bool inside = x >= r[0] && y >= r[1] && x < r[0] + r[2] && y < r[1] + r[3];
    if (member[0] == 'C')
      appendBool(out, inside);
    else
      appendNull(out);  // no children to find there
  } else if (strcmp(member, "GetLayer") == 0) {
    appendUint(out, windowLayer);
  } else if (strcmp(member, "GetMDIZOrder") == 0) {
    const int16_t z = 0;
    dbus_message_iter_append_basic(out, DBUS_TYPE_INT16, &z);
  } else if (strcmp(member, "GetAlpha") == 0) {
    const double alpha = 1.0;
    dbus_message_iter_append_basic(out, DBUS_TYPE_DOUBLE, &alpha);
  } else if (strcmp(member, "GrabFocus") == 0) {
    appendBool(out, false);  // the window system decides which window has the keyboard
  } else {
    return false;
  }
  return true;
}

// The program's ANSI text: each byte one Latin-1 character, so offsets count bytes.
bool text(const Object& o, const char* member, DBusMessage* m, DBusMessageIter* out) {
  const std::string& t = o.top->text;
  const int32_t count = (int32_t)t.size();
  auto clamp = [&](int32_t i) { return i < 0 || i > count ? count : i; };
  int32_t start = 0, end = 0;
  if (strcmp(member, "GetText") == 0 &&
      dbus_message_get_args(m, nullptr, DBUS_TYPE_INT32, &start, DBUS_TYPE_INT32, &end,
                            DBUS_TYPE_INVALID)) {
    start = clamp(start), end = clamp(end);
    appendString(out, start < end ? utf8(t.substr(start, end - start)) : "");
  } else if (strcmp(member, "GetCharacterAtOffset") == 0 &&
             dbus_message_get_args(m, nullptr, DBUS_TYPE_INT32, &start, DBUS_TYPE_INVALID)) {
    appendInt(out, start >= 0 && start < count ? (unsigned char)t[start] : 0);
  } else {
    return false;
  }
  return true;
}

bool action(const Object& o, const char* member, DBusMessage* m, DBusMessageIter* out) {
  int32_t index = 0;
  if (strcmp(member, "GetActions") == 0) {
    DBusMessageIter a, s;
    dbus_message_iter_open_container(out, DBUS_TYPE_ARRAY, "(sss)", &a);
    dbus_message_iter_open_container(&a, DBUS_TYPE_STRUCT, nullptr, &s);
    appendString(&s, "press"), appendString(&s, ""), appendString(&s, "Return");
    dbus_message_iter_close_container(&a, &s);
    dbus_message_iter_close_container(out, &a);
    return true;
  }
  if (!dbus_message_get_args(m, nullptr, DBUS_TYPE_INT32, &index, DBUS_TYPE_INVALID) ||
      index != 0) {
    return false;
  }
  if (strcmp(member, "GetName") == 0 || strcmp(member, "GetLocalizedName") == 0) {
    appendString(out, "press");
  } else if (strcmp(member, "GetDescription") == 0) {
    appendString(out, "");
  } else if (strcmp(member, "GetKeyBinding") == 0) {
    appendString(out, "Return");
  } else if (strcmp(member, "DoAction") == 0) {
    o.top->pressed = true;  // the box's loop sees it after this wait, as Enter
    appendBool(out, true);
  } else {
    return false;
  }
  return true;
}

const char introspection[] =
    "<node><interface name=\"org.a11y.atspi.Accessible\"/>"
    "<interface name=\"org.freedesktop.DBus.Properties\"/></node>";

}  // namespace

DBusHandlerResult answer(DBusConnection* c, DBusMessage* m, void*) {
  if (dbus_message_get_type(m) != DBUS_MESSAGE_TYPE_METHOD_CALL) {
    return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
  }
  const char* interface = dbus_message_get_interface(m);
  const char* member = dbus_message_get_member(m);
  const char* path = dbus_message_get_path(m);
  DBusMessage* reply = dbus_message_new_method_return(m);
  DBusMessageIter out;
  dbus_message_iter_init_append(reply, &out);
  Object o;
  bool answered = false;
  if (strcmp(path, "/org/a11y/atspi/cache") == 0) {
    // Nothing cached ahead: a screen reader asks each object.
    answered = strcmp(member, "GetItems") == 0;
    if (answered) appendEmpty(&out, "((so)(so)(so)iiassusau)");
  } else if (objectAt(path, &o) && interface) {
    const std::string i = interface;
    if (i == "org.freedesktop.DBus.Properties") {
      answered = properties(o, member, m, &out);
    } else if (i == "org.freedesktop.DBus.Introspectable") {
      answered = strcmp(member, "Introspect") == 0;
      if (answered) appendString(&out, introspection);
    } else if (i == "org.a11y.atspi.Accessible") {
      answered = accessible(o, member, m, &out);
    } else if (hasInterface(o, interface)) {
      answered = i == "org.a11y.atspi.Application" ? application(member, &out)
                 : i == "org.a11y.atspi.Component" ? component(o, member, m, &out)
                 : i == "org.a11y.atspi.Text"      ? text(o, member, m, &out)
                                                   : action(o, member, m, &out);
    }
  }
  if (!answered) {
    dbus_message_unref(reply);
    reply = dbus_message_new_error(m, DBUS_ERROR_UNKNOWN_METHOD, "no such object or method");
  }
  dbus_connection_send(c, reply, nullptr);
  dbus_message_unref(reply);
  return DBUS_HANDLER_RESULT_HANDLED;
}

}  // namespace winx::a11y
