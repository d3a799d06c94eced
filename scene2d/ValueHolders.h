#pragma once

#include <functional>
#include <memory>

#include "scene2d/Geometry.h"
#include "scene2d/Object.h"
#include "scene2d/Persistent.h"

// Small value holders that objects own for their margins, positions, transforms
// and visual references. Each tells its owner of every real change through
// OnChanged, and remembers the value it was created with, because it is stored
// only when it differs from that default. They are owned sub-objects, hence not
// copyable; Assign copies the value. Bounds and positions are persistent so that
// their owner can publish them: a stream writes the one text pseudo-property
// ("Margins.Rect", "Position.Point") and never the single coordinates.

class TuiBounds : public TuiPersistent {
  UX_CLASS(TuiBounds, TuiPersistent)

 public:
  explicit TuiBounds(const TuiRect& Default = {});
  TuiBounds(const TuiBounds&) = delete;
  TuiBounds& operator=(const TuiBounds&) = delete;

  float Left() const { return FLeft; }
  void SetLeft(float Value);
  float Top() const { return FTop; }
  void SetTop(float Value);
  float Right() const { return FRight; }
  void SetRight(float Value);
  float Bottom() const { return FBottom; }
  void SetBottom(float Value);

  TuiRect Rect() const { return {FLeft, FTop, FRight, FBottom}; }
  // Notifies once, and only when at least one side differs.
  void SetRect(const TuiRect& Value);
  void Assign(const TuiBounds& Source) { SetRect(Source.Rect()); }

  const TuiRect& DefaultRect() const { return FDefault; }
  bool IsDefault() const { return Rect() == FDefault; }

  // The four values as inner distances: Outer shrunk by them.
  TuiRect InnerRect(const TuiRect& Outer) const;
  bool IsZero() const { return FLeft == 0 && FTop == 0 && FRight == 0 && FBottom == 0; }

  // The stored form, "(Left,Top,Right,Bottom)"; a text that does not convert
  // sets all four to 0.
  std::string RectText() const;
  void SetRectText(const std::string& Value);

  static void DefineProperties(TuiClassBuilder<TuiBounds>& C);

  std::function<void(TuiBounds* Sender)> OnChanged;

 private:
  void Changed();

  float FLeft;
  float FTop;
  float FRight;
  float FBottom;
  const TuiRect FDefault;
};

class TuiTransform;

class TuiPosition : public TuiPersistent {
  UX_CLASS(TuiPosition, TuiPersistent)

 public:
  explicit TuiPosition(const TuiPoint& Default = {});
  TuiPosition(const TuiPosition&) = delete;
  TuiPosition& operator=(const TuiPosition&) = delete;

  float X() const { return FX; }
  void SetX(float Value);
  float Y() const { return FY; }
  void SetY(float Value);

  TuiPoint Point() const { return {FX, FY}; }
  // Unlike X and Y alone, always notifies, even for the point already held:
  // owners rely on hearing of every whole-point set, stored points included.
  void SetPoint(const TuiPoint& Value);
  void Assign(const TuiPosition& Source) { SetPoint(Source.Point()); }

  const TuiPoint& DefaultPoint() const { return FDefault; }
  bool IsDefault() const { return Point() == FDefault; }

  // The stored form, "(X,Y)"; a text that does not convert sets (0, 0).
  std::string PointText() const;
  void SetPointText(const std::string& Value);

  static void DefineProperties(TuiClassBuilder<TuiPosition>& C);

  std::function<void(TuiPosition* Sender)> OnChanged;

 private:
  friend class TuiTransform;  // copies all its positions first, then tells once
  void Store(const TuiPoint& Value) {
    FX = Value.X;
    FY = Value.Y;
  }
  void Changed();

  float FX;
  float FY;
  const TuiPoint FDefault;
};

// Position, scale and rotation as one matrix: rotation first, then scale, then
// translation. RotateCenter is kept for the brush that owns the transform and
// does not enter the matrix; the projective point fills the matrix's projective
// column and is never stored.
class TuiTransform : public TuiPersistent {
  UX_CLASS(TuiTransform, TuiPersistent)

 public:
  TuiTransform();
  TuiTransform(const TuiTransform&) = delete;
  TuiTransform& operator=(const TuiTransform&) = delete;

  const TuiMatrix& Matrix() const { return FMatrix; }

  float RotateAngle() const { return FRotateAngle; }
  void SetRotateAngle(float Value);

  // Owned sub-objects, handed out as pointers like every published sub-object.
  TuiPosition* Position() const { return FPosition.get(); }
  TuiPosition* Scale() const { return FScale.get(); }
  TuiPosition* RotateCenter() const { return FRotateCenter.get(); }
  TuiPosition* ProjectivePoint() const { return FProjective.get(); }

  // Copies the angle and all four positions, then rebuilds and notifies once.
  void Assign(const TuiTransform& Source);

  // Called after every rebuild of the matrix.
  std::function<void(TuiTransform* Sender)> OnChanged;

  // Streamed as "RotateAngle" and the three points' "Point" texts; the
  // projective point is never stored.
  static void DefineProperties(TuiClassBuilder<TuiTransform>& C) {
    C.Property("RotateAngle", &TuiTransform::RotateAngle, &TuiTransform::SetRotateAngle, 0.0f);
    C.Object("Position", &TuiTransform::Position);
    C.Object("Scale", &TuiTransform::Scale);
    C.Object("RotateCenter", &TuiTransform::RotateCenter);
  }

 private:
  void RebuildMatrix();

  TuiMatrix FMatrix;
  float FRotateAngle = 0;
  std::unique_ptr<TuiPosition> FPosition = std::make_unique<TuiPosition>(TuiPoint{0, 0});
  std::unique_ptr<TuiPosition> FScale = std::make_unique<TuiPosition>(TuiPoint{1, 1});
  std::unique_ptr<TuiPosition> FProjective = std::make_unique<TuiPosition>(TuiPoint{0, 0});
  std::unique_ptr<TuiPosition> FRotateCenter = std::make_unique<TuiPosition>(TuiPoint{0.5f, 0.5f});
};

class TuiVisualObject;

// A weak reference to a visual object: the object clears it when it dies.
class TuiVisual : public TuiPersistent, public IuxFreeNotify {
  UX_CLASS(TuiVisual, TuiPersistent)

 public:
  TuiVisual() = default;
  ~TuiVisual() override;
  TuiVisual(const TuiVisual&) = delete;
  TuiVisual& operator=(const TuiVisual&) = delete;

  TuiVisualObject* VisualObject() const { return FVisualObject; }
  void SetVisualObject(TuiVisualObject* Value);
  void Assign(const TuiVisual& Source) { SetVisualObject(Source.VisualObject()); }

  std::function<void(TuiVisual* Sender)> OnChanged;

  // The object is dying: the reference goes, quietly, since nothing is left
  // to show.
  void FreeNotify(TuiObject* Dying) override;

 private:
  TuiVisualObject* FVisualObject = nullptr;  // not owned
};
