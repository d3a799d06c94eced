#pragma once

#include <cstdint>

// 3D values in single precision. Points are row vectors (v' = v * M), so the
// fourth row of a matrix holds the translation and "A, then B" is A * B, as in
// the 2D core. The memory layout of TscMatrix (rows one after another) is the
// column-major layout an OpenGL fixed-function call expects for the same
// transformation, so a device can hand &M[0][0] over unchanged.

struct TscVector {
  float X = 0;
  float Y = 0;
  float Z = 0;
  float W = 1;  // 1 for points, 0 for directions
  friend bool operator==(const TscVector&, const TscVector&) = default;
};

// M[r][c] is m(r+1)(c+1). A default matrix is the identity.
struct TscMatrix {
  float M[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  friend bool operator==(const TscMatrix&, const TscMatrix&) = default;
};

// A rotation as a unit quaternion; (0, 0, 0, 1) turns nothing.
struct TscQuaternion {
  float X = 0;
  float Y = 0;
  float Z = 0;
  float W = 1;
  friend bool operator==(const TscQuaternion&, const TscQuaternion&) = default;
};

TscVector scVector(float X, float Y, float Z, float W = 1);
TscVector scAdd(const TscVector& A, const TscVector& B);
TscVector scSubtract(const TscVector& A, const TscVector& B);
TscVector scScale(const TscVector& A, float Factor);
float scDot(const TscVector& A, const TscVector& B);  // X, Y, Z only
TscVector scCross(const TscVector& A, const TscVector& B);
float scLength(const TscVector& A);
// A zero vector stays as it is.
TscVector scNormalize(const TscVector& A);

TscMatrix scMatrixMultiply(const TscMatrix& A, const TscMatrix& B);
TscMatrix scTranslationMatrix(float X, float Y, float Z);
TscMatrix scScalingMatrix(float X, float Y, float Z);
// The cofactor inverse; the identity when |determinant| < 1E-40.
TscMatrix scInvertMatrix(const TscMatrix& M);
// (X, Y, Z, W) * M with W as given, without perspective division.
TscVector scTransform(const TscVector& V, const TscMatrix& M);
// (X, Y, Z, 1) * M, divided by the resulting W when it is not 0.
TscVector scTransformPoint(const TscVector& V, const TscMatrix& M);
// (X, Y, Z, 0) * M: directions, without the translation.
TscVector scTransformDirection(const TscVector& V, const TscMatrix& M);
// Right-handed perspective: m11 = cot(Fov/2) / Aspect, m22 = cot(Fov/2),
// m33 = m43 = Far / (Near - Far), m34 = -1; depth lands in [0, 1].
TscMatrix scPerspectiveMatrix(float FovY, float Aspect, float Near, float Far);

// Hamilton product: A ⊗ B.
TscQuaternion scQuaternionMultiply(const TscQuaternion& A, const TscQuaternion& B);
TscQuaternion scQuaternionAxisAngle(const TscVector& Axis, float Radians);
TscQuaternion scQuaternionNormalize(const TscQuaternion& Q);
// The rotation matrix of a unit quaternion, for row vectors.
TscMatrix scQuaternionMatrix(const TscQuaternion& Q);

// Ray and triangle: true with the distance along Dir (any length) to the hit.
bool scRayTriangle(const TscVector& Pos, const TscVector& Dir, const TscVector& A, const TscVector& B,
                   const TscVector& C, float& Distance);
