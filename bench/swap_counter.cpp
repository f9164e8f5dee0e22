// Counts the frames a program draws and shows, without changing it: preloaded (LD_PRELOAD), it
// stands in for glXSwapBuffers and eglSwapBuffers (frames shown), glClear (frames drawn) and
// glViewport (views set: each size the program takes), counts each call into the file named by
// BOWLVIEW_SWAP_COUNT (three 8-byte counters in that order, shared, so that another process can
// read them while the program runs) and passes the call on. The same counts on X11 and Wayland.
#include <dlfcn.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

enum Counter { swaps, clears, viewports, counters };

// The shared counters; private ones if the file cannot be had, so that the program runs on.
void count(Counter c) {
  static uint64_t* shared = [] {
    static uint64_t fallback[counters] = {};
    const char* path = getenv("BOWLVIEW_SWAP_COUNT");
    const int fd = path ? open(path, O_RDWR | O_CREAT, 0600) : -1;
    if (fd < 0 || ftruncate(fd, sizeof fallback) != 0) return fallback;
    void* p = mmap(nullptr, sizeof fallback, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    return p == MAP_FAILED ? fallback : static_cast<uint64_t*>(p);
  }();
  __atomic_add_fetch(&shared[c], 1, __ATOMIC_RELAXED);
}

// The next definition of name after this library's: the real one.
template <typename Fn>
Fn next(const char* name) {
  return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

}  // namespace

// Declared with the types as the ABI sees them (EGLBoolean is unsigned, GLXDrawable an XID,
// GLbitfield and GLsizei 32 bits), so that no library's headers are needed.
extern "C" unsigned eglSwapBuffers(void* display, void* surface) {
  static auto real = next<unsigned (*)(void*, void*)>("eglSwapBuffers");
  count(swaps);
  return real(display, surface);
}

extern "C" void glXSwapBuffers(void* display, unsigned long drawable) {
  static auto real = next<void (*)(void*, unsigned long)>("glXSwapBuffers");
  count(swaps);
  real(display, drawable);
}

extern "C" void glClear(unsigned mask) {
  static auto real = next<void (*)(unsigned)>("glClear");
  count(clears);
  real(mask);
}

extern "C" void glViewport(int x, int y, int width, int height) {
  static auto real = next<void (*)(int, int, int, int)>("glViewport");
  count(viewports);
  real(x, y, width, height);
}
