#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "draw2d/PathData.h"
#include "draw2d/PathObject.h"
#include "scene2d/Errors.h"

namespace {

using Kinds = std::vector<TuiPathPointKind>;

Kinds KindsOf(const TuiPathData& P) {
  Kinds k;
  for (const TuiPathPoint& p : P.Points()) k.push_back(p.Kind);
  return k;
}

std::vector<TuiPoint> PointsOf(const TuiPathData& P) {
  std::vector<TuiPoint> out;
  for (const TuiPathPoint& p : P.Points()) out.push_back(p.Point);
  return out;
}

std::unique_ptr<TuiPathData> Parse(const std::string& Text) {
  auto p = std::make_unique<TuiPathData>();
  p->SetData(Text);
  return p;
}

void ExpectNear(const TuiPoint& A, const TuiPoint& B, float Tolerance = 1e-3f) {
  EXPECT_NEAR(A.X, B.X, Tolerance);
  EXPECT_NEAR(A.Y, B.Y, Tolerance);
}

// The glyphs of the built-in style sheet: the check box's cross and the HUD
// close button's cross.
const char* const CheckMark =
    "M 0,0 L 0.2,0 L 0.5,0.3 L 0.8,0 L 1,0 L 1,0.2 L 0.7,0.5 L 1,0.8 L 1,1 L 0.8,1 L 0.5,0.7 L 0.2,1 L 0,1 "
    "L 0,0.8 L 0.3,0.5 L 0,0.2 L 0,0 Z";
const char* const CloseCross =
    "M -5,15 L 15,-5 L 50,30 L 85,-5 L 105,15 L 70,50 L 105,90 L 85,110 C 45.218,70.218 63.333,88.333 50,75 "
    "L 15,110 L -5,90 L 30,55 L -5,15 Z";

struct ParseCase {
  const char* Text;
  Kinds Expected;
  std::vector<TuiPoint> Points;
};

TEST(PathText, CommandsBuildTheirEntries) {
  const ParseCase cases[] = {
      {"M 10,20 L 30,40 Z", {ppMoveTo, ppLineTo, ppClose}, {{10, 20}, {30, 40}, {10, 20}}},
      // Further points after a move are lines.
      {"M10 20 30 40 50 60", {ppMoveTo, ppLineTo, ppLineTo}, {{10, 20}, {30, 40}, {50, 60}}},
      {"m 10,10 l 5,0 0,5 z",
       {ppMoveTo, ppLineTo, ppLineTo, ppClose},
       {{10, 10}, {15, 10}, {15, 15}, {10, 10}}},
      {"h 5", {ppLineTo}, {{5, 0}}},
      {"M 1,2 V 7 v -2 H 4 h 1",
       {ppMoveTo, ppLineTo, ppLineTo, ppLineTo, ppLineTo},
       {{1, 2}, {1, 7}, {1, 5}, {4, 5}, {5, 5}}},
      // Quadratic curves are read past and add nothing.
      {"M0,0 Q 10,10 20,0 L 5,5", {ppMoveTo, ppLineTo}, {{0, 0}, {5, 5}}},
      {"M0,0 T 10,10 L 5,5", {ppMoveTo, ppLineTo}, {{0, 0}, {5, 5}}},
      // A minus sign ends the previous number; an exponent may carry one.
      {"M 10-20 L 1e1,-2.5e-1", {ppMoveTo, ppLineTo}, {{10, -20}, {10, -0.25f}}},
      // After a close, relative commands start from the figure start.
      {"M 5,5 L 9,5 z l 0,3", {ppMoveTo, ppLineTo, ppClose, ppLineTo}, {{5, 5}, {9, 5}, {5, 5}, {5, 8}}},
      // Several letters in one token each take their own arguments.
      {"ML 1,2 3,4", {ppMoveTo, ppLineTo}, {{1, 2}, {3, 4}}},
      {"c 1,1 2,2 3,3 1,0 2,0 3,0",
       {ppCurveTo, ppCurveTo, ppCurveTo, ppCurveTo, ppCurveTo, ppCurveTo},
       {{1, 1}, {2, 2}, {3, 3}, {4, 3}, {5, 3}, {6, 3}}},
      // Tabs and line breaks vanish before reading.
      {"M\t1,\n2\r L 3,4", {ppMoveTo, ppLineTo}, {{1, 2}, {3, 4}}},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.Text);
    auto p = Parse(c.Text);
    EXPECT_EQ(KindsOf(*p), c.Expected);
    EXPECT_EQ(PointsOf(*p), c.Points);
  }
}

