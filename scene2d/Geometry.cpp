#include "scene2d/Geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

float DegToRad(float Degrees) {
  return static_cast<float>(Degrees * std::numbers::pi / 180);
}

float RadToDeg(float Radians) {
  return static_cast<float>(Radians * 180 / std::numbers::pi);
}

float NormalizeAngle(float Degrees) {
  // fmod is x - Trunc(x / 360) * 360 computed exactly, so large angles do not
  // drift out of the range through a rounded quotient.
  float r = std::fmod(Degrees, 360.0f);
  if (r < -180) r += 360;
  return r;
}

float MinSingle(float A, float B) {
  return A < B ? A : B;
}

float MaxSingle(float A, float B) {
  return A > B ? A : B;
}

void SinCos(float Radians, float& Sin, float& Cos) {
  Sin = std::sin(Radians);
  Cos = std::cos(Radians);
}

double RoundHalfEven(double Value) {
  // Written out rather than left to nearbyint, whose result follows whatever
  // rounding mode the floating-point environment happens to be in.
  double floor = std::floor(Value);
  double diff = Value - floor;
  if (diff > 0.5) return floor + 1;
  if (diff < 0.5) return floor;
  return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

void OffsetRect(TuiRect& R, float DeltaX, float DeltaY) {
  R.Left += DeltaX;
  R.Right += DeltaX;
  R.Top += DeltaY;
  R.Bottom += DeltaY;
}

void InflateRect(TuiRect& R, float DeltaX, float DeltaY) {
  R.Left -= DeltaX;
  R.Top -= DeltaY;
  R.Right += DeltaX;
  R.Bottom += DeltaY;
}

void MultiplyRect(TuiRect& R, float ScaleX, float ScaleY) {
  R.Left *= ScaleX;
  R.Right *= ScaleX;
  R.Top *= ScaleY;
  R.Bottom *= ScaleY;
}

TuiRect UnionRect(const TuiRect& A, const TuiRect& B) {
  return {MinSingle(A.Left, B.Left), MinSingle(A.Top, B.Top), MaxSingle(A.Right, B.Right),
          MaxSingle(A.Bottom, B.Bottom)};
}

bool IntersectRect(const TuiRect& A, const TuiRect& B, TuiRect& Result) {
  TuiRect r{MaxSingle(A.Left, B.Left), MaxSingle(A.Top, B.Top), MinSingle(A.Right, B.Right),
            MinSingle(A.Bottom, B.Bottom)};
  if (IsEmptyRect(r)) {
    Result = TuiRect{};
    return false;
  }
  Result = r;
  return true;
}

bool RectsIntersect(const TuiRect& A, const TuiRect& B) {
  return !(A.Right < B.Left || A.Left > B.Right || A.Bottom < B.Top || A.Top > B.Bottom);
}

bool PointInRect(const TuiPoint& P, const TuiRect& R) {
  return R.Left <= P.X && P.X <= R.Right && R.Top <= P.Y && P.Y <= R.Bottom;
}

bool IsEmptyRect(const TuiRect& R) {
  return !(R.Width() > 0 && R.Height() > 0);
}

TuiRect PointsBounds(std::span<const TuiPoint> Points) {
  // Starting from the first point rather than from fixed sentinels keeps the box
  // right for coordinates of any size.
  if (Points.empty()) return {};
  TuiRect r{Points[0].X, Points[0].Y, Points[0].X, Points[0].Y};
  for (const TuiPoint& p : Points.subspan(1)) {
    if (p.X < r.Left) r.Left = p.X;
    if (p.Y < r.Top) r.Top = p.Y;
    if (p.X > r.Right) r.Right = p.X;
    if (p.Y > r.Bottom) r.Bottom = p.Y;
  }
  return r;
}

TuiRect TransformBounds(const TuiRect& R, const TuiMatrix& M) {
  const TuiPoint corners[4] = {TransformPoint({R.Left, R.Top}, M), TransformPoint({R.Right, R.Top}, M),
                               TransformPoint({R.Right, R.Bottom}, M), TransformPoint({R.Left, R.Bottom}, M)};
  return PointsBounds(corners);
}

void RectCenter(TuiRect& R, const TuiRect& Bounds) {
  // The halves are taken in double so that the tie test sees the exact value.
  double width = double(R.Right) - R.Left;
  double height = double(R.Bottom) - R.Top;
  double dx = RoundHalfEven((double(Bounds.Right) - Bounds.Left - width) / 2) + Bounds.Left;
  double dy = RoundHalfEven((double(Bounds.Bottom) - Bounds.Top - height) / 2) + Bounds.Top;
  R = {static_cast<float>(dx), static_cast<float>(dy), static_cast<float>(dx + width),
       static_cast<float>(dy + height)};
}

float FitRect(TuiRect& R, const TuiRect& Bounds) {
  double boundsWidth = double(Bounds.Right) - Bounds.Left;
  double boundsHeight = double(Bounds.Bottom) - Bounds.Top;
  if (boundsWidth * boundsHeight == 0) return 1;
  double width = double(R.Right) - R.Left;
  double height = double(R.Bottom) - R.Top;
  double ratio = std::max(width / boundsWidth, height / boundsHeight);
  if (ratio >= 1) {
    width = RoundHalfEven(width / ratio);
    height = RoundHalfEven(height / ratio);
  }
  R = {0, 0, static_cast<float>(width), static_cast<float>(height)};
  RectCenter(R, Bounds);
  return static_cast<float>(ratio);
}

TuiMatrix IdentityMatrix() {
  return TuiMatrix{};
}

TuiMatrix MatrixMultiply(const TuiMatrix& A, const TuiMatrix& B) {
  TuiMatrix r;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      r.M[i][j] = A.M[i][0] * B.M[0][j] + A.M[i][1] * B.M[1][j] + A.M[i][2] * B.M[2][j];
  return r;
}

namespace {

// The 2 x 2 minor left when row Row and column Col are struck out.
double Minor(const TuiMatrix& M, int Row, int Col) {
  int r0 = Row == 0 ? 1 : 0, r1 = Row == 2 ? 1 : 2;
  int c0 = Col == 0 ? 1 : 0, c1 = Col == 2 ? 1 : 2;
  return double(M.M[r0][c0]) * M.M[r1][c1] - double(M.M[r0][c1]) * M.M[r1][c0];
}

double Determinant(const TuiMatrix& M) {
  return M.M[0][0] * Minor(M, 0, 0) - M.M[0][1] * Minor(M, 0, 1) + M.M[0][2] * Minor(M, 0, 2);
}

}  // namespace

float MatrixDeterminant(const TuiMatrix& M) {
  return static_cast<float>(Determinant(M));
}

TuiMatrix InvertMatrix(const TuiMatrix& M) {
  double d = Determinant(M);
  if (std::fabs(d) < 1E-40) return IdentityMatrix();
  TuiMatrix r;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      // Element (i, j) of the adjoint is the cofactor (j, i).
      double cofactor = ((i + j) % 2 == 0 ? 1 : -1) * Minor(M, j, i);
      r.M[i][j] = static_cast<float>(cofactor / d);
    }
  return r;
}

TuiMatrix RotationMatrix(float Radians) {
  float s, c;
  SinCos(Radians, s, c);
  TuiMatrix r;
  r.M[0][0] = c;
  r.M[0][1] = s;
  r.M[1][0] = -s;
  r.M[1][1] = c;
  return r;
}

TuiPoint TransformPoint(const TuiPoint& P, const TuiMatrix& M) {
  return {P.X * M.M[0][0] + P.Y * M.M[1][0] + M.M[2][0], P.X * M.M[0][1] + P.Y * M.M[1][1] + M.M[2][1]};
}

TuiVector TransformVector(const TuiVector& V, const TuiMatrix& M) {
  return {V.X * M.M[0][0] + V.Y * M.M[1][0] + V.W * M.M[2][0],
          V.X * M.M[0][1] + V.Y * M.M[1][1] + V.W * M.M[2][1],
          V.X * M.M[0][2] + V.Y * M.M[1][2] + V.W * M.M[2][2]};
}
