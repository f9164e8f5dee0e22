#pragma once

// Sizes the window for the screen: square, 0.8 of the screen's height on each side. At start,
// and again when the screen changes under the window.
void sizeWindowForScreen(void);