TEST(PathText, SmoothCurveMirrorsThePreviousControlPoint) {
  auto p = Parse("M 0,0 C 0,10 10,10 10,0 S 20,-10 20,0");
  ASSERT_EQ(p->Count(), 7);
  EXPECT_EQ(p->Points()[4].Point, (TuiPoint{10, -10}));
  EXPECT_EQ(p->Points()[5].Point, (TuiPoint{20, -10}));
  EXPECT_EQ(p->Points()[6].Point, (TuiPoint{20, 0}));
  // With fewer than three entries the first control point is the second one.
  auto q = Parse("s 4,5 6,7");
  EXPECT_EQ(PointsOf(*q), (std::vector<TuiPoint>{{4, 5}, {4, 5}, {6, 7}}));
}

TEST(PathText, WrittenFormUsesStoredNumbersAndATrailingSpace) {
  EXPECT_EQ(Parse("M 10,20 L 30,40 Z")->Data(), "M 10,20 L 30,40 Z ");
  EXPECT_EQ(Parse("M 0,.5 L 1,1 z")->Data(), "M 0,0.500 L 1,1 Z ");
  EXPECT_EQ(Parse("M 0,0 C 1,2 3,4 5.25,-6")->Data(), "M 0,0 C 1,2 3,4 5.250,-6 ");
  EXPECT_EQ(TuiPathData().Data(), "");
}

TEST(PathText, StyleSheetGlyphsRoundTrip) {
  for (const char* text : {CheckMark, CloseCross}) {
    SCOPED_TRACE(text);
    auto first = Parse(text);
    auto second = Parse(first->Data());
    EXPECT_EQ(first->Points(), second->Points());
    EXPECT_EQ(second->Data(), first->Data());
    // And through the binary stream form, exactly.
    TuiPathData third;
    third.SetPathBinary(second->PathBinary());
    EXPECT_EQ(third.Points(), first->Points());
  }
  auto check = Parse(CheckMark);
  EXPECT_EQ(check->Count(), 18);
  EXPECT_EQ(check->Points().back().Kind, ppClose);
  EXPECT_EQ(check->GetBounds(), (TuiRect{0, 0, 1, 1}));
  auto cross = Parse(CloseCross);
  EXPECT_EQ(cross->Count(), 16);
  EXPECT_EQ(cross->Points()[8].Kind, ppCurveTo);
  EXPECT_EQ(cross->Points()[8].Point, (TuiPoint{45.218f, 70.218f}));
  EXPECT_EQ(cross->GetBounds(), (TuiRect{-5, -5, 105, 110}));
}

TEST(PathText, UnreadableTextIsSkippedNeverThrown) {
  const ParseCase cases[] = {
      // A letter whose numbers do not read is dropped, the next one still runs.
      {"M 10 L 5,5", {ppLineTo}, {{5, 5}}},
      {"M 1.2.3,4 L 1,1", {}, {}},
      {"M +5,5", {}, {}},
      {"L 1,1 1e99,2 3,3", {ppLineTo}, {{1, 1}}},
      // A point starting with "." does not continue an implicit repetition, and
      // text the grammar cannot place ends the reading.
      {"M 1,2 .5,6 L 3,3", {ppMoveTo}, {{1, 2}}},
      {"M 1,1 x L 2,2", {ppMoveTo}, {{1, 1}}},
      {"1,1 L 2,2", {}, {}},
      {"", {}, {}},
      {"Z", {ppClose}, {{0, 0}}},
      {"A 5,5 0 0,1", {}, {}},
      {"-e-e-e- M 1,1", {}, {}},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.Text);
    std::unique_ptr<TuiPathData> p;
    ASSERT_NO_THROW(p = Parse(c.Text));
    EXPECT_EQ(KindsOf(*p), c.Expected);
    EXPECT_EQ(PointsOf(*p), c.Points);
  }
  // Long runs of letters without arguments stay linear and end.
  auto many = Parse(std::string(100000, 'M') + " 1,1");
  EXPECT_EQ(many->Count(), 1);
}

