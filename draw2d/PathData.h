#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "scene2d/ClassInfo.h"
#include "scene2d/Geometry.h"
#include "scene2d/Object.h"
#include "scene2d/Persistent.h"
#include "scene2d/ResourceLink.h"

// Vector outlines: a flat list of tagged points, built by calls or from a
// compact text ("M 10,20 L 30,40 Z"), streamed as the binary "Path", and
// optionally standing for a named path resource of a style sheet.

// Stored as a 32-bit number in streams, so the ordinals are fixed.
enum TuiPathPointKind : int32_t { ppMoveTo = 0, ppLineTo = 1, ppCurveTo = 2, ppClose = 3 };

// A cubic curve is three consecutive ppCurveTo entries (two control points and
// the end point) starting at the point before them. A close carries the start
// of the figure it closes.
struct TuiPathPoint {
  TuiPathPointKind Kind = ppMoveTo;
  TuiPoint Point;
  friend bool operator==(const TuiPathPoint&, const TuiPathPoint&) = default;
};

// Corner options of rounded rectangles, shared with the canvas, which builds
// its rounded outlines with the same geometry as AddRectangle.
enum TuiCorner : uint8_t { uxCornerTopLeft, uxCornerTopRight, uxCornerBottomLeft, uxCornerBottomRight };
using TuiCorners = uint32_t;  // bit (1 << TuiCorner) per corner
constexpr TuiCorners AllCorners = 0xF;
enum TuiCornerType : uint8_t { uxCornerRound, uxCornerBevel, uxCornerInnerRound, uxCornerInnerLine };
UX_ENUM(TuiCorner, "uxCornerTopLeft", "uxCornerTopRight", "uxCornerBottomLeft", "uxCornerBottomRight")
UX_ENUM(TuiCornerType, "uxCornerRound", "uxCornerBevel", "uxCornerInnerRound", "uxCornerInnerLine")

// The outline of a rectangle whose chosen corners are shaped by CornerType,
// radii too large for it clamped to half its size: one closed figure clockwise
// from the top-left corner, given as MoveTo, LineTo, CurveTo and ClosePath
// calls on Sink. Path data builds its rectangles through it, and a backend that
// writes straight into its own paths does too, so both give the same pixels.
template <class TSink>
void uxRectangleOutline(TSink& Sink, const TuiRect& R, TuiCorners Corners, TuiCornerType CornerType,
                        float XRadius, float YRadius) {
  const float w = R.Right - R.Left, h = R.Bottom - R.Top;
  if (w - 2 * XRadius < 0) XRadius = w / 2;
  if (h - 2 * YRadius < 0) YRadius = h / 2;
  constexpr float k = 0.4477152502f;
  // Each corner runs from Corner + From to Corner + To; the radii vectors point
  // from the corner along its two sides, so one rule serves all four mirrors.
  struct TCornerGeom {
    TuiCorner Which;
    TuiPoint Corner, From, To;
  };
  const TCornerGeom corners[] = {
      {uxCornerTopLeft, {R.Left, R.Top}, {0, YRadius}, {XRadius, 0}},
      {uxCornerTopRight, {R.Right, R.Top}, {-XRadius, 0}, {0, YRadius}},
      {uxCornerBottomRight, {R.Right, R.Bottom}, {0, -YRadius}, {-XRadius, 0}},
      {uxCornerBottomLeft, {R.Left, R.Bottom}, {XRadius, 0}, {0, -YRadius}},
  };
  auto at = [](const TCornerGeom& G, float Ka, float Kb) {
    return TuiPoint{G.Corner.X + Ka * G.From.X + Kb * G.To.X, G.Corner.Y + Ka * G.From.Y + Kb * G.To.Y};
  };
  bool first = true;
  for (const TCornerGeom& g : corners) {
    const TuiPoint start{g.Corner.X + g.From.X, g.Corner.Y + g.From.Y};
    const TuiPoint end{g.Corner.X + g.To.X, g.Corner.Y + g.To.Y};
    if (first)
      Sink.MoveTo(start);
    else
      Sink.LineTo(start);
    first = false;
    if (!(Corners & (1u << g.Which))) {
      Sink.LineTo(g.Corner);
      Sink.LineTo(end);
      continue;
    }
    switch (CornerType) {
      case uxCornerRound:
        Sink.CurveTo(at(g, k, 0), at(g, 0, k), end);
        break;
      case uxCornerBevel:
        Sink.LineTo(end);
        break;
      case uxCornerInnerRound:
        Sink.CurveTo(at(g, 1, k), at(g, k, 1), end);
        break;
      case uxCornerInnerLine:
        Sink.LineTo(at(g, 1, k));
        Sink.LineTo(at(g, k, 1));
        Sink.LineTo(end);
        break;
    }
  }
  Sink.ClosePath();
}

// A polygon point that ends the current figure; the next point starts a new one.
constexpr TuiPoint PolygonFigureEnd{65535, 65535};

class TuiPathObject;

class TuiPathData : public TuiPersistent {
  UX_CLASS(TuiPathData, TuiPersistent)
 public:
  TuiPathData() = default;
  ~TuiPathData() override;

