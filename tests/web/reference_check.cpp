// Compares a picture of the page's canvas (a binary PPM, at rest) with the headless desktop
// render of the same scene, as the desktop's end-to-end test compares the window: every other
// pixel of every other row within 10, 0.5 % may differ. Neighbouring turns of the spin pass that
// too; the one that matches best is sought (ten turns past the best under the limit) and told.
//   reference_check PICTURE.ppm FOG WIREFRAME [BEST.ppm, where the best match is written]
#include <GL/gl.h>

#include <climits>
#include <cstdio>
#include <fstream>

#include "app/state.h"
#include "scene/frame.h"
#include "scene/scene_setup.h"
#include "tests/support/egl_context.h"
#include "tests/support/xserver.h"

int main(int argc, char** argv) {
  Image s;
  std::string magic;
  int depth = 0;
  std::ifstream in(argc >= 4 ? argv[1] : "", std::ios::binary);
  if (!(in >> magic >> s.width >> s.height >> depth) || magic != "P6" || s.width != s.height) {
    fprintf(stderr,
            "reference_check: usage: reference_check PICTURE.ppm FOG WIREFRAME [BEST.ppm]\n");
    return 2;
  }
  in.get();
  s.rgb.resize((size_t)s.width * s.height * 3);
  in.read((char*)s.rgb.data(), (std::streamsize)s.rgb.size());
  resetViewerState();
  const std::string error = makeEglContext(s.width, s.height);
  if (!error.empty()) {
    fprintf(stderr, "reference_check: %s\n", error.c_str());
    return 2;
  }
  initScene();
  fogOn = atoi(argv[2]), wireframeOn = atoi(argv[3]);
  Image ref{s.width, s.height, std::vector<unsigned char>(s.rgb.size())}, closest = ref;
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  const int limit = ((s.width + 1) / 2) * ((s.height + 1) / 2) / 200;
  int best = INT_MAX, bestFrame = 0;
  for (int frame = 1; frame <= 3600 && (best >= limit || frame - bestFrame <= 10); ++frame) {
    renderFrame();
    glReadPixels(0, 0, s.width, s.height, GL_RGB, GL_UNSIGNED_BYTE, ref.rgb.data());
    const int n = differingPixels(s, ref, 10, 2, true);
    if (n < best) best = n, bestFrame = frame, closest = ref;
  }
  printf("reference_check: at best %.3f %% of pixels differ (frame %d)\n", best / (2.0 * limit),
         bestFrame);
  if (argc > 4) {
    std::ofstream out(argv[4], std::ios::binary);
    out << "P6 " << s.width << " " << s.height << " 255\n";
    for (int y = s.height - 1; y >= 0; --y) {  // GL's rows run up
      out.write((const char*)closest.at(0, y), (std::streamsize)s.width * 3);
    }
  }
  return best < limit ? 0 : 1;
}