TEST(PathText, EllipticArcsFollowTheFlags) {
  // A half circle from (0,0) to (20,0): the sweep flag picks the side.
  auto above = Parse("M 0,0 A 10,10 0 0,1 20,0");
  auto below = Parse("M 0,0 A 10,10 0 0,0 20,0");
  // Radii too small to reach are scaled up to the half circle.
  auto scaled = Parse("M 0,0 a 1,1 0 0 1 20,0");
  for (auto* p : {above.get(), below.get(), scaled.get()}) {
    ASSERT_EQ(KindsOf(*p),
              (Kinds{ppMoveTo, ppCurveTo, ppCurveTo, ppCurveTo, ppCurveTo, ppCurveTo, ppCurveTo}));
    ExpectNear(p->LastPoint(), {20, 0});
  }
  ExpectNear(above->Points()[3].Point, {10, -10});
  ExpectNear(below->Points()[3].Point, {10, 10});
  ExpectNear(scaled->Points()[3].Point, {10, -10});
  // The large-arc flag takes the long way round a circle bigger than needed.
  auto large = Parse("M 0,0 A 20,20 0 1,1 20,0");
  TuiPolygon outline;
  TuiPoint size;
  large->FlattenToPolygon(outline, size);
  const TuiRect b = PointsBounds(outline);
  EXPECT_NEAR(b.Top, -20 - 10 * std::sqrt(3.0f), 0.05f);
  EXPECT_NEAR(b.Bottom, 0, 0.05f);
  // Rotation turns the ellipse about its centre.
  auto turned = Parse("M 0,0 A 20,10 90 0,1 0,40");
  ExpectNear(turned->LastPoint(), {0, 40});
  EXPECT_NEAR(turned->GetBounds().Width(), 10, 0.01f);
  // No radius: a line; no distance: nothing.
  EXPECT_EQ(KindsOf(*Parse("M 0,0 A 0,5 0 0,1 20,0")), (Kinds{ppMoveTo, ppLineTo}));
  EXPECT_EQ(KindsOf(*Parse("M 3,3 A 5,5 0 0,1 3,3")), (Kinds{ppMoveTo}));
}

TEST(PathBuild, ArcsAreCutIntoQuarterPieces) {
  TuiPathData full;
  full.AddArc({50, 50}, {10, 20}, 0, 360);
  ASSERT_EQ(full.Count(), 13);
  EXPECT_EQ(full.Points()[0].Kind, ppMoveTo);
  ExpectNear(full.Points()[0].Point, {60, 50});
  ExpectNear(full.Points()[3].Point, {50, 70});  // a quarter on, towards +Y
  ExpectNear(full.LastPoint(), {60, 50});
  TuiPathData eighth;
  eighth.MoveTo({0, 0});
  eighth.AddArc({0, 0}, {10, 10}, 405, -45);  // start taken modulo 360
  ASSERT_EQ(KindsOf(eighth), (Kinds{ppMoveTo, ppLineTo, ppCurveTo, ppCurveTo, ppCurveTo}));
  ExpectNear(eighth.Points()[1].Point, {7.0711f, 7.0711f});
  ExpectNear(eighth.LastPoint(), {10, 0});
  // The midpoint of the curve lies on the circle.
  TuiPolygon polygon;
  TuiPoint size;
  eighth.FlattenToPolygon(polygon, size);
  for (const TuiPoint& p : std::vector<TuiPoint>(polygon.begin() + 2, polygon.end()))
    EXPECT_NEAR(std::hypot(p.X, p.Y), 10, 0.01f);
  // Sweeps beyond a full turn are clamped; a negligible one adds nothing.
  TuiPathData clamped;
  clamped.AddArc({0, 0}, {1, 1}, 0, 1000);
  EXPECT_EQ(clamped.Count(), 13);
  TuiPathData none;
  none.AddArc({0, 0}, {1, 1}, 0, 1e-12f);
  EXPECT_TRUE(none.IsEmpty());
}

