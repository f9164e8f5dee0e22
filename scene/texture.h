#pragma once

enum { checkerSize = 256 };

// Fills a checkerSize x checkerSize RGBA image: 32-texel squares, dark grey at (0, 0).
void fillCheckerImage(unsigned char* rgba);
// Configures the default 2D texture and uploads the checkerboard to it.
void makeCheckerTexture(void);
