#include "scene3d/Vectors.h"

#include <cmath>

TscVector scVector(float X, float Y, float Z, float W) {
  return {X, Y, Z, W};
}
TscVector scAdd(const TscVector& A, const TscVector& B) {
  return {A.X + B.X, A.Y + B.Y, A.Z + B.Z, A.W};
}
TscVector scSubtract(const TscVector& A, const TscVector& B) {
  return {A.X - B.X, A.Y - B.Y, A.Z - B.Z, A.W};
}
TscVector scScale(const TscVector& A, float Factor) {
  return {A.X * Factor, A.Y * Factor, A.Z * Factor, A.W};
}
float scDot(const TscVector& A, const TscVector& B) {
  return A.X * B.X + A.Y * B.Y + A.Z * B.Z;
}
TscVector scCross(const TscVector& A, const TscVector& B) {
  return {A.Y * B.Z - A.Z * B.Y, A.Z * B.X - A.X * B.Z, A.X * B.Y - A.Y * B.X, 0};
}
float scLength(const TscVector& A) {
  return std::sqrt(scDot(A, A));
}
TscVector scNormalize(const TscVector& A) {
  const float l = scLength(A);
  return l == 0 ? A : TscVector{A.X / l, A.Y / l, A.Z / l, A.W};
}

TscMatrix scMatrixMultiply(const TscMatrix& A, const TscMatrix& B) {
  TscMatrix r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      float s = 0;
      for (int k = 0; k < 4; ++k) s += A.M[i][k] * B.M[k][j];
      r.M[i][j] = s;
    }
  return r;
}

TscMatrix scTranslationMatrix(float X, float Y, float Z) {
  TscMatrix r;
  r.M[3][0] = X;
  r.M[3][1] = Y;
  r.M[3][2] = Z;
  return r;
}

TscMatrix scScalingMatrix(float X, float Y, float Z) {
  TscMatrix r;
  r.M[0][0] = X;
  r.M[1][1] = Y;
  r.M[2][2] = Z;
  return r;
}

TscMatrix scInvertMatrix(const TscMatrix& Matrix) {
  // Cofactors in double: view matrices of far cameras lose too much otherwise.
  double m[16], inv[16];
  for (int i = 0; i < 16; ++i) m[i] = Matrix.M[i / 4][i % 4];
  inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] +
           m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
  inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] - m[8] * m[7] * m[14] -
           m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
  inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] +
           m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
  inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] - m[8] * m[6] * m[13] -
            m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
  inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] - m[9] * m[3] * m[14] -
           m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
  inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] +
           m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
  inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] -
           m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
  inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] +
            m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
  inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
           m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
  inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] -
           m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
  inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] +
            m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
  inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] -
            m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
  inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] -
           m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
  inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
           m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
  inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
            m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
  inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] +
            m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
  const double det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
  if (std::fabs(det) < 1e-40) return {};
  TscMatrix r;
  for (int i = 0; i < 16; ++i) r.M[i / 4][i % 4] = float(inv[i] / det);
  return r;
}

TscVector scTransform(const TscVector& V, const TscMatrix& M) {
  const float in[4] = {V.X, V.Y, V.Z, V.W};
  float out[4];
  for (int c = 0; c < 4; ++c)
    out[c] = in[0] * M.M[0][c] + in[1] * M.M[1][c] + in[2] * M.M[2][c] + in[3] * M.M[3][c];
  return {out[0], out[1], out[2], out[3]};
}

TscVector scTransformPoint(const TscVector& V, const TscMatrix& M) {
  TscVector r = scTransform({V.X, V.Y, V.Z, 1}, M);
  if (r.W != 0 && r.W != 1) r = {r.X / r.W, r.Y / r.W, r.Z / r.W, 1};
  return r;
}

TscVector scTransformDirection(const TscVector& V, const TscMatrix& M) {
  TscVector r = scTransform({V.X, V.Y, V.Z, 0}, M);
  r.W = 0;
  return r;
}

TscMatrix scPerspectiveMatrix(float FovY, float Aspect, float Near, float Far) {
  const float cot = 1.0f / std::tan(FovY / 2);
  TscMatrix r;
  r.M[0][0] = cot / Aspect;
  r.M[1][1] = cot;
  r.M[2][2] = Far / (Near - Far);
  r.M[2][3] = -1;
  r.M[3][2] = Near * Far / (Near - Far);
  r.M[3][3] = 0;
  return r;
}

TscQuaternion scQuaternionMultiply(const TscQuaternion& A, const TscQuaternion& B) {
  return {A.W * B.X + A.X * B.W + A.Y * B.Z - A.Z * B.Y, A.W * B.Y - A.X * B.Z + A.Y * B.W + A.Z * B.X,
          A.W * B.Z + A.X * B.Y - A.Y * B.X + A.Z * B.W, A.W * B.W - A.X * B.X - A.Y * B.Y - A.Z * B.Z};
}

TscQuaternion scQuaternionAxisAngle(const TscVector& Axis, float Radians) {
  const TscVector a = scNormalize(Axis);
  const float s = std::sin(Radians / 2);
  return {a.X * s, a.Y * s, a.Z * s, std::cos(Radians / 2)};
}

TscQuaternion scQuaternionNormalize(const TscQuaternion& Q) {
  const float l = std::sqrt(Q.X * Q.X + Q.Y * Q.Y + Q.Z * Q.Z + Q.W * Q.W);
  return l == 0 ? TscQuaternion{} : TscQuaternion{Q.X / l, Q.Y / l, Q.Z / l, Q.W / l};
}

TscMatrix scQuaternionMatrix(const TscQuaternion& Q) {
  const float x = Q.X, y = Q.Y, z = Q.Z, w = Q.W;
  TscMatrix r;
  r.M[0][0] = 1 - 2 * (y * y + z * z);
  r.M[0][1] = 2 * (x * y + z * w);
  r.M[0][2] = 2 * (x * z - y * w);
  r.M[1][0] = 2 * (x * y - z * w);
  r.M[1][1] = 1 - 2 * (x * x + z * z);
  r.M[1][2] = 2 * (y * z + x * w);
  r.M[2][0] = 2 * (x * z + y * w);
  r.M[2][1] = 2 * (y * z - x * w);
  r.M[2][2] = 1 - 2 * (x * x + y * y);
  return r;
}

bool scRayTriangle(const TscVector& Pos, const TscVector& Dir, const TscVector& A, const TscVector& B,
                   const TscVector& C, float& Distance) {
  const TscVector e1 = scSubtract(B, A), e2 = scSubtract(C, A);
  const TscVector p = scCross(Dir, e2);
  const float det = scDot(e1, p);
  if (std::fabs(det) < 1e-12f) return false;
  const float inv = 1 / det;
  const TscVector t = scSubtract(Pos, A);
  const float u = scDot(t, p) * inv;
  if (u < 0 || u > 1) return false;
  const TscVector q = scCross(t, e1);
  const float v = scDot(Dir, q) * inv;
  if (v < 0 || u + v > 1) return false;
  const float d = scDot(e2, q) * inv;
  if (d < 0) return false;
  Distance = d;
  return true;
}