TEST(PathBuild, EllipseAndRoundedRectangle) {
  TuiPathData e;
  e.AddEllipse({0, 0, 20, 10});
  ASSERT_EQ(e.Count(), 13);
  EXPECT_EQ(e.Points()[0].Point, (TuiPoint{0, 5}));
  EXPECT_EQ(e.Points()[3].Point, (TuiPoint{10, 0}));
  EXPECT_EQ(e.Points()[6].Point, (TuiPoint{20, 5}));
  ExpectNear(e.Points()[1].Point, {0, 5 - 5 * 0.5522847f});

  TuiPathData r;
  r.AddRectangle({0, 0, 100, 50}, AllCorners, uxCornerRound, 10, 40);  // yRadius clamped to 25
  ASSERT_EQ(r.Count(), 17);
  EXPECT_EQ(r.Points()[0].Point, (TuiPoint{0, 25}));
  ExpectNear(r.Points()[1].Point, {0, 25 * 0.4477152f});
  ExpectNear(r.Points()[2].Point, {10 * 0.4477152f, 0});
  EXPECT_EQ(r.Points()[3].Point, (TuiPoint{10, 0}));
  EXPECT_EQ(r.Points()[4].Point, (TuiPoint{90, 0}));
  EXPECT_EQ(r.GetBounds(), (TuiRect{0, 0, 100, 50}));
  EXPECT_EQ(r.Points().back().Kind, ppClose);

  // Corners left out are square; inner lines cut inwards.
  TuiPathData s;
  s.AddRectangle({0, 0, 40, 40}, 1u << uxCornerTopLeft, uxCornerInnerLine, 10, 10);
  EXPECT_EQ(KindsOf(s).size(), 4u + 3 * 3 + 1);
  ExpectNear(s.Points()[1].Point, {4.477152f, 10});
  ExpectNear(s.Points()[2].Point, {10, 4.477152f});
  EXPECT_EQ(s.Points()[3].Point, (TuiPoint{10, 0}));
  EXPECT_EQ(s.Points()[5].Point, (TuiPoint{40, 0}));
}

TEST(PathGeometry, BoundsIgnoreClosesAndNeverCollapse) {
  EXPECT_EQ(TuiPathData().GetBounds(), (TuiRect{0, 0, 0, 0}));
  EXPECT_EQ(Parse("M 0,5 L 10,5")->GetBounds(), (TuiRect{0, 5, 10, 5.001f}));
  EXPECT_EQ(Parse("M 3,1 L 3,9")->GetBounds(), (TuiRect{3, 1, 3.001f, 9}));
}

TEST(PathGeometry, FittingMapsTheBoundsOntoTheRectangle) {
  auto p = Parse("M 10,10 L 20,30 Z");
  const auto fitted = p->FitToRect({100, 200, 150, 220});
  ASSERT_EQ(fitted.size(), 3u);
  EXPECT_EQ(fitted[0].Point, (TuiPoint{100, 200}));
  EXPECT_EQ(fitted[1].Point, (TuiPoint{150, 220}));
  EXPECT_EQ(fitted[2].Kind, ppClose);
  // A straight horizontal path lies along the top edge, stretched to the width.
  const auto line = Parse("M 0,5 L 10,5")->FitToRect({0, 0, 40, 40});
  EXPECT_EQ(line[1].Point, (TuiPoint{40, 0}));
  auto scaled = Parse("M 1,2 L 3,4 Z");
  scaled->Scale(2, -1);
  EXPECT_EQ(PointsOf(*scaled), (std::vector<TuiPoint>{{2, -2}, {6, -4}, {1, 2}}));
  // The close keeps its point and stays out of the bounds.
  EXPECT_EQ(scaled->GetBounds(), (TuiRect{2, -4, 6, -2}));
}

