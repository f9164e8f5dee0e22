// The accessibility tree's own state: the bus, the objects, and what was last told of them.
#pragma once

#include <dbus/dbus.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "accessibility.h"

namespace winx::a11y {

// A child of the application: a window's frame, or a box's dialog with its text and OK.
struct Top {
  int id;
  HWND__* window;  // null for a box
  std::string caption, text;
  bool error = false;
  bool pressed = false;  // OK pressed through the bus
  uint64_t states = 0;   // as last told
};

// States as AT-SPI 2 numbers their bits (atspi-constants.h).
enum StateBit {
  active = 1,
  enabled = 8,
  focusable = 11,
  focused = 12,
  iconified = 15,
  modal = 16,
  multiLine = 17,
  sensitive = 24,
  showing = 25,
  visible = 30,
  isDefault = 39
};

enum class Part { self, label, button };

// An object on the bus; a null top is the application itself.
struct Object {
  Top* top = nullptr;
  Part part = Part::self;
  bool operator==(const Object& o) const { return top == o.top && part == o.part; }
};

struct State {
  DBusConnection* session = nullptr;  // only until it has told the accessibility bus's address
  bool sessionDone = false;
  DBusConnection* bus = nullptr;
  std::vector<std::pair<DBusConnection*, DBusWatch*>> watches;
  std::string name;                    // ours on the accessibility bus
  std::string parentName, parentPath;  // the registry's root, once it has embedded us
  std::vector<std::unique_ptr<Top>> tops;
  int nextId = 1;
  int32_t appId = 0;  // the registry's number for us
};
State& state();

// Objects (objects.cpp).
extern const char* const rootPath;
std::string pathOf(const Object& o);
// The object at a path of ours; false for none.
bool objectAt(const char* path, Object* o);
std::vector<Object> childrenOf(const Object& o);
// False for the application, whose parent is the registry's root.
bool parentOf(const Object& o, Object* parent);
int indexInParent(const Object& o);
uint32_t roleOf(const Object& o);
const char* roleName(uint32_t role);
std::string nameOf(const Object& o);
uint64_t statesOf(const Object& o);
// The interfaces it answers: Accessible, and one of Application, Component, Text or Action.
std::vector<const char*> interfacesOf(const Object& o);
bool hasInterface(const Object& o, const char* interface);

// Method calls on our objects, answered (answers.cpp).
DBusHandlerResult answer(DBusConnection* c, DBusMessage* m, void*);
// The program's ANSI text (Latin-1, as the box draws it) as D-Bus's UTF-8.
std::string utf8(const std::string& text);

// Events, where a registry has embedded us (events.cpp): detail, two numbers, and any object.
void emit(const Object& o, const char* interface, const char* member, const char* detail, int d1,
          const Object* child = nullptr);
// What a screen reader says when a box comes up: the dialog active, its OK focused.
void announceBox(Top* t);

}  // namespace winx::a11y
