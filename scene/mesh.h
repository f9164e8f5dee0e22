#pragma once

// Sends the bowl y = sqrt(x^2 + z^2 + 1) - 1 as 21 x 21 quads in immediate mode.
void drawSurface(void);