TEST(PathGeometry, FlatteningAndLength) {
  TuiPolygon polygon{{1, 1}};
  TuiPoint size{9, 9};
  TuiPathData().FlattenToPolygon(polygon, size);
  EXPECT_TRUE(polygon.empty());
  EXPECT_EQ(size, (TuiPoint{0, 0}));

  auto square = Parse("M 0,0 L 10,0 L 10,10 L 0,10 Z M 20,0 L 30,0");
  square->FlattenToPolygon(polygon, size);
  EXPECT_EQ(polygon,
            (TuiPolygon{{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}, PolygonFigureEnd, {20, 0}, {30, 0}}));
  EXPECT_EQ(size, (TuiPoint{30, 10}));
  EXPECT_FLOAT_EQ(square->Length(), 50);

  // A straight cubic over a 100 x 100 box: chord 141.42 at flatness 0.25 gives
  // Round(565.69) = 566 points, t = 0 included.
  TuiPathData straight;
  straight.MoveTo({0, 0});
  straight.CurveTo({0, 0}, {100, 100}, {100, 100});
  straight.FlattenToPolygon(polygon, size);
  ASSERT_EQ(polygon.size(), 1u + 566);
  EXPECT_EQ(polygon[1], (TuiPoint{0, 0}));
  EXPECT_EQ(polygon.back(), (TuiPoint{100, 100}));
  EXPECT_NEAR(straight.Length(), 141.421f, 0.01f);
  // Coarse flatness still gives two points per curve.
  straight.FlattenToPolygon(polygon, size, 1e6f);
  EXPECT_EQ(polygon.size(), 3u);

  TuiPathData circle;
  circle.AddEllipse({0, 0, 100, 100});
  EXPECT_NEAR(circle.Length(), 100 * 3.14159265f, 0.3f);
}

TEST(PathGeometry, DamagedNumbersStayBounded) {
  TuiPathData p;
  p.MoveTo({0, 0});
  p.CurveTo({NAN, 0}, {INFINITY, 1}, {-INFINITY, 3e38f});
  p.CurveTo({0, 0}, {3e38f, 3e38f}, {-3e38f, -3e38f});
  TuiPolygon polygon;
  TuiPoint size;
  p.FlattenToPolygon(polygon, size, 0);
  EXPECT_LE(polygon.size(), 1u + 2 * 1024);
  TuiPathData arc;
  arc.AddArc({0, 0}, {1, 1}, NAN, 90);
  arc.AddArc({0, 0}, {1, 1}, 0, NAN);
  arc.AddArc({0, 0}, {INFINITY, 1}, 0, INFINITY);
  EXPECT_LE(arc.Count(), 13);
}

TEST(PathGeometry, CurvesShareOnePointBudget) {
  // Each curve is 100 long and asks for the most points one curve may have at
  // the finest flatness; past the budget they all give up the same share, and
  // each run still goes from its curve's start to its end.
  struct Case {
    int Curves;
    size_t PointsPerCurve;
  };
  const Case cases[] = {
      {1000, 1024},  // within the budget
      {2048, 2 + 1022 * (TuiPathData::MaxFlattenPoints - 1 - 2 * 2048) / (2048 * 1022)},
      {530000, 2},  // two a curve already exceed it
  };
  for (const Case& c : cases) {
    TuiPathData p;
    p.MoveTo({0, 0});
    for (int i = 0; i < c.Curves; ++i)
      p.CurveTo({100.0f * i, 0}, {100.0f * i + 50, 50}, {100.0f * (i + 1), 0});
    TuiPolygon polygon;
    TuiPoint size;
    p.FlattenToPolygon(polygon, size, 0);
    ASSERT_EQ(polygon.size(), 1 + c.PointsPerCurve * size_t(c.Curves)) << c.Curves;
    EXPECT_LE(polygon.size(), std::max(TuiPathData::MaxFlattenPoints, 1 + 2 * size_t(c.Curves)));
    for (int i = 0; i < c.Curves; i += c.Curves / 8) {
      const size_t first = 1 + size_t(i) * c.PointsPerCurve;
      EXPECT_EQ(polygon[first], (TuiPoint{100.0f * i, 0})) << c.Curves << " " << i;
      EXPECT_EQ(polygon[first + c.PointsPerCurve - 1], (TuiPoint{100.0f * (i + 1), 0}))
          << c.Curves << " " << i;
    }
  }
}

// ---- binary form ----

std::vector<uint8_t> Bytes(std::initializer_list<int> Values) {
  std::vector<uint8_t> b;
  for (int v : Values) b.push_back(uint8_t(v));
  return b;
}

