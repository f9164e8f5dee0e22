#include "trackball/trackball.h"

#include <math.h>

#include "scene/frame.h"

namespace {

const float quarterTurn = 1.5707964f;
const double rimClamp = 1.0;
const float angleGain = 90.0f;
const float spinAngle = 0.2f;

}  // namespace

void mapToSphere(int x, int y, int w, int h, Vec3* out) {
  const double px = (2.0 * x - w) / w;
  const double py = (h - 2.0 * y) / h;
  double d = sqrt(px * px + py * py);
  if (!(d < rimClamp)) {
    d = rimClamp;  // on or beyond the rim (a NaN too): the height of the rim
  }
  // Cosine of a quarter turn, not sqrt(1 - d^2): the whole point is rescaled to unit length.
  const double pz = cos(d * quarterTurn);
  const double inv = 1.0 / sqrt(px * px + py * py + pz * pz);
  out->x = (float)(px * inv);
  out->y = (float)(py * inv);
  out->z = (float)(pz * inv);
}

void trackballPress(int button, int x, int y) {
  if (button != trackballLeftButton) {
    return;
  }
  rotationActive = 1;
  dragging = 1;
  spinning = 0;
  pressX = x;
  pressY = y;
  pointerX = x;
  pointerY = y;
  mapToSphere(x, y, winWidth, winHeight, &lastBallVec);
}

void trackballMotion(int x, int y) {
  if (dragging == 0) {
    return;
  }
  Vec3 v;
  mapToSphere(x, y, winWidth, winHeight, &v);
  const Vec3 l = lastBallVec;
  const double dx = v.x - l.x, dy = v.y - l.y, dz = v.z - l.z;
  rotAngle = (float)(angleGain * sqrt(dx * dx + dy * dy + dz * dz));
  rotAxis.x = l.y * v.z - l.z * v.y;
  rotAxis.y = l.z * v.x - l.x * v.z;
  rotAxis.z = l.x * v.y - l.y * v.x;
  lastBallVec = v;
  pointerX = x;
  pointerY = y;
  requestRedraw();
}

void trackballRelease(int button, int x, int y) {
  if (button != trackballLeftButton || rotationActive != 1) {
    return;
  }
  dragging = 0;
  if (x == pressX && y == pressY) {
    rotAngle = 0.0f;
    spinning = 0;
    rotationActive = 0;
  } else {
    spinning = 1;
    rotAngle = spinAngle;
  }
  requestRedraw();
}

void trackballCaptureLost(void) {
  if (dragging == 1) {
    trackballRelease(trackballLeftButton, pointerX, pointerY);
  }
}
