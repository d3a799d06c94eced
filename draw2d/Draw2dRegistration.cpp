#include "draw2d/Draw2dRegistration.h"

#include "draw2d/BitmapObject.h"
#include "draw2d/BrushObject.h"
#include "draw2d/DrawAnimations.h"
#include "draw2d/PathObject.h"
#include "draw2d/Shape.h"
#include "draw2d/ShapeEllipses.h"
#include "draw2d/ShapeImage.h"
#include "draw2d/ShapePaths.h"
#include "draw2d/ShapeRectangles.h"
#include "draw2d/ShapeText.h"
#include "scene2d/ClassInfo.h"
#include "scene2d/Registration.h"

namespace {

// Text carets are plain rectangles: 3 x 20, blue, no outline.
class TRectangleCaretMaker final : public IuxCaretMaker {
 public:
  TuiVisualObject* CreateCaret(TuiVisualObject& Owner) override {
    auto* caret = new TuiRectangle(&Owner);
    caret->SetStored(false);
    caret->SetHitTest(false);
    caret->SetLocked(true);
    caret->SetVisible(false);
    caret->SetBounds(0, 0, 3, 20);
    caret->Fill()->SetStyle(uxBrushSolid);
    caret->Fill()->SetColorValue(0xFF0000FF);
    caret->Stroke()->SetStyle(uxBrushNone);
    caret->SetParent(&Owner);
    return caret;
  }
  void SetCaretColor(TuiVisualObject& Caret, TuiColor Color) override {
    if (auto* r = dynamic_cast<TuiRectangle*>(&Caret)) r->Fill()->SetColorValue(Color);
  }
};

}  // namespace

void RegisterDraw2dClasses() {
  static const bool registered = [] {
    RegisterScene2dClasses();
    TuiClassRegistry::Instance().Register(
        "Resources",
        {&TuiBrushObject::StaticClass(), &TuiBitmapObject::StaticClass(), &TuiPathObject::StaticClass()});
    TuiClassRegistry::Instance().Register(
        "Shapes", {&TuiShape::StaticClass(), &TuiLine::StaticClass(), &TuiRectangle::StaticClass(),
                   &TuiSidesRectangle::StaticClass(), &TuiRoundRect::StaticClass(),
                   &TuiEllipse::StaticClass(), &TuiCircle::StaticClass(), &TuiPie::StaticClass(),
                   &TuiArc::StaticClass(), &TuiCustomPath::StaticClass(), &TuiPath::StaticClass(),
                   &TuiText::StaticClass(), &TuiImage::StaticClass(), &TuiPaintBox::StaticClass()});
    static TRectangleCaretMaker caretMaker;
    TuiVisualObject::CaretMaker = &caretMaker;
    TuiClassRegistry::Instance().Register(
        "Animations", {&TuiGradientAnimation::StaticClass(), &TuiBitmapAnimation::StaticClass(),
                       &TuiPathAnimation::StaticClass()});
    return true;
  }();
  (void)registered;
}