TEST(PathBinary, CurrentAndOlderLayoutsRead) {
  auto p = Parse("M 1,2 L -3,0.5 Z");
  const TuiBinary bin = p->PathBinary();
  ASSERT_EQ(bin.Bytes.size(), 4u + 3 * 12);
  // Count, then kind, X, Y per record, little-endian.
  EXPECT_EQ(std::vector<uint8_t>(bin.Bytes.begin(), bin.Bytes.begin() + 12),
            Bytes({3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x3F}));
  EXPECT_TRUE(TuiPathData().PathBinary().Bytes.empty());

  // The older layout: one byte per kind, 4 + 9 * n bytes.
  TuiBinary old{
      Bytes({2, 0, 0, 0, 0, 0, 0, 0x80, 0x3F, 0, 0, 0, 0x40, 1, 0, 0, 0x40, 0x40, 0, 0, 0x80, 0x40})};
  TuiPathData q;
  q.SetPathBinary(old);
  EXPECT_EQ(KindsOf(q), (Kinds{ppMoveTo, ppLineTo}));
  EXPECT_EQ(PointsOf(q), (std::vector<TuiPoint>{{1, 2}, {3, 4}}));
  // Relative building continues from the figure read.
  q.ClosePath();
  EXPECT_EQ(q.LastPoint(), (TuiPoint{1, 2}));
}

TEST(PathBinary, MalformedPayloadsRaiseAndLeaveThePathAlone) {
  std::vector<uint8_t> good = Parse("M 0,0 C 1,1 2,2 3,3")->PathBinary().Bytes;
  auto withKind = [&](size_t Record, uint8_t Kind) {
    std::vector<uint8_t> b = good;
    b[4 + 12 * Record] = Kind;
    return b;
  };
  const std::vector<std::vector<uint8_t>> bad = {
      Bytes({1, 0, 0}),                                    // shorter than the count
      Bytes({0xFF, 0xFF, 0xFF, 0xFF}),                     // negative count
      Bytes({0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0}),         // count far beyond the data
      Bytes({0, 0, 0, 0, 1}),                              // zero count with data
      std::vector<uint8_t>(good.begin(), good.end() - 1),  // one byte short
      withKind(1, 7),                                      // unknown kind
      withKind(3, ppLineTo),                               // a curve cut to two entries
  };
  for (const auto& b : bad) {
    SCOPED_TRACE(b.size());
    auto p = Parse("M 5,5 L 6,6");
    int changes = 0;
    p->OnChanged = [&](TuiPathData*) { ++changes; };
    try {
      p->SetPathBinary(TuiBinary{b});
      ADD_FAILURE() << "no error";
    } catch (const EuxReadError& e) {
      EXPECT_STREQ(e.what(), "Invalid property value");
    }
    EXPECT_EQ(p->Data(), "M 5,5 L 6,6 ");
    EXPECT_EQ(changes, 0);
  }
}

// ---- notifications, property table, assignment ----

TEST(PathData, NotifiesOncePerRealChange) {
  TuiPathData p;
  int changes = 0;
  p.OnChanged = [&](TuiPathData* Sender) {
    EXPECT_EQ(Sender, &p);
    ++changes;
  };
  p.MoveTo({1, 1});
  p.LineTo({2, 2});
  p.AddEllipse({0, 0, 1, 1});
  EXPECT_EQ(changes, 0) << "building never notifies";
  struct Step {
    std::function<void()> Do;
    int Expected;
  };
  const Step steps[] = {
      {[&] { p.SetData("M 0,0 L 1,1"); }, 1},
      {[&] { p.SetData("M0 0 1 1"); }, 0},
      {[&] { p.SetPathBinary(p.PathBinary()); }, 0},
      {[&] { p.SetResourceName("x"); }, 1},
      {[&] { p.SetResourceName("x"); }, 0},
      {[&] { p.Clear(); }, 1},
      {[&] { p.Clear(); }, 0},
      {[&] { p.SetProperty("Data", std::string("M 3,3")); }, 1},
      {[&] { p.SetProperty("Data", std::string("M 3,3")); }, 0},
  };
  for (size_t i = 0; i < std::size(steps); ++i) {
    changes = 0;
    steps[i].Do();
    EXPECT_EQ(changes, steps[i].Expected) << "step " << i;
  }
}

