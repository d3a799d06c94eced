#pragma once

#include "draw2d/Shape.h"

// Ellipses and the shapes cut from them. Hits are tested against the ellipse
// of the whole object, outline or not, so that a round button answers up to
// its edge.
class TuiEllipse : public TuiShape {
  UX_CLASS(TuiEllipse, TuiShape)
 public:
  explicit TuiEllipse(TuiComponent* Owner) : TuiShape(Owner) {}

  bool PointInObject(float X, float Y) override;

  static void DefineProperties(TuiClassBuilder<TuiEllipse>& C) {
    PublishFill(C);
    PublishStroke(C);
  }

 protected:
  TuiEllipse(TuiComponent* Owner, TuiBrushStyle FillStyle, TuiColor FillColor)
      : TuiShape(Owner, FillStyle, FillColor, uxBrushSolid, 0xFF000000) {}
  void Paint() override;
  // The test above on the local point.
  bool InObjectEllipse(const TuiPoint& Local) const;
  // For pies and arcs: the centre of the object and the radii that keep the
  // outline inside it.
  TuiPoint Center() const { return {Width() / 2, Height() / 2}; }
  TuiPoint ArcRadii() const {
    return {(Width() - StrokeThickness()) / 2, (Height() - StrokeThickness()) / 2};
  }
};

// The largest circle of whole units that fits the shape rectangle, centred.
class TuiCircle : public TuiEllipse {
  UX_CLASS(TuiCircle, TuiEllipse)
 public:
  explicit TuiCircle(TuiComponent* Owner) : TuiEllipse(Owner) {}
  TuiRect CircleRect() const;

 protected:
  void Paint() override;
};

// A slice from StartAngle to EndAngle, closed through the centre.
class TuiPie : public TuiEllipse {
  UX_CLASS(TuiPie, TuiEllipse)
 public:
  explicit TuiPie(TuiComponent* Owner) : TuiEllipse(Owner) {}
  // Degrees from the positive X axis towards positive Y (clockwise on screen).
  float StartAngle() const { return FStartAngle; }
  void SetStartAngle(float Value);
  float EndAngle() const { return FEndAngle; }
  void SetEndAngle(float Value);
  // The slice as painted: centre, arc, back to the centre.
  void BuildPath(TuiPathData& Path) const;
  // Inside the slice when a canvas can answer; inside the ellipse otherwise.
  bool PointInObject(float X, float Y) override;

  static void DefineProperties(TuiClassBuilder<TuiPie>& C) {
    C.Property("StartAngle", &TuiPie::StartAngle, &TuiPie::SetStartAngle, 0.0f);
    C.Property("EndAngle", &TuiPie::EndAngle, &TuiPie::SetEndAngle, -90.0f);
  }

 protected:
  void Paint() override;

 private:
  float FStartAngle = 0;
  float FEndAngle = -90;
};

// An arc of EndAngle degrees starting at StartAngle; EndAngle is the sweep,
// not where the arc ends. Unfilled by default.
class TuiArc : public TuiEllipse {
  UX_CLASS(TuiArc, TuiEllipse)
 public:
  explicit TuiArc(TuiComponent* Owner) : TuiEllipse(Owner, uxBrushNone, 0xFFE0E0E0) {}
  // Degrees from the positive X axis towards positive Y (clockwise on screen).
  float StartAngle() const { return FStartAngle; }
  void SetStartAngle(float Value);
  float EndAngle() const { return FEndAngle; }
  void SetEndAngle(float Value);

  static void DefineProperties(TuiClassBuilder<TuiArc>& C) {
    C.Property("StartAngle", &TuiArc::StartAngle, &TuiArc::SetStartAngle, 0.0f);
    C.Property("EndAngle", &TuiArc::EndAngle, &TuiArc::SetEndAngle, -90.0f);
  }

 protected:
  void Paint() override;

 private:
  float FStartAngle = 0;
  float FEndAngle = -90;
};