  // ---- building: append only, never notify ----
  // Relative forms add LastPoint. SmoothCurveTo mirrors the control point
  // before the last entry about the last point.
  void MoveTo(const TuiPoint& P);
  void MoveToRel(const TuiPoint& D);
  void LineTo(const TuiPoint& P);
  void LineToRel(const TuiPoint& D);
  void HLineTo(float X);
  void HLineToRel(float D);
  void VLineTo(float Y);
  void VLineToRel(float D);
  void CurveTo(const TuiPoint& C1, const TuiPoint& C2, const TuiPoint& End);
  void CurveToRel(const TuiPoint& C1, const TuiPoint& C2, const TuiPoint& End);
  void SmoothCurveTo(const TuiPoint& C2, const TuiPoint& End);
  void SmoothCurveToRel(const TuiPoint& C2, const TuiPoint& End);
  void ClosePath();
  // A move to the left middle, then four curves clockwise.
  void AddEllipse(const TuiRect& R);
  // Angles in degrees from the positive X axis towards positive Y. Starts with
  // a line from the current point (a move on an empty path).
  void AddArc(const TuiPoint& Center, const TuiPoint& Radius, float StartAngle, float SweepAngle);
  // An elliptic arc from the last point to End, chosen among the four
  // candidates by the flags, as path texts describe it; Rotation in degrees.
  // Zero radii give a line; an end equal to the last point gives nothing.
  void EllipticArcTo(const TuiPoint& Radius, float Rotation, bool LargeArc, bool Sweep, const TuiPoint& End);
  // One closed figure, clockwise from the top-left corner; radii too large for
  // the rectangle are clamped to half its size.
  void AddRectangle(const TuiRect& R, TuiCorners Corners, TuiCornerType CornerType, float XRadius,
                    float YRadius);

  // ---- reading and whole-path operations ----
  const std::vector<TuiPathPoint>& Points() const { return FPoints; }
  int Count() const { return int(FPoints.size()); }
  bool IsEmpty() const { return FPoints.empty(); }
  // The last entry's point, (0, 0) for an empty path.
  TuiPoint LastPoint() const;
  // Notifies when there was something to remove.
  void Clear();
  // Close entries do not count. (0, 0, 0, 0) when empty; a zero width or height
  // becomes 0.001, so fitting never divides by zero.
  TuiRect GetBounds() const;
  void Scale(float SX, float SY);
  // The points with the bounds mapped onto Rect.
  std::vector<TuiPathPoint> FitToRect(const TuiRect& Rect) const;
  // Curves become runs of points, each close the figure start followed by
  // PolygonFigureEnd. Flatness is relative to a hundredth of the larger side of
  // the bounds. Size receives the bounds' size. One flattening yields at most
  // MaxFlattenPoints, or two per curve and one per other entry when the path
  // alone has more: past that budget every curve is drawn with fewer points.
  void FlattenToPolygon(TuiPolygon& Polygon, TuiPoint& Size, float Flatness = 0.25f) const;
  // 8 MiB of points; the glyphs and outlines of the windows need a few
  // thousand.
  static constexpr size_t MaxFlattenPoints = size_t(1) << 20;
  // Length of the flattened outline, closing segments included.
  float Length(float Flatness = 0.25f) const;

  // ---- text and binary forms ----
  // "M x,y L x,y C x1,y1 x2,y2 x3,y3 Z ", numbers in the stored float form.
  std::string Data() const;
  // Never throws: unreadable commands and numbers are skipped. Notifies when the
  // points changed.
  void SetData(const std::string& Text);
  // Count, then kind/X/Y records (32-bit each, little-endian); empty for an
  // empty path. Reading also accepts the older layout with one-byte kinds and
  // raises EuxReadError("Invalid property value") for anything else, leaving
  // the path as it was.
  TuiBinary PathBinary() const;
  void SetPathBinary(const TuiBinary& Value);

  // ---- the resource link ----
  // Not owned; cleared when the object dies while the name stays, so the next
  // resolution can find a replacement.
  TuiPathObject* Resource() const;
  void SetResource(TuiPathObject* Value);
  const std::string& ResourceName() const { return FLink.Name(); }
  void SetResourceName(const std::string& Value);
  // The path of the resource object, looked up by name and adopted on first
  // use, or none.
  TuiPathData* ResolvePath();

  // Makes this path paint what Source paints: its points and its resource link.
  // Notifies once when anything changed.
  void Assign(const TuiPathData& Source);
  // Raises "Cannot assign a <class> to a TuiPathData" for other classes.
  void Assign(const TuiPersistent& Source);

  std::function<void(TuiPathData* Sender)> OnChanged;

  static void DefineProperties(TuiClassBuilder<TuiPathData>& C);

 private:
  void Append(TuiPathPointKind Kind, const TuiPoint& P) { FPoints.push_back({Kind, P}); }
  void AppendArcPieces(const TuiPoint& Center, const TuiPoint& Radius, double StartAngle, double SweepAngle,
                       bool LeadingLine, double Rotation = 0);
  void Changed();
  void SetPoints(std::vector<TuiPathPoint> Points);

  std::vector<TuiPathPoint> FPoints;
  TuiPoint FFigureStart;
  TuiResourceLink<TuiPathObject> FLink;
};
