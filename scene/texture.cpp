#include "scene/texture.h"

#include <stdlib.h>

#include "app/state.h"
#include "scene/gl_headers.h"

void fillCheckerImage(unsigned char* rgba) {
  unsigned char* texel = rgba;
  for (int r = 0; r < checkerSize; ++r) {
    for (int c = 0; c < checkerSize; ++c) {
      const unsigned char v = ((r ^ c) & 32) ? 255 : 16;
      *texel++ = v;
      *texel++ = v;
      *texel++ = v;
      *texel++ = 255;
    }
  }
}

void makeCheckerTexture(void) {
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, decalOn ? GL_DECAL : GL_MODULATE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);

  unsigned char* image = (unsigned char*)malloc((size_t)checkerSize * checkerSize * 4);
  if (image == NULL) {
    return;  // no image: the parameters above still stand
  }
  fillCheckerImage(image);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, checkerSize, checkerSize, 0, GL_RGBA, GL_UNSIGNED_BYTE,
               image);
  free(image);
}
