#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "scene2d/Geometry.h"
#include "scene2d/VisualObject.h"
#include "scene3d/Bitmap.h"
#include "scene3d/Material.h"
#include "scene3d/VisualObject.h"

// Flat 3D objects that show 2D pictures: the plain layer (a box that maps rays
// to its own 2D coordinates), the buffer layer (a bitmap drawn as a textured
// quad) and their arrangement inside a parent by LayerAlign.

enum TscLayerAlign : uint8_t {
  scLayerNone,
  scLayerTop,
  scLayerLeft,
  scLayerRight,
  scLayerBottom,
  scLayerMostTop,
  scLayerMostBottom,
  scLayerMostLeft,
  scLayerMostRight,
  scLayerClient,
  scLayerCenter,
  scLayerContents
};
UX_ENUM(TscLayerAlign, "scLayerNone", "scLayerTop", "scLayerLeft", "scLayerRight", "scLayerBottom",
        "scLayerMostTop", "scLayerMostBottom", "scLayerMostLeft", "scLayerMostRight", "scLayerClient",
        "scLayerCenter", "scLayerContents")

class TscCustomLayer;

// Places the visible, screen-projected Layers with a LayerAlign inside Area
// (x to the right, y down): most-top, most-bottom, most-left, most-right,
// top, bottom, left, right, client, center, contents. Contents takes the
// whole area without reducing it.
void scArrangeLayers(std::span<TscCustomLayer* const> Layers, TuiRect Area);
// What a scene does when its client area changes size: a root layer is
// placed in the client area, and so are the layers among the children of any
// other root. RegisterLayerClasses installs it as TscScene::LayerAligner.
void scAlignSceneRoot(TscVisualObject& Root, float ClientWidth, float ClientHeight);

// A box of Width x Height x Depth whose rays become points of its own 2D
// plane. Mouse input arrives as pick rays in local coordinates.
class TscCustomLayer : public TscVisualObject {
  UX_CLASS(TscCustomLayer, TscVisualObject)
 public:
  using TLayerMouseEvent =
      std::function<void(TscObject* Sender, TuiMouseButton Button, TuiShiftState Shift, int X, int Y)>;

  explicit TscCustomLayer(TuiComponent* Owner);

  TscLayerAlign LayerAlign() const { return FLayerAlign; }
  void SetLayerAlign(TscLayerAlign Value);

  // ---- the scene's mouse, the pick ray in local coordinates ----
  // The ray becomes a point of the layer's plane; a ray that misses passes
  // nothing on.
  void MouseDown(TuiMouseButton Button, TuiShiftState Shift, float X, float Y, const TscVector& RayPos,
                 const TscVector& RayDir) override;
  void MouseMove(TuiShiftState Shift, float X, float Y, const TscVector& RayPos,
                 const TscVector& RayDir) override;
  // A ray that misses passes the point the up came with.
  void MouseUp(TuiMouseButton Button, TuiShiftState Shift, float X, float Y, const TscVector& RayPos,
               const TscVector& RayDir) override;

  // ---- in the layer's 2D coordinates; raise the events, X and Y truncated ----
  virtual void LayerMouseMove(TuiShiftState Shift, float X, float Y);
  virtual void LayerMouseDown(TuiMouseButton Button, TuiShiftState Shift, float X, float Y);
  virtual void LayerMouseUp(TuiMouseButton Button, TuiShiftState Shift, float X, float Y);

  // A local 3D point of the layer's plane as a 2D point.
  virtual TuiPoint PlanePoint(const TscVector& Local) const;
  // The local ray's first entry into the box (half-extents Grow x 0.503 of the
  // size); false when it enters nowhere in front of its origin.
  bool FaceHit(const TscVector& RayPos, const TscVector& RayDir, float Grow, TscVector& Local) const;
  // The local ray against the layer; Intersection in scene coordinates.
  bool RayCastIntersect(const TscVector& RayPos, const TscVector& RayDir, TscVector& Intersection) override;

  void SetVisible(bool Value) override;
  void Loaded() override;

  TLayerMouseEvent OnLayerMouseMove, OnLayerMouseDown, OnLayerMouseUp;

  static void DefineProperties(TuiClassBuilder<TscCustomLayer>& C);

 protected:
  // Places the child layers in the layer's own box.
  void Realign() override;
  void Repaint() override;
  bool HoldsSceneCapture() const;
  // The local hit point of a ray, when the layer counts as hit there.
  virtual bool LocalHit(const TscVector& RayPos, const TscVector& RayDir, TscVector& Local);
  // The parent re-places its layers.
  void RealignParent();

 private:
  TscLayerAlign FLayerAlign = scLayerNone;
  bool FRealigning = false;
};

// A layer that shows a bitmap of BufferWidth x BufferHeight pixels: on whole
// window pixels under the screen projection, at Resolution pixels per unit
// under the camera projection. Buffer layers lend their bitmap to materials
// by Name.
class TscCustomBufferLayer : public TscCustomLayer, public IscBitmapHolder {
  UX_CLASS(TscCustomBufferLayer, TscCustomLayer)
 public:
  explicit TscCustomBufferLayer(TuiComponent* Owner);
  ~TscCustomBufferLayer() override;

  virtual TscBitmap* GetBuffer() { return FBuffer.get(); }
  int32_t BufferWidth() const { return FBufferWidth; }
  int32_t BufferHeight() const { return FBufferHeight; }
  int32_t Resolution() const { return FResolution; }
  void SetResolution(int32_t Value);
  uint32_t ModulationColor() const { return FModulationColor; }
  void SetModulationColor(uint32_t Value);
  std::string ModulationColorText() const;
  void SetModulationColorText(const std::string& Value);

  void SetWidth(float Value) override;
  void SetHeight(float Value) override;
  void SetDepth(float Value) override;

  // Buffer pixel (0, 0) in client pixels, for the screen projection.
  TuiPoint PixelOrigin() const;
  TuiPoint PlanePoint(const TscVector& Local) const override;

  // The bitmap takes the buffer size, then OnBeforePaint.
  void BeforePaint(TscCanvas& Canvas) override;
  // The buffer's refresh, OnUpdateBuffer, then the quad.
  void Paint(TscCanvas& Canvas) override;

  const std::string& BitmapHolderName() const override { return Name(); }
  TscBitmap* HeldBitmap() override { return GetBuffer(); }

  std::function<void(TscObject* Sender)> OnUpdateBuffer;

  static void DefineProperties(TuiClassBuilder<TscCustomBufferLayer>& C);

 protected:
  void BeforeDestruction() override;
  bool LocalHit(const TscVector& RayPos, const TscVector& RayDir, TscVector& Local) override;
  // The bitmap takes the buffer size; derived layers resize what they draw
  // with.
  virtual void PrepareBuffer();
  // Brings the bitmap's pixels up to date.
  virtual void UpdateBuffer() {}
  void UpdateBufferSize();

 private:
  std::unique_ptr<TscBitmap> FBuffer;
  int32_t FBufferWidth = 0, FBufferHeight = 0;
  int32_t FResolution = 60;
  uint32_t FModulationColor = 0xFFFFFFFF;
};

// Registers the layer classes for streaming. Calling it again does nothing.
void RegisterLayerClasses();
