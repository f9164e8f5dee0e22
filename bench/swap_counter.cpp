// Counts the frames a program shows, without changing it: preloaded (LD_PRELOAD), it stands in
// for glXSwapBuffers and eglSwapBuffers, counts each call into the 8-byte file named by
// BOWLVIEW_SWAP_COUNT (shared, so that another process can read it while the program runs) and
// passes the call on. The same count on X11 and on Wayland.
#include <dlfcn.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// The shared counter; a private one if the file cannot be had, so that the program runs on.
uint64_t* counter() {
  static uint64_t* shared = [] {
    static uint64_t fallback = 0;
    const char* path = getenv("BOWLVIEW_SWAP_COUNT");
    const int fd = path ? open(path, O_RDWR | O_CREAT, 0600) : -1;
    if (fd < 0 || ftruncate(fd, sizeof(uint64_t)) != 0) return &fallback;
    void* p = mmap(nullptr, sizeof(uint64_t), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    return p == MAP_FAILED ? &fallback : static_cast<uint64_t*>(p);
  }();
  return shared;
}

// The next definition of name after this library's: the real one.
template <typename Fn>
Fn next(const char* name) {
  return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

}  // namespace

// Declared with the types as the ABI sees them (EGLBoolean is unsigned, GLXDrawable an XID), so
// that neither library's headers are needed.
extern "C" unsigned eglSwapBuffers(void* display, void* surface) {
  static auto real = next<unsigned (*)(void*, void*)>("eglSwapBuffers");
  __atomic_add_fetch(counter(), 1, __ATOMIC_RELAXED);
  return real(display, surface);
}

extern "C" void glXSwapBuffers(void* display, unsigned long drawable) {
  static auto real = next<void (*)(void*, unsigned long)>("glXSwapBuffers");
  __atomic_add_fetch(counter(), 1, __ATOMIC_RELAXED);
  real(display, drawable);
}
