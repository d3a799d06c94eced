#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "scene2d/ClassInfo.h"
#include "scene2d/Collection.h"
#include "scene2d/Colors.h"
#include "scene2d/Geometry.h"
#include "scene2d/Persistent.h"
#include "scene2d/ValueHolders.h"

// Multi-stop gradients for brushes: an ordered list of colour stops, a linear
// direction given as fractions of the painted rectangle, or a radial ellipse
// under a transform.

enum TuiGradientStyle : uint8_t { uxLinearGradient, uxRadialGradient };
UX_ENUM(TuiGradientStyle, "uxLinearGradient", "uxRadialGradient")

class TuiGradientPoint : public TuiCollectionItem {
  UX_CLASS(TuiGradientPoint, TuiCollectionItem)
 public:
  explicit TuiGradientPoint(TuiCollection* Collection) : TuiCollectionItem(Collection) {}

  // The stored form is the colour text; a text that is no colour gives 0.
  std::string Color() const { return ColorToText(FColor); }
  void SetColor(const std::string& Value) { SetColorValue(TextToColor(Value)); }
  TuiColor ColorValue() const { return FColor; }
  void SetColorValue(TuiColor Value);
  // 0 is the start of the gradient, 1 its end.
  float Offset() const { return FOffset; }
  void SetOffset(float Value);

  static void DefineProperties(TuiClassBuilder<TuiGradientPoint>& C) {
    C.Property("Color", &TuiGradientPoint::Color, &TuiGradientPoint::SetColor);
    C.Property("Offset", &TuiGradientPoint::Offset, &TuiGradientPoint::SetOffset);
  }

 private:
  TuiColor FColor = 0;
  float FOffset = 0;
};

// Used in their order; nothing sorts them.
class TuiGradientPoints : public TuiCollection {
  UX_CLASS(TuiGradientPoints, TuiCollection)
 public:
  TuiGradientPoints();
  TuiGradientPoint* Points(int Index) const { return static_cast<TuiGradientPoint*>(Items(Index)); }
  TuiGradientPoint* Add() { return static_cast<TuiGradientPoint*>(TuiCollection::Add()); }
  TuiGradientPoint* Add(TuiColor Color, float Offset);
};

// One stop as a rasteriser takes it.
struct TuiGradientStop {
  float Offset = 0;
  TuiColor Color = 0;
  friend bool operator==(const TuiGradientStop&, const TuiGradientStop&) = default;
};

class TuiGradient : public TuiPersistent {
  UX_CLASS(TuiGradient, TuiPersistent)
 public:
  // Opaque black at 0 to opaque white at 1, top to bottom.
  TuiGradient();

  TuiGradientPoints* Points() const { return FPoints.get(); }
  TuiGradientStyle Style() const { return FStyle; }
  void SetStyle(TuiGradientStyle Value);
  // Fractions of the painted rectangle; the setters copy the value in.
  TuiPosition* StartPosition() const { return FStartPosition.get(); }
  void SetStartPosition(const TuiPosition& Value) { FStartPosition->Assign(Value); }
  TuiPosition* StopPosition() const { return FStopPosition.get(); }
  void SetStopPosition(const TuiPosition& Value) { FStopPosition->Assign(Value); }
  TuiTransform* RadialTransform() const { return FRadialTransform.get(); }
  void SetRadialTransform(const TuiTransform& Value) { FRadialTransform->Assign(Value); }

  // The colour at Offset (clamped to [0, 1]): the end colours outside the
  // stops, channel-wise interpolation between them; 0 with fewer than two.
  TuiColor ColorAt(float Offset) const;

  // The stops to paint with, their alpha scaled by Opacity. A fill extends the
  // end colours to 0 and 1 (WithEnds); an outline uses the points as they are.
  std::vector<TuiGradientStop> PaintStops(float Opacity, bool WithEnds) const;
  // Where a linear fill starts and stops in Rect: (Left + X * Right,
  // Top + Y * Bottom). That is the fraction of the size only for rectangles at
  // the origin; the stored styles were drawn with this placement, so it stays.
  TuiPoint StartPoint(const TuiRect& Rect) const;
  TuiPoint StopPoint(const TuiRect& Rect) const;

  // Copies the points, the style and the geometry the style uses; notifies
  // once when anything changed.
  void Assign(const TuiGradient& Source);
  // Raises "Cannot assign a <class> to a TuiGradient" for other classes.
  void Assign(const TuiPersistent& Source);

  // After every real change of the gradient, its points included.
  std::function<void(TuiGradient* Sender)> OnChanged;

  static void DefineProperties(TuiClassBuilder<TuiGradient>& C);

 private:
  struct TTransformState {
    float Angle;
    TuiPoint Position, Scale, Center, Projective;
    bool operator==(const TTransformState&) const = default;
  };
  TTransformState TransformState() const;
  void Changed();
  void PositionChanged(TuiPosition* Sender);
  void TransformChanged();

  std::unique_ptr<TuiGradientPoints> FPoints = std::make_unique<TuiGradientPoints>();
  TuiGradientStyle FStyle = uxLinearGradient;
  std::unique_ptr<TuiPosition> FStartPosition = std::make_unique<TuiPosition>(TuiPoint{0, 0});
  std::unique_ptr<TuiPosition> FStopPosition = std::make_unique<TuiPosition>(TuiPoint{0, 1});
  std::unique_ptr<TuiTransform> FRadialTransform = std::make_unique<TuiTransform>();
  // What the holders last reported, since they also report a value set again.
  TuiPoint FStartSeen{0, 0}, FStopSeen{0, 1};
  TTransformState FTransformSeen;
};
