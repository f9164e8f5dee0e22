// Images as packed RGB rows, and how much two of them differ.
#pragma once

#include <cstdlib>
#include <vector>

struct Image {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;
  const unsigned char* at(int x, int y) const { return &rgb[((size_t)y * width + x) * 3]; }
};

// Whether pixel p is within tolerance of colour c in every channel.
inline bool near(const unsigned char* p, const std::vector<int>& c, int tolerance = 3) {
  return std::abs(p[0] - c[0]) <= tolerance && std::abs(p[1] - c[1]) <= tolerance &&
         std::abs(p[2] - c[2]) <= tolerance;
}

// Pixels of a that differ from b's by more than tolerance, looking at every step-th pixel of
// every step-th row; b may be wider (its rows b.width long) and upside down.
inline int differingPixels(const Image& a, const Image& b, int tolerance = 0, int step = 1,
                           bool flipB = false) {
  int n = 0;
  for (int y = 0; y < a.height && y < b.height; y += step) {
    for (int x = 0; x < a.width && x < b.width; x += step) {
      const unsigned char* q = b.at(x, flipB ? b.height - 1 - y : y);
      n += !near(a.at(x, y), {q[0], q[1], q[2]}, tolerance);
    }
  }
  return n;
}
