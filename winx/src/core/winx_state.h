// The core's own state: one struct, one thread, no locks. The backend keeps its own.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "backend.h"
#include "message_queue.h"
#include "timers.h"

struct HGLRC__ {
  void* context;  // the backend's
};

struct HPALETTE__ {
  std::vector<PALETTEENTRY> entries;
};

namespace winx {

struct RegisteredClass {
  std::string name;
  WNDCLASSA wc;
};

struct State {
  const Backend* backend = nullptr;  // chosen and connected on first need
  std::string displayBus;            // the accessibility bus the display names

  std::vector<RegisteredClass> classes;
  std::vector<std::unique_ptr<HWND__>> windows;  // never freed: stale handles stay harmless
  std::vector<std::unique_ptr<HPALETTE__>> palettes;
  MessageQueue queue;
  TimerSet timers;
  HWND capture = nullptr;
  HCURSOR cursor = arrowCursor();  // Win32's current cursor

  bool formatsLoaded = false;
  std::vector<PIXELFORMATDESCRIPTOR> formats;

  // The key message last handed out, so TranslateMessage can post what it typed.
  MSG lastKey = {};
  std::string lastKeyChars;
};

State& state();

// The backend, chosen and connected on first use; exits with status 1 if none connects.
const Backend& backend();
// The backend if already connected, else null.
const Backend* connectedBackend();

HWND__* liveWindow(HWND hwnd);
// The accessibility bus, served without waiting (from PeekMessage and GetMessage).
void serveOthers();
void loadPixelFormats();

}  // namespace winx
