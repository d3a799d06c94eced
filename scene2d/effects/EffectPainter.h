#pragma once

#include "scene2d/paint/Painter.h"

// The effects' part of the paint pass (TuiPainter::EffectPainter). While an
// object's effect cache is stale it renders the object into each enabled
// effect's picture, at the object's absolute scale and upright, lets the effect
// process it and draws it; otherwise it draws the kept pictures. Each picture
// covers the effect's GetRect of the object's local rectangle, drawn with the
// object's absolute matrix and opacity, sampling the nearest pixel unless the
// object is turned.
class TuiEffectPainter : public IuxEffectPainter {
 public:
  bool PaintsAfter(TuiVisualObject& Object) override;
  bool ReplacesPainting(TuiVisualObject& Object) override;
  void PaintEffects(TuiVisualObject& Object, TuiCanvas& Canvas) override;

  // How often pictures were made; tests and tools watch the cache with it.
  static inline uint64_t PicturesMade = 0;
};

// Registers the effect classes for streaming and installs the effect painter.
// Idempotent.
void RegisterEffectClasses();
