#pragma once

#include <span>
#include <vector>

// Points, rectangles and 3 x 3 matrices in single precision, and the few
// operations that geometry, painting and hit testing share. Matrices act on row
// vectors: a point (x, y) enters as (x, y, 1) and is multiplied from the left,
// so "A, then B" is the product A * B.

struct TuiPoint {
  float X = 0;
  float Y = 0;
  friend bool operator==(const TuiPoint&, const TuiPoint&) = default;
};

struct TuiRect {
  float Left = 0;
  float Top = 0;
  float Right = 0;
  float Bottom = 0;
  float Width() const { return Right - Left; }
  float Height() const { return Bottom - Top; }
  friend bool operator==(const TuiRect&, const TuiRect&) = default;
};

// The canvas takes polygons as plain point lists.
using TuiPolygon = std::vector<TuiPoint>;

struct TuiVector {
  float X = 0;
  float Y = 0;
  float W = 1;
  friend bool operator==(const TuiVector&, const TuiVector&) = default;
};

// M[r][c] is the element m(r+1)(c+1): M[2][0] and M[2][1] hold the translation,
// M[0][2] and M[1][2] the projective column. A default matrix is the identity, so
// that a matrix nobody set yet leaves geometry alone.
struct TuiMatrix {
  float M[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  friend bool operator==(const TuiMatrix&, const TuiMatrix&) = default;
};

// Angles and scalars.
float DegToRad(float Degrees);
float RadToDeg(float Radians);
// Brings an angle in degrees into [-180, 360): 450 -> 90, -270 -> 90, 270 stays.
float NormalizeAngle(float Degrees);
float MinSingle(float A, float B);
float MaxSingle(float A, float B);
void SinCos(float Radians, float& Sin, float& Cos);
// Round half to even on the exact value: 2.5 -> 2, 7.5 -> 8, -2.5 -> -2.
double RoundHalfEven(double Value);

// Rectangles. The in-place operations mirror how callers adjust a rectangle
// they already hold.
void OffsetRect(TuiRect& R, float DeltaX, float DeltaY);
void InflateRect(TuiRect& R, float DeltaX, float DeltaY);
void MultiplyRect(TuiRect& R, float ScaleX, float ScaleY);
// Empty rectangles take part like any other.
TuiRect UnionRect(const TuiRect& A, const TuiRect& B);
// True when A and B share a positive area; Result is then the overlap, otherwise
// all zero. Rectangles that only touch do not overlap.
bool IntersectRect(const TuiRect& A, const TuiRect& B, TuiRect& Result);
// True unless one lies wholly beside, above or below the other; touching counts.
bool RectsIntersect(const TuiRect& A, const TuiRect& B);
// All four edges inclusive.
bool PointInRect(const TuiPoint& P, const TuiRect& R);
bool IsEmptyRect(const TuiRect& R);
// The bounding box of the points; (0, 0, 0, 0) for none.
TuiRect PointsBounds(std::span<const TuiPoint> Points);
// The bounding box of R's four corners under M.
TuiRect TransformBounds(const TuiRect& R, const TuiMatrix& M);
// Moves R, keeping its size, so that it sits centred in Bounds on whole units.
void RectCenter(TuiRect& R, const TuiRect& Bounds);
// Shrinks R (never enlarges it) to whole units fitting Bounds with its aspect
// kept, centres it there and returns the ratio of R's size to Bounds' (1 when
// Bounds has no area, R then unchanged). Callers wanting enlargement divide by it.
float FitRect(TuiRect& R, const TuiRect& Bounds);

// Matrices.
TuiMatrix IdentityMatrix();
TuiMatrix MatrixMultiply(const TuiMatrix& A, const TuiMatrix& B);
float MatrixDeterminant(const TuiMatrix& M);
// A singular matrix (|determinant| < 1E-40) gives the identity, not an error:
// hit testing through a collapsed object must go on.
TuiMatrix InvertMatrix(const TuiMatrix& M);
// Rows (cos, sin, 0), (-sin, cos, 0), (0, 0, 1): clockwise on a y-down screen.
TuiMatrix RotationMatrix(float Radians);
// (x, y, 1) * M; W is dropped without dividing.
TuiPoint TransformPoint(const TuiPoint& P, const TuiMatrix& M);
TuiVector TransformVector(const TuiVector& V, const TuiMatrix& M);
