#include "tools/imagegen/StyleImages.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

namespace {

// Alpha by depth into each edge band, counted from the clear interior
// outwards: entry 0 is the pixel next to the interior.
constexpr std::array<uint8_t, 8> LeftProfile = {71, 54, 38, 26, 15, 8, 3, 0};
constexpr std::array<uint8_t, 10> RightProfile = {62, 155, 131, 107, 85, 65, 48, 34, 22, 13};
constexpr std::array<uint8_t, 12> TopProfile = {48, 61, 44, 31, 19, 11, 5, 1, 0, 0, 0, 0};
constexpr std::array<uint8_t, 12> BottomProfile = {70, 154, 130, 106, 84, 64, 47, 33, 21, 12, 6, 2};

constexpr int ShadowWidth = 101, ShadowHeight = 78;
constexpr int InnerLeft = 8, InnerRight = 90, InnerTop = 12, InnerBottom = 65;

// The profile at a fractional depth (1 = the first pixel of the band),
// linear between pixels; nothing beyond the band.
double Sample(std::span<const uint8_t> Profile, double Depth) {
  if (Depth < 1) Depth = 1;
  const double i = Depth - 1;
  if (i > double(Profile.size() - 1)) return 0;
  const size_t lo = size_t(i);
  const size_t hi = std::min(lo + 1, Profile.size() - 1);
  const double t = i - double(lo);
  return Profile[lo] * (1 - t) + Profile[hi] * t;
}

uint8_t ShadowAlpha(int X, int Y) {
  std::span<const uint8_t> across, down;
  int dx = 0, dy = 0;  // depth into the left/right and top/bottom bands
  if (X < InnerLeft) dx = InnerLeft - X, across = LeftProfile;
  if (X > InnerRight) dx = X - InnerRight, across = RightProfile;
  if (Y < InnerTop) dy = InnerTop - Y, down = TopProfile;
  if (Y > InnerBottom) dy = Y - InnerBottom, down = BottomProfile;
  if (dx == 0 && dy == 0) return 0;
  if (dy == 0) return across[dx - 1];
  if (dx == 0) return down[dy - 1];
  // A corner: the distance on an ellipse through both bands' outer edges picks
  // the depth, and the direction blends the two edges' profiles, so the
  // contours run round from one edge into the other.
  const double u = double(dx) / double(across.size());
  const double v = double(dy) / double(down.size());
  const double r2 = u * u + v * v;
  const double r = std::sqrt(r2);
  if (r > 1) return 0;
  const double a = (u * u / r2) * Sample(across, r * double(across.size())) +
                   (v * v / r2) * Sample(down, r * double(down.size()));
  return uint8_t(std::lround(a));
}

}  // namespace

void uxMakeHudShadow(TuiBitmap& Bitmap) {
  Bitmap.SetSize(ShadowWidth, ShadowHeight);
  for (int y = 0; y < ShadowHeight; ++y) {
    uint32_t* row = Bitmap.Scanline(y);
    // Black with alpha a is a << 24 premultiplied.
    for (int x = 0; x < ShadowWidth; ++x) row[x] = uint32_t(ShadowAlpha(x, y)) << 24;
  }
  Bitmap.Changed();
}

void uxMakeHudSizeGrip(TuiBitmap& Bitmap) {
  constexpr uint32_t Dark = 0xFF0F0F0F, Grey = 0xFF959595;
  constexpr int Last = 11;  // the lines end at column 11 and row 11
  Bitmap.SetSize(15, 15);
  // The three diagonals are the pixels with x + y = 13, 17 and 21 inside the
  // square (2..11) x (2..11).
  for (int sum : {13, 17, 21}) {
    for (int x = sum - Last; x <= Last; ++x) {
      const int y = sum - x;
      Bitmap.Scanline(y)[x] = Dark;
      if (x < Last) Bitmap.Scanline(y)[x + 1] = Grey;
    }
  }
  Bitmap.Changed();
}
