#pragma once

#include "scene2d/VisualObject.h"

// A plain container: not hit by the mouse, paints nothing of its own.
class TuiLayout : public TuiVisualObject {
  UX_CLASS(TuiLayout, TuiVisualObject)

 public:
  explicit TuiLayout(TuiComponent* Owner);

  static void DefineProperties(TuiClassBuilder<TuiLayout>& C) { C.Default("HitTest", false); }
};

// A container whose content keeps the proportions it was designed at: its
// children live in an OriginalWidth x OriginalHeight space that is scaled to
// the layout's current size, and they are aligned within that space.
class TuiScaledLayout : public TuiVisualObject {
  UX_CLASS(TuiScaledLayout, TuiVisualObject)

 public:
  // The original size is the size at construction.
  explicit TuiScaledLayout(TuiComponent* Owner);

  float OriginalWidth() const { return FOriginalWidth; }
  // Never below 1.
  void SetOriginalWidth(float Value);
  float OriginalHeight() const { return FOriginalHeight; }
  void SetOriginalHeight(float Value);

  TuiMatrix GetChildrenMatrix() const override;

  static void DefineProperties(TuiClassBuilder<TuiScaledLayout>& C);

 protected:
  void SizeChanged(bool WidthChanged, bool HeightChanged) override;
  TuiPoint AlignSize() const override { return {FOriginalWidth, FOriginalHeight}; }

 private:
  void OriginalSizeChanged();

  float FOriginalWidth;
  float FOriginalHeight;
};
