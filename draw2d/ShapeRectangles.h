#pragma once

#include "draw2d/Shape.h"

// A rectangle with optional rounded, bevelled or inset corners and optional
// missing sides. Where a side has no outline the fill reaches the object's
// edge, so rectangles laid side by side join without a gap.
class TuiRectangle : public TuiShape {
  UX_CLASS(TuiRectangle, TuiShape)
 public:
  explicit TuiRectangle(TuiComponent* Owner) : TuiShape(Owner) {}

  float XRadius() const { return FXRadius; }
  void SetXRadius(float Value);
  float YRadius() const { return FYRadius; }
  void SetYRadius(float Value);
  TuiCorners Corners() const { return FCorners; }
  void SetCorners(TuiCorners Value);
  TuiCornerType CornerType() const { return FCornerType; }
  void SetCornerType(TuiCornerType Value);
  TuiSides Sides() const { return FSides; }
  void SetSides(TuiSides Value);

  static void DefineProperties(TuiClassBuilder<TuiRectangle>& C) {
    PublishFill(C);
    PublishStroke(C);
    C.Property("xRadius", &TuiRectangle::XRadius, &TuiRectangle::SetXRadius, 0.0f);
    C.Property("yRadius", &TuiRectangle::YRadius, &TuiRectangle::SetYRadius, 0.0f);
    C.Set<TuiCorner>("Corners", &TuiRectangle::Corners, &TuiRectangle::SetCorners, AllCorners);
    C.Property("CornerType", &TuiRectangle::CornerType, &TuiRectangle::SetCornerType, uxCornerRound);
    C.Set<TuiSide>("Sides", &TuiRectangle::Sides, &TuiRectangle::SetSides, AllSides);
  }

 protected:
  void Paint() override;

 private:
  float FXRadius = 0;
  float FYRadius = 0;
  TuiCorners FCorners = AllCorners;
  TuiCornerType FCornerType = uxCornerRound;
  TuiSides FSides = AllSides;
};

// Kept as a class of its own because stored layouts name it.
class TuiSidesRectangle : public TuiRectangle {
  UX_CLASS(TuiSidesRectangle, TuiRectangle)
 public:
  explicit TuiSidesRectangle(TuiComponent* Owner) : TuiRectangle(Owner) {}
};

// A rectangle whose corners are as round as its shorter side allows: a
// capsule, or a circle when square.
class TuiRoundRect : public TuiShape {
  UX_CLASS(TuiRoundRect, TuiShape)
 public:
  explicit TuiRoundRect(TuiComponent* Owner) : TuiShape(Owner) {}

  TuiCorners Corners() const { return FCorners; }
  void SetCorners(TuiCorners Value);
  // Half the shape rectangle's shorter side.
  float Radius() const;

  static void DefineProperties(TuiClassBuilder<TuiRoundRect>& C) {
    PublishFill(C);
    PublishStroke(C);
    C.Set<TuiCorner>("Corners", &TuiRoundRect::Corners, &TuiRoundRect::SetCorners, AllCorners);
  }

 protected:
  void Paint() override;

 private:
  TuiCorners FCorners = AllCorners;
};
