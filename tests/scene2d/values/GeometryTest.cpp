#include "scene2d/Geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

void ExpectMatrixNear(const TuiMatrix& A, const TuiMatrix& B, float Tolerance = 1e-5f) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(A.M[i][j], B.M[i][j], Tolerance) << "element " << i << j;
}

TuiMatrix Translation(float X, float Y) {
  TuiMatrix m;
  m.M[2][0] = X;
  m.M[2][1] = Y;
  return m;
}

TuiMatrix Scaling(float X, float Y) {
  TuiMatrix m;
  m.M[0][0] = X;
  m.M[1][1] = Y;
  return m;
}

TEST(Angles, NormalizeAngleKeepsMinus180To360) {
  const struct {
    float In, Out;
  } cases[] = {{450, 90},    {-90, -90},  {-270, 90},     {270, 270},    {360, 0},
               {-180, -180}, {-181, 179}, {720.5f, 0.5f}, {3600030, 30}, {-3600190, 170}};
  for (const auto& c : cases) EXPECT_EQ(NormalizeAngle(c.In), c.Out) << c.In;
}

TEST(Angles, ConversionsAndSinCos) {
  EXPECT_FLOAT_EQ(DegToRad(180), std::numbers::pi_v<float>);
  EXPECT_FLOAT_EQ(RadToDeg(std::numbers::pi_v<float> / 2), 90);
  float s, c;
  SinCos(DegToRad(30), s, c);
  EXPECT_FLOAT_EQ(s, 0.5f);
  EXPECT_FLOAT_EQ(c, std::sqrt(3.0f) / 2);
  EXPECT_EQ(MinSingle(-1, 2), -1);
  EXPECT_EQ(MaxSingle(-1, 2), 2);
}

TEST(Angles, RoundHalfEven) {
  const struct {
    double In, Out;
  } cases[] = {{0.5, 0},   {1.5, 2},   {2.5, 2},    {7.5, 8},   {-0.5, 0},
               {-1.5, -2}, {-2.5, -2}, {2.4999, 2}, {2.5001, 3}};
  for (const auto& c : cases) EXPECT_EQ(RoundHalfEven(c.In), c.Out) << c.In;
}

TEST(Rects, OverlapTests) {
  const TuiRect a{0, 0, 10, 10};
  TuiRect r{1, 2, 3, 4};
  EXPECT_TRUE(IntersectRect(a, {5, -5, 15, 5}, r));
  EXPECT_EQ(r, (TuiRect{5, 0, 10, 5}));
  // Touching edges share no area, but do intersect.
  EXPECT_FALSE(IntersectRect(a, {10, 0, 20, 10}, r));
  EXPECT_EQ(r, TuiRect{});
  EXPECT_TRUE(RectsIntersect(a, {10, 0, 20, 10}));
  EXPECT_TRUE(RectsIntersect(a, {0, 10, 10, 20}));
  EXPECT_FALSE(RectsIntersect(a, {10.5f, 0, 20, 10}));
  EXPECT_FALSE(RectsIntersect(a, {0, -5, 10, -0.1f}));
  // All four edges of a rectangle hold their points.
  EXPECT_TRUE(PointInRect({10, 10}, a));
  EXPECT_TRUE(PointInRect({0, 0}, a));
  EXPECT_FALSE(PointInRect({10.01f, 5}, a));
  EXPECT_TRUE(IsEmptyRect({0, 0, 0, 10}));
  EXPECT_TRUE(IsEmptyRect({0, 0, 10, -1}));
  EXPECT_FALSE(IsEmptyRect({0, 0, 0.1f, 0.1f}));
  // An empty rectangle still widens a union.
  EXPECT_EQ(UnionRect({0, 0, 0, 0}, {10, 10, 20, 20}), (TuiRect{0, 0, 20, 20}));
}

TEST(Rects, InPlaceAdjustments) {
  TuiRect r{1, 2, 3, 4};
  OffsetRect(r, 10, 20);
  EXPECT_EQ(r, (TuiRect{11, 22, 13, 24}));
  InflateRect(r, 1, 2);
  EXPECT_EQ(r, (TuiRect{10, 20, 14, 26}));
  MultiplyRect(r, 0.5f, 2);
  EXPECT_EQ(r, (TuiRect{5, 40, 7, 52}));
}

TEST(Rects, PointsBounds) {
  const TuiPoint points[] = {{3, -1}, {-2, 5}, {4, 2}};
  EXPECT_EQ(PointsBounds(points), (TuiRect{-2, -1, 4, 5}));
  const TuiPoint far[] = {{70000, 5}, {80000, 6}};
  EXPECT_EQ(PointsBounds(far), (TuiRect{70000, 5, 80000, 6}));
  EXPECT_EQ(PointsBounds({}), TuiRect{});
  // A quarter turn maps (0, 0, 10, 20) onto (-20, 0, 0, 10).
  TuiRect turned = TransformBounds({0, 0, 10, 20}, RotationMatrix(DegToRad(90)));
  EXPECT_NEAR(turned.Left, -20, 1e-4);
  EXPECT_NEAR(turned.Top, 0, 1e-4);
  EXPECT_NEAR(turned.Right, 0, 1e-4);
  EXPECT_NEAR(turned.Bottom, 10, 1e-4);
}

