// A real OpenGL compatibility context from Mesa, headless (EGL surfaceless, a pbuffer).

#include <string>

// Makes a fresh context current on a width x height pbuffer, in place of the last one made
// here, and sets the viewer's window size to match; "" once done, or why it could not be.
std::string makeEglContext(int width, int height);

// Puts every variable of the viewer's state back to its initial value.
void resetViewerState();

struct Image;
// At best, how many of window's pixels (every other of every other row) differ by more than 10
// from the scene drawn headless (fog, wire-frame as asked; viewport side × side) after 1 to 3600
// spin frames, the best in *frame; the search ends ten frames past a match within 0.5 %.
int differsFromReference(const Image& window, int side, bool fog = false, bool wireframe = false,
                         int* frame = nullptr);
