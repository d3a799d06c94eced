#include "scene2d/effects/EffectPainter.h"

#include <cmath>

#include "draw2d/Canvas.h"
#include "draw2d/Draw2dRegistration.h"
#include "scene2d/ClassInfo.h"
#include "scene2d/VisualObject.h"
#include "scene2d/effects/Effect.h"
#include "scene2d/effects/EffectKinds.h"

namespace {

TuiEffect* EnabledEffect(TuiObject* Child) {
  auto* e = Child->IsVisual() ? nullptr : dynamic_cast<TuiEffect*>(Child);
  return e && e->Enabled() ? e : nullptr;
}

TuiRect Scaled(TuiRect R, const TuiPoint& S) {
  return {R.Left * S.X, R.Top * S.Y, R.Right * S.X, R.Bottom * S.Y};
}

// Renders Object into Effect's picture and lets the effect process it.
void MakePicture(TuiVisualObject& Object, TuiEffect& Effect, const TuiPoint& Scale) {
  const TuiRect r = Scaled(Effect.GetRect(Object.GetLocalRect()), Scale);
  TuiBitmap& picture = Effect.Picture();
  const auto width = int32_t(std::trunc(r.Width())), height = int32_t(std::trunc(r.Height()));
  picture.SetSize(std::max(width, 0), std::max(height, 0));
  picture.Clear(0);
  ++TuiEffectPainter::PicturesMade;
  if (picture.IsEmpty()) return;
  TuiCanvas* canvas = picture.Canvas();
  if (!canvas || !canvas->BeginScene()) return;
  {
    struct TEnd {
      TuiCanvas* C;
      ~TEnd() { C->EndScene(); }
    } end{canvas};
    canvas->SetMatrix(IdentityMatrix());
    const TuiPoint at = Effect.GetOffset();
    TuiPainter::PaintTo(Object, *canvas,
                        Scaled({at.X, at.Y, at.X + Object.Width(), at.Y + Object.Height()}, Scale));
  }
  Effect.ProcessEffect(*canvas, picture, Scale.X);
}

}  // namespace

bool TuiEffectPainter::PaintsAfter(TuiVisualObject& Object) {
  return Object.HasAfterEffect();
}

bool TuiEffectPainter::ReplacesPainting(TuiVisualObject& Object) {
  return Object.HasPaintReplacingEffect();
}

void TuiEffectPainter::PaintEffects(TuiVisualObject& Object, TuiCanvas& Canvas) {
  if (!Object.Scene() || !Object.HasEffects()) return;
  // Pictures are upright and in whole pixels of the object's size on screen.
  TuiPoint scale = Object.GetAbsoluteScale();
  scale = {std::fabs(scale.X), std::fabs(scale.Y)};
  if (scale.X == 0 || scale.Y == 0) return;
  const int32_t state = Canvas.SaveCanvas();
  struct TRestore {
    TuiCanvas& C;
    int32_t State;
    ~TRestore() { C.RestoreCanvas(State); }
  } restore{Canvas, state};
  const bool rebuild = Object.EffectCacheStale();
  const TuiRect local = Object.GetLocalRect();
  // By index: painting into a picture runs handlers that may change children.
  for (int i = 0; i < Object.ChildrenCount(); ++i) {
    TuiEffect* e = EnabledEffect(Object.Children(i));
    if (!e) continue;
    if (rebuild) MakePicture(Object, *e, scale);
    if (e->Picture().IsEmpty()) continue;
    Canvas.SetMatrix(Object.GetAbsoluteMatrix());
    TuiBitmap& picture = e->Picture();
    Canvas.DrawBitmap(picture, {0, 0, float(picture.Width()), float(picture.Height())}, e->GetRect(local),
                      Object.GetAbsoluteOpacity(), Object.RotateAngle() == 0);
  }
  if (rebuild) Object.EffectCacheBuilt();
}

void RegisterEffectClasses() {
  static const bool registered = [] {
    RegisterDraw2dClasses();
    static TuiEffectPainter painter;
    TuiPainter::EffectPainter = &painter;
    TuiClassRegistry::Instance().Register(
        "Effects",
        {&TuiShadowEffect::StaticClass(), &TuiGlowEffect::StaticClass(), &TuiInnerGlowEffect::StaticClass(),
         &TuiBlurEffect::StaticClass(), &TuiBevelEffect::StaticClass(), &TuiReflectionEffect::StaticClass()});
    return true;
  }();
  (void)registered;
}
