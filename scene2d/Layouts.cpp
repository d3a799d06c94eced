#include "scene2d/Layouts.h"

#include <algorithm>
#include <cmath>

UX_IMPLEMENT_CLASS(TuiLayout)
UX_IMPLEMENT_CLASS(TuiScaledLayout)

TuiLayout::TuiLayout(TuiComponent* Owner) : TuiVisualObject(Owner) {
  SetHitTest(false);
}

void TuiScaledLayout::DefineProperties(TuiClassBuilder<TuiScaledLayout>& C) {
  C.Property("OriginalWidth", &TuiScaledLayout::OriginalWidth, &TuiScaledLayout::SetOriginalWidth, 50.0f);
  C.Property("OriginalHeight", &TuiScaledLayout::OriginalHeight, &TuiScaledLayout::SetOriginalHeight, 50.0f);
}

TuiScaledLayout::TuiScaledLayout(TuiComponent* Owner)
    : TuiVisualObject(Owner), FOriginalWidth(Width()), FOriginalHeight(Height()) {}

void TuiScaledLayout::SetOriginalWidth(float Value) {
  Value = std::max(Value, 1.0f);
  if (Value == FOriginalWidth) return;
  FOriginalWidth = Value;
  OriginalSizeChanged();
}

void TuiScaledLayout::SetOriginalHeight(float Value) {
  Value = std::max(Value, 1.0f);
  if (Value == FOriginalHeight) return;
  FOriginalHeight = Value;
  OriginalSizeChanged();
}

void TuiScaledLayout::OriginalSizeChanged() {
  if (IsLoading()) return;
  MatrixChanged();
  InvalidateUpdateRects();
  Realign();
  Repaint();
}

TuiMatrix TuiScaledLayout::GetChildrenMatrix() const {
  TuiMatrix m;
  m.M[0][0] = Width() / FOriginalWidth;
  m.M[1][1] = Height() / FOriginalHeight;
  return m;
}

void TuiScaledLayout::SizeChanged(bool WidthChanged, bool HeightChanged) {
  // A designer edits the content at the size it is shown at.
  if (IsDesigning()) {
    if (WidthChanged) FOriginalWidth = std::max(std::fabs(Width()), 1.0f);
    if (HeightChanged) FOriginalHeight = std::max(std::fabs(Height()), 1.0f);
  }
  // The children's scale follows the size.
  MatrixChanged();
}
