#pragma once

#include <memory>

#include "draw2d/PathData.h"
#include "draw2d/Shape.h"

// How a path is laid into its shape: at its own size, shrunk to fit, stretched
// over the shape, or repeated.
enum TuiPathWrap : uint8_t { uxPathOriginal, uxPathFit, uxPathStretch, uxPathTile };
UX_ENUM(TuiPathWrap, "uxPathOriginal", "uxPathFit", "uxPathStretch", "uxPathTile")

// A vector outline, its own or the path resource it names. Hits follow the
// outline fitted into the shape, whatever the wrap mode, so that an icon
// answers where it shows in its usual, fitted layout.
class TuiCustomPath : public TuiShape {
  UX_CLASS(TuiCustomPath, TuiShape)
 public:
  explicit TuiCustomPath(TuiComponent* Owner);
  ~TuiCustomPath() override;

  TuiPathData* Data() const { return FData.get(); }
  // Not SetData, which is the data-binding operation every object has.
  void AssignData(const TuiPathData& Value) { FData->Assign(Value); }
  TuiPathWrap WrapMode() const { return FWrapMode; }
  void SetWrapMode(TuiPathWrap Value);
  // The path painted: the resource's when Data names one, else Data.
  TuiPathData& PaintedPath() const;

  bool PointInObject(float X, float Y) override;

  static void DefineProperties(TuiClassBuilder<TuiCustomPath>& C) {
    PublishFill(C);
    PublishStroke(C);
  }

 protected:
  void Paint() override;

 private:
  void FillAndDraw(TuiCanvas& Canvas, const TuiPathData& Path, const TuiRect& Rect, float Opacity);

  std::unique_ptr<TuiPathData> FData;
  TuiPathWrap FWrapMode = uxPathStretch;
};

class TuiPath : public TuiCustomPath {
  UX_CLASS(TuiPath, TuiCustomPath)
 public:
  explicit TuiPath(TuiComponent* Owner) : TuiCustomPath(Owner) {}

  static void DefineProperties(TuiClassBuilder<TuiPath>& C) {
    C.template Object<TuiPathData>("Data", &TuiCustomPath::Data);
    C.template Property<TuiPathWrap, TuiPathWrap>("WrapMode", &TuiCustomPath::WrapMode,
                                                  &TuiCustomPath::SetWrapMode, uxPathStretch);
  }
};

// The frame that shows an image or path object in a designer, where its
// content alone may be invisible.
void uxDrawDesignFrame(TuiCanvas& Canvas, const TuiRect& LocalRect);
