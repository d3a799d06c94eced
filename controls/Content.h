#pragma once

#include "scene2d/VisualObject.h"

// The place inside a style where a control paints what is its own rather than
// the style's (a text box its text), through the part's OnPaint. Children put
// into a content part belong to its parent when streamed.
class TuiContent : public TuiVisualObject {
  UX_CLASS(TuiContent, TuiVisualObject)
 public:
  explicit TuiContent(TuiComponent* Owner) : TuiVisualObject(Owner) {}
  bool IsContent() const override { return true; }
};
