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
    TuiClassRegistry::Instance().Register(
        "Animations", {&TuiGradientAnimation::StaticClass(), &TuiBitmapAnimation::StaticClass(),
                       &TuiPathAnimation::StaticClass()});
    return true;
  }();
  (void)registered;
}
