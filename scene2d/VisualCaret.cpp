// The text caret of a visual object. The caret itself is a shape made by the
// drawing library (IuxCaretMaker); this side only places, sizes, shows and
// hides it, and starts its blink.
#include "scene2d/VisualObject.h"

#include <cmath>

IuxCaretMaker* TuiVisualObject::CaretMaker = nullptr;
std::function<void(TuiVisualObject& Caret)> TuiVisualObject::CaretAnimationMaker;

namespace {

constexpr std::string_view kBlinkBinding = "caret";

// The caret's blink animation, if it has one.
IuxAnimation* BlinkOf(TuiVisualObject& Caret) {
  IuxAnimation* found = nullptr;
  Caret.ForEachChild([&found](TuiObject* c) {
    if (auto* a = dynamic_cast<IuxAnimation*>(c); a && !found && SameText(c->BindingName(), kBlinkBinding))
      found = a;
  });
  return found;
}

}  // namespace

TuiVisualObject* TuiVisualObject::NeedCaret() {
  if (FCaret || !CaretMaker || IsDestroying()) return FCaret;
  FCaret = CaretMaker->CreateCaret(*this);
  if (FCaret && CaretAnimationMaker && Scene() && Scene()->GetAnimatedCaret()) CaretAnimationMaker(*FCaret);
  return FCaret;
}

void TuiVisualObject::ShowTextCaret() {
  TuiVisualObject* caret = NeedCaret();
  if (!caret) return;
  caret->SetVisible(true);
  if (IuxAnimation* blink = BlinkOf(*caret); blink && !blink->Running()) blink->Start();
}

void TuiVisualObject::HideTextCaret() {
  if (TuiVisualObject* caret = NeedCaret()) caret->SetVisible(false);
}

void TuiVisualObject::SetCaretPosition(const TuiPoint& P) {
  if (TuiVisualObject* caret = NeedCaret())
    caret->Position()->SetPoint({float(RoundHalfEven(P.X)), float(RoundHalfEven(P.Y))});
}

void TuiVisualObject::SetCaretSize(const TuiPoint& Size) {
  if (TuiVisualObject* caret = NeedCaret()) {
    caret->SetWidth(Size.X);
    caret->SetHeight(Size.Y);
  }
}

void TuiVisualObject::SetCaretColor(TuiColor Color) {
  if (TuiVisualObject* caret = NeedCaret()) CaretMaker->SetCaretColor(*caret, Color);
}
