#pragma once

#include <functional>
#include <memory>
#include <string>

#include "scene3d/Object.h"

class TscCanvas;

enum TscDragMode : uint8_t { scDragManual, scDragAutomatic };
UX_ENUM(TscDragMode, "scDragManual", "scDragAutomatic")

// A 3D object with a place: position, orientation (a unit quaternion,
// streamed as "Quanternion"), scale, size and opacity, the matrices they make,
// and a ray hit test.
class TscVisualObject : public TscObject {
  UX_CLASS(TscVisualObject, TscObject)
 public:
  explicit TscVisualObject(TuiComponent* Owner);
  ~TscVisualObject() override;

  TscPosition* Position() const { return FPosition.get(); }
  TscPosition* Scale() const { return FScale.get(); }
  TscPosition* RotateAngle() const { return FRotateAngle.get(); }
  const TscQuaternion& Quaternion() const { return FQuaternion; }
  void SetQuaternion(const TscQuaternion& Value);
  std::string QuaternionText() const;
  void SetQuaternionText(const std::string& Value);

  float Width() const { return FWidth; }
  float Height() const { return FHeight; }
  float Depth() const { return FDepth; }
  virtual void SetWidth(float Value);
  virtual void SetHeight(float Value);
  virtual void SetDepth(float Value);
  float Opacity() const { return FOpacity; }
  // Clamped to [0, 1].
  void SetOpacity(float Value);
  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool Value);
  bool HitTest() const { return FHitTest; }
  void SetHitTest(bool Value) { FHitTest = Value; }
  bool TwoSide() const { return FTwoSide; }
  void SetTwoSide(bool Value) { FTwoSide = Value; }
  bool ZWrite() const { return FZWrite; }
  void SetZWrite(bool Value) { FZWrite = Value; }
  bool Locked() const { return FLocked; }
  void SetLocked(bool Value) { FLocked = Value; }
  TscDragMode DragMode() const { return FDragMode; }
  void SetDragMode(TscDragMode Value) { FDragMode = Value; }

  // Screen-projected objects (screen-aligned layers) give it to the visual
  // children they take.
  bool ScreenProjection() const { return FScreenProjection; }
  void SetScreenProjection(bool Value) { FScreenProjection = Value; }

  const TscMatrix& LocalMatrix() const { return FLocalMatrix; }
  // Local times the visual parent's absolute; cached until marked stale.
  virtual TscMatrix AbsoluteMatrix() const;
  virtual float AbsoluteOpacity() const;
  void UpdateLocalMatrix();
  // Marks the absolute matrices of the subtree stale.
  void MatrixChanged();
  TscVector AbsoluteToLocal(const TscVector& Point) const;
  TscVector LocalToAbsolute(const TscVector& Point) const;
  TscVector AbsoluteToLocalVector(const TscVector& Vector) const;
  TscVector LocalToAbsoluteVector(const TscVector& Vector) const;

  // The hit test of the scene: the nearest object hit by the pick ray of
  // (X, Y), children first; Nearest is the distance to beat and is updated.
  TscVisualObject* ObjectByRay(TscCanvas& Canvas, float& Nearest, float X, float Y);
  // Local ray against the object; the base reports a hit at the object's own
  // position.
  virtual bool RayCastIntersect(const TscVector& RayPos, const TscVector& RayDir, TscVector& Intersection);

  // Paints the visible children: states, matrix, Paint, OnPaint, their children.
  virtual void PaintChildren(TscCanvas& Canvas);
  virtual void Paint(TscCanvas&) {}
  // Registers the enabled lights of the subtree with the canvas.
  virtual void ApplyLights(TscCanvas& Canvas);

  std::function<void(TscObject* Sender, TscCanvas& Canvas)> OnPaint;

  void Loaded() override;
  static void DefineProperties(TuiClassBuilder<TscVisualObject>& C);

 protected:
  void ChildAdded(TscObject* Child) override;
  void ChildRemoved(TscObject* Child) override;
  virtual void Realign() {}
  virtual void Repaint() {}

 private:
  void RotateAbout(int Axis);
  void OpacityChanged();

  std::unique_ptr<TscPosition> FPosition, FScale, FRotateAngle;
  TscQuaternion FQuaternion;
  float FWidth = 1, FHeight = 1, FDepth = 1;
  float FOpacity = 1;
  bool FVisible = true, FHitTest = true, FTwoSide = false, FZWrite = true, FLocked = false;
  TscDragMode FDragMode = scDragManual;
  bool FScreenProjection = false;
  TscMatrix FLocalMatrix;
  mutable TscMatrix FAbsoluteMatrix;
  mutable bool FAbsoluteStale = true;
  mutable float FAbsoluteOpacity = 1;
  mutable bool FOpacityStale = true;
};