TEST(PathData, PropertyTableStoresThePathOnlyAsBinary) {
  TuiPathObject holder(nullptr);
  const TuiClassInfo& info = TuiPathData::StaticClass();
  TuiPathData& p = *holder.Path();
  EXPECT_FALSE(info.FindProperty("Path")->IsStored(p));
  EXPECT_FALSE(info.FindProperty("ResourceName")->IsStored(p));
  holder.SetProperty("Path.Data", std::string(CheckMark));
  EXPECT_EQ(p.Count(), 18);
  EXPECT_FALSE(info.FindProperty("Data")->IsStored(p));
  EXPECT_TRUE(info.FindProperty("Path")->IsStored(p));
  EXPECT_EQ(info.FindProperty("Path")->Kind, pkBinary);
  const TuiPropValue bin = holder.GetProperty("Path.Path");
  TuiPathData copy;
  copy.SetProperty("Path", bin);
  EXPECT_EQ(copy.Points(), p.Points());
  EXPECT_EQ(std::get<std::string>(holder.GetProperty("path.data")), p.Data());
  p.SetResourceName("glyph");
  EXPECT_TRUE(info.FindProperty("ResourceName")->IsStored(p));
}

TEST(PathData, AssignCopiesWhatTheSourcePaints) {
  auto a = Parse("M 1,1 L 2,2");
  TuiPathData b;
  int changes = 0;
  b.OnChanged = [&](TuiPathData*) { ++changes; };
  b.Assign(*a);
  EXPECT_EQ(b.Points(), a->Points());
  EXPECT_EQ(changes, 1);
  b.Assign(static_cast<const TuiPersistent&>(*a));
  EXPECT_EQ(changes, 1);
  b.LineTo({5, 5});  // building continues from the copied figure
  b.ClosePath();
  EXPECT_EQ(b.LastPoint(), (TuiPoint{1, 1}));

  TuiPathObject other(nullptr);
  try {
    b.Assign(static_cast<const TuiPersistent&>(other));
    ADD_FAILURE() << "no error";
  } catch (const EuxError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TuiPathObject to a TuiPathData");
  }
  EXPECT_EQ(b.Count(), 4);
}

TEST(PathResource, ResolvesByNameAndForgetsADeadObject) {
  TuiPathData user;
  user.SetResourceName("GLYPH");
  EXPECT_EQ(user.ResolvePath(), nullptr);

  auto decoy = std::make_unique<TuiObject>(nullptr);
  decoy->SetResourceName("glyph");
  EXPECT_EQ(user.ResolvePath(), nullptr) << "only path objects are adopted";

  auto glyph = std::make_unique<TuiPathObject>(nullptr);
  glyph->SetName("glyph");
  EXPECT_EQ(glyph->ResourceName(), "glyph");
  glyph->Path()->SetData(CheckMark);
  int changes = 0;
  user.OnChanged = [&](TuiPathData*) { ++changes; };
  EXPECT_EQ(user.ResolvePath(), glyph->Path());
  EXPECT_EQ(user.Resource(), glyph.get());
  EXPECT_EQ(user.ResourceName(), "glyph");

  // A copy carries the link.
  TuiPathData copy;
  copy.Assign(user);
  EXPECT_EQ(copy.Resource(), glyph.get());

  glyph.reset();
  EXPECT_EQ(user.Resource(), nullptr);
  EXPECT_EQ(copy.Resource(), nullptr);
  EXPECT_EQ(user.ResourceName(), "glyph");
  EXPECT_EQ(user.ResolvePath(), nullptr);
  EXPECT_EQ(changes, 0);

  auto again = std::make_unique<TuiPathObject>(nullptr);
  again->SetResourceName("Glyph");
  EXPECT_EQ(user.ResolvePath(), again->Path());
  // Renaming drops a link the new name does not describe.
  user.SetResourceName("other");
  EXPECT_EQ(user.Resource(), nullptr);
  user.SetResource(again.get());
  EXPECT_EQ(user.ResourceName(), "Glyph");
  EXPECT_EQ(changes, 2);
  // A holder that dies first leaves nothing behind in the object.
  {
    TuiPathData shortLived;
    shortLived.SetResource(again.get());
  }
  again.reset();
  EXPECT_EQ(user.Resource(), nullptr);
}

}  // namespace
