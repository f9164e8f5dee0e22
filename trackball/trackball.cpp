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
  dragHasAxis = 0;
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
  const Vec3 axis = {l.y * v.z - l.z * v.y, l.z * v.x - l.x * v.z, l.x * v.y - l.y * v.x};
  if (axis.x == 0.0f && axis.y == 0.0f && axis.z == 0.0f) {
    // A motion onto the same hemisphere point (a repeated position) turns nothing, and
    // keeps the last real axis for the spin a release may start.
    rotAngle = 0.0f;
  } else {
    rotAngle = (float)(angleGain * sqrt(dx * dx + dy * dy + dz * dz));
    rotAxis = axis;
    dragHasAxis = 1;
  }
  lastBallVec = v;
  pointerX = x;
  pointerY = y;
  requestRedraw();
}

void trackballRelease(int button, int x, int y) {
  if (button != trackballLeftButton || rotationActive != 1) {
    return;
  }
  const int wasDragging = dragging;
  dragging = 0;
  // A drag that never gave an axis has nothing to spin about: it ends at rest, never as a
  // spin that turns nothing while frames are drawn without end.
  if ((x == pressX && y == pressY) || (wasDragging && !dragHasAxis)) {
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
