// Pictures in shared memory (wl_shm): the boxes' and the icon's.
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

#include "wl_state.h"

namespace winx::wayland {

wl_buffer* shmBuffer(const uint32_t* pixels, int width, int height, uint32_t format) {
  const int stride = width * 4;
  const size_t size = (size_t)stride * height;
  const int fd = memfd_create("winx", MFD_CLOEXEC);
  if (fd < 0 || ftruncate(fd, (off_t)size) < 0) {
    if (fd >= 0) close(fd);
    return nullptr;
  }
  void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (memory == MAP_FAILED) {
    close(fd);
    return nullptr;
  }
  memcpy(memory, pixels, size);  // 0xAARRGGBB words, as wl_shm's 32-bit formats are
  munmap(memory, size);
  wl_shm_pool* pool = wl_shm_create_pool(state().shm, fd, (int32_t)size);
  wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, format);
  wl_shm_pool_destroy(pool);
  close(fd);
  return buffer;
}

}  // namespace winx::wayland
