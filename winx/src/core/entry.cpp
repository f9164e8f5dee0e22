// The process entry point: main() hands over to the program's WinMain, as Windows would.
#include <string>

#include <windows.h>

int main(int argc, char** argv) {
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
