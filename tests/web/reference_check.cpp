// The page's canvas at rest (a binary PPM) against the headless desktop render of the same
// scene, as the desktop's end-to-end test compares the window; tells how far off it is.
//   reference_check PICTURE.ppm FOG WIREFRAME
#include <cstdio>
#include <fstream>
#include <iterator>

#include "tests/support/egl_context.h"
#include "tests/support/xserver.h"

int main(int argc, char** argv) {
  std::ifstream in(argc == 4 ? argv[1] : "", std::ios::binary);
  const Image s = imageFromPpm(std::string(std::istreambuf_iterator<char>(in), {}));
  if (s.width == 0 || s.width != s.height) {
    fprintf(stderr, "reference_check: usage: reference_check PICTURE.ppm FOG WIREFRAME\n");
    return 2;
  }
  int frame = 0;
  const int best = differsFromReference(s, s.width, atoi(argv[2]), atoi(argv[3]), &frame);
  const int limit = ((s.width + 1) / 2) * ((s.height + 1) / 2) / 200;
  printf("reference_check: at best %.3f %% of pixels differ (frame %d)\n", best / (2.0 * limit),
         frame);
  return best < limit ? 0 : 1;
}