TEST(Rects, RectCenterRoundsHalfToEven) {
  const struct {
    TuiRect R, Bounds, Expected;
  } cases[] = {
      {{3, 3, 13, 8}, {0, 0, 20, 20}, {5, 8, 15, 13}},  // 7.5 -> 8
      {{0, 0, 10, 7}, {0, 0, 20, 20}, {5, 6, 15, 13}},  // 6.5 -> 6
      {{0, 0, 10, 5}, {100, 200, 120, 220}, {105, 208, 115, 213}},
      {{0, 0, 25, 5}, {0, 0, 20, 20}, {-2, 8, 23, 13}},  // -2.5 -> -2
  };
  for (const auto& c : cases) {
    TuiRect r = c.R;
    RectCenter(r, c.Bounds);
    EXPECT_EQ(r, c.Expected);
  }
}

TEST(Rects, FitRectShrinksNeverEnlarges) {
  const struct {
    TuiRect R, Bounds, Expected;
    float Ratio;
  } cases[] = {
      {{0, 0, 100, 50}, {0, 0, 20, 20}, {0, 5, 20, 15}, 5},
      {{0, 0, 10, 5}, {0, 0, 20, 20}, {5, 8, 15, 13}, 0.5f},
      {{7, 7, 47, 47}, {10, 10, 30, 30}, {10, 10, 30, 30}, 2},
      {{0, 0, 30, 10}, {0, 0, 20, 20}, {0, 6, 20, 13}, 1.5f},  // height 6.67 -> 7
      {{1, 2, 3, 4}, {0, 0, 0, 20}, {1, 2, 3, 4}, 1},          // no area: untouched
  };
  for (const auto& c : cases) {
    TuiRect r = c.R;
    EXPECT_FLOAT_EQ(FitRect(r, c.Bounds), c.Ratio);
    EXPECT_EQ(r, c.Expected);
  }
}

TEST(Matrices, RowVectorsComposeLeftToRight) {
  const TuiMatrix a = MatrixMultiply(Scaling(2, 3), Translation(10, 20));
  EXPECT_EQ(TransformPoint({1, 1}, a), (TuiPoint{12, 23}));  // scale first, then move
  const TuiMatrix b = MatrixMultiply(Translation(10, 20), Scaling(2, 3));
  EXPECT_EQ(TransformPoint({1, 1}, b), (TuiPoint{22, 63}));
  // Positive angles turn clockwise on a y-down screen: x axis onto y axis.
  TuiPoint p = TransformPoint({1, 0}, RotationMatrix(DegToRad(90)));
  EXPECT_NEAR(p.X, 0, 1e-6);
  EXPECT_NEAR(p.Y, 1, 1e-6);
  // The projective column does not divide X and Y.
  TuiMatrix projective;
  projective.M[0][2] = 0.5f;
  EXPECT_EQ(TransformPoint({4, 6}, projective), (TuiPoint{4, 6}));
  EXPECT_EQ(TransformVector({4, 6, 1}, projective), (TuiVector{4, 6, 3}));
}

TEST(Matrices, DeterminantAndInverse) {
  EXPECT_EQ(IdentityMatrix(), TuiMatrix{});
  TuiMatrix m;
  m.M[0][0] = 2;
  m.M[0][1] = 1;
  m.M[1][0] = 1;
  m.M[1][1] = 3;
  m.M[2][0] = 4;
  m.M[2][1] = 5;
  m.M[0][2] = 0.25f;
  EXPECT_FLOAT_EQ(MatrixDeterminant(m), 5 + 0.25f * (5 - 12));
  ExpectMatrixNear(MatrixMultiply(m, InvertMatrix(m)), IdentityMatrix());
  ExpectMatrixNear(MatrixMultiply(InvertMatrix(m), m), IdentityMatrix());
  ExpectMatrixNear(InvertMatrix(MatrixMultiply(Scaling(2, 4), Translation(10, 20))),
                   MatrixMultiply(Translation(-10, -20), Scaling(0.5f, 0.25f)));
}

TEST(Matrices, SingularInverseIsIdentity) {
  TuiMatrix collapsed = Scaling(0, 1);
  collapsed.M[2][0] = 7;
  EXPECT_EQ(MatrixDeterminant(collapsed), 0);
  EXPECT_EQ(InvertMatrix(collapsed), IdentityMatrix());
  TuiMatrix rowsAlike;  // third row a sum of the first two
  rowsAlike.M[0][0] = 1, rowsAlike.M[0][1] = 2, rowsAlike.M[0][2] = 3;
  rowsAlike.M[1][0] = 4, rowsAlike.M[1][1] = 5, rowsAlike.M[1][2] = 6;
  rowsAlike.M[2][0] = 5, rowsAlike.M[2][1] = 7, rowsAlike.M[2][2] = 9;
  EXPECT_EQ(InvertMatrix(rowsAlike), IdentityMatrix());
}

}  // namespace
