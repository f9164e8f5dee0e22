#pragma once

#include "app/state.h"

enum { trackballLeftButton = 1 };

// Maps window point (x, y) of a w x h window onto the unit hemisphere facing the viewer.
void mapToSphere(int x, int y, int w, int h, Vec3* out);
// Left-button press: starts a drag and stops the spin.
void trackballPress(int button, int x, int y);
// Pointer motion: during a drag, the increment from the last point to this one.
void trackballMotion(int x, int y);
// Left-button release: a click stops the model, a drag elsewhere leaves it spinning.
void trackballRelease(int button, int x, int y);
// The drag lost its capture without a button-up: end it where the pointer was last seen.
void trackballCaptureLost(void);
