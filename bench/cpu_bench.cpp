// The viewer's own CPU per frame on a headless OpenGL context: a whole frame without the
// buffer swap, and the mesh alone.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdio>

#include "app/state.h"
#include "scene/frame.h"
#include "scene/materials.h"
#include "scene/mesh.h"
#include "scene/scene_setup.h"
#include "tests/support/egl_context.h"

namespace {

// One context for the whole run, at the window size of a 1024-pixel-high screen.
bool prepare() {
  static const bool ready = [] {
    resetViewerState();
    const std::string error = makeEglContext(819, 819);
    if (!error.empty()) fprintf(stderr, "bench: %s\n", error.c_str());
    if (error.empty()) initScene();
    return error.empty();
  }();
  return ready;
}

// renderFrame with glFinish: what the program asks for, drawn to the end.
void frameWithoutSwap(benchmark::State& state) {
  if (!prepare()) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  for (auto _ : state) {
    renderFrame();
    glFinish();
  }
}
BENCHMARK(frameWithoutSwap)->Unit(benchmark::kMicrosecond);

// The mesh alone: the grid's arithmetic and its 2,205 immediate-mode calls, lit.
void drawSurfaceAlone(benchmark::State& state) {
  if (!prepare()) {
    state.SkipWithError("no OpenGL context");
    return;
  }
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
  setMaterials();
  int calls = 0;
  for (auto _ : state) {
    drawSurface();
    if (++calls % 64 == 0) glFinish();  // keep the driver's queue short
  }
  glFinish();
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
}
BENCHMARK(drawSurfaceAlone)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
