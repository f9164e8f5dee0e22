// OpenGL 1.1's fixed-function pipeline over WebGL, for exactly what the program calls: immediate
// mode quads, the matrix stacks, up to eight directional lights with two-sided lighting, fog,
// wire-frame through glPolygonMode and its line width. The program's gl* calls land here; WebGL
// is reached through its emscripten_gl* names.
#pragma once

namespace winx::web::gl {

struct FixedFunction;

// GL 1.1's initial state and the WebGL objects to draw it with, for the current WebGL context;
// null if WebGL refuses the shaders.
FixedFunction* create();
void destroy(FixedFunction* f);
// The WebGL objects and state made again in a restored context (the old ones went with it);
// false if WebGL refuses the shaders.
bool restore(FixedFunction* f);
// Where the gl* calls go from now on; null: nowhere (they are ignored).
void makeCurrent(FixedFunction* f);

}  // namespace winx::web::gl
