// The process entry point: main() hands over to the program's WinMain, as Windows would.
// --version and --help are answered here, before any display is opened, as GNU programs
// answer them (help2man relies on it); WinMain ignores every other argument.
#include <stdio.h>
#include <string.h>

#include <string>

#include <windows.h>

static const char versionText[] = "bowlview " BOWLVIEW_VERSION
                                  "\n"
                                  "Copyright (c) 2026 the bowlview authors\n"
                                  "License MIT: <https://opensource.org/licenses/MIT>.\n"
                                  "This is free software: you are free to change and "
                                  "redistribute it.\n"
                                  "There is NO WARRANTY, to the extent permitted by law.\n";

static const char helpText[] =
    "Usage: bowlview [OPTION]\n"
    "Show a lit, spinning bowl in a window and turn it with the mouse.\n"
    "\n"
    "A box listing the controls comes first; the window opens once it is dismissed.\n"
    "A drag turns the bowl, a click stops it, f switches fog, p wire-frame, Esc quits.\n"
    "It runs on the Wayland compositor WAYLAND_DISPLAY names where one answers, else on the\n"
    "X display DISPLAY names (BOWLVIEW_BACKEND=x11 or wayland forces one); it ignores any\n"
    "other argument.\n"
    "\n"
    "Options:\n"
    "      --help     display this help and exit\n"
    "      --version  output version information and exit\n";

// The text the first --version or --help asks for (wherever it is, as getopt finds it); null
// where neither is given.
static const char* gnuAnswer(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (!strcmp(argv[i], "--version")) return versionText;
    if (!strcmp(argv[i], "--help")) return helpText;
  }
  return nullptr;
}

int main(int argc, char** argv) {
  if (const char* answer = gnuAnswer(argc, argv)) {
    return fputs(answer, stdout) >= 0 && fflush(stdout) == 0 ? 0 : 1;
  }
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) {
      commandLine += ' ';
    }
    commandLine += argv[i];
  }
  static int instance;
  return WinMain((HINSTANCE)&instance, nullptr, &commandLine[0], SW_SHOWNORMAL);
}
