#include "scene2d/effects/EffectPainter.h"

#include <algorithm>
#include <cmath>

#include "draw2d/Canvas.h"
#include "draw2d/Draw2dRegistration.h"
#include "draw2d/ImageFilter.h"
#include "scene2d/ClassInfo.h"
#include "scene2d/VisualObject.h"
#include "scene2d/effects/Effect.h"
#include "scene2d/effects/EffectKinds.h"
#include "scene2d/stream/ReadBudget.h"

namespace {

TuiEffect* EnabledEffect(TuiObject* Child) {
  auto* e = Child->IsVisual() ? nullptr : dynamic_cast<TuiEffect*>(Child);
  return e && e->Enabled() ? e : nullptr;
}

TuiRect Scaled(TuiRect R, const TuiPoint& S) {
  return {R.Left * S.X, R.Top * S.Y, R.Right * S.X, R.Bottom * S.Y};
}

// Where the pixels of a whole effect picture of Size land: the effect's
// rectangle R in the object's local units.
double PictureToLocal(int32_t Pixel, int32_t Size, float Low, float High) {
  if (Pixel <= 0) return Low;
  if (Pixel >= Size) return High;
  return double(Low) + double(Pixel) * (double(High) - Low) / Size;
}

// The part of a whole picture of Size, drawn into R, that can land on
// Canvas, widened by how far Effect reads around a pixel: the part worth
// making. The whole picture when all of it shows.
TuiPixelRect VisiblePart(TuiVisualObject& Object, TuiEffect& Effect, TuiCanvas& Canvas, const TuiRect& R,
                         const TuiPixelRect& Size, float Scale) {
  TuiPixelRect part = Size;
  const TuiMatrix toLocal = InvertMatrix(Object.GetAbsoluteMatrix());
  const float w = float(Canvas.Width()), h = float(Canvas.Height());
  double left = 0, top = 0, right = 0, bottom = 0;
  bool first = true;
  for (const TuiPoint corner : {TuiPoint{0, 0}, TuiPoint{w, 0}, TuiPoint{0, h}, TuiPoint{w, h}}) {
    const TuiPoint p = TransformPoint(corner, toLocal);
    if (!std::isfinite(p.X) || !std::isfinite(p.Y)) return part;
    left = first ? p.X : std::min(left, double(p.X));
    right = first ? p.X : std::max(right, double(p.X));
    top = first ? p.Y : std::min(top, double(p.Y));
    bottom = first ? p.Y : std::max(bottom, double(p.Y));
    first = false;
  }
  const double rw = double(R.Right) - R.Left, rh = double(R.Bottom) - R.Top;
  if (!(rw > 0) || !(rh > 0)) return part;
  // In picture pixels, with a pixel more for the sampling at the edges.
  const auto clampTo = [](double V, int32_t High) { return int32_t(std::clamp(V, 0.0, double(High))); };
  const TuiEffect::TReach reach = Effect.Reach(Scale);
  if (reach.X >= 0) {
    const double sx = Size.Right / rw, grow = double(reach.X) + 2;
    part.Left = clampTo(std::floor((left - R.Left) * sx) - grow, Size.Right);
    part.Right = clampTo(std::ceil((right - R.Left) * sx) + grow, Size.Right);
  }
  if (reach.Y >= 0) {
    const double sy = Size.Bottom / rh, grow = double(reach.Y) + 2;
    part.Top = clampTo(std::floor((top - R.Top) * sy) - grow, Size.Bottom);
    part.Bottom = clampTo(std::ceil((bottom - R.Top) * sy) + grow, Size.Bottom);
  }
  return part;
}

// Renders Object into the Part of Effect's picture and lets the effect
// process it. A picture beyond the limit of decoded ones is left empty.
void MakePicture(TuiVisualObject& Object, TuiEffect& Effect, const TuiPoint& Scale, const TuiPixelRect& Part,
                 const TuiPixelRect& Size) {
  TuiBitmap& picture = Effect.Picture();
  const int64_t pixels = Part.IsEmpty() ? 0 : int64_t(Part.Right - Part.Left) * (Part.Bottom - Part.Top);
  // Charged like a decoded picture, to the budget of the read or tool run
  // this paint belongs to, if any.
  TuiReadBudget::ChargePixels(pixels);
  const bool fits = pixels > 0 && pixels <= TuiFilter::MaxPixels;
  picture.SetSize(fits ? Part.Right - Part.Left : 0, fits ? Part.Bottom - Part.Top : 0);
  picture.Clear(0);
  Effect.SetPictureArea(fits ? Part : TuiPixelRect{}, Size);
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
    TuiRect target = Scaled({at.X, at.Y, at.X + Object.Width(), at.Y + Object.Height()}, Scale);
    OffsetRect(target, -float(Part.Left), -float(Part.Top));
    TuiPainter::PaintTo(Object, *canvas, target);
  }
  Effect.ProcessEffect(*canvas, picture, Scale.X);
}

bool Holds(const TuiPixelRect& Outer, const TuiPixelRect& Inner) {
  return Inner.IsEmpty() || (Inner.Left >= Outer.Left && Inner.Top >= Outer.Top &&
                             Inner.Right <= Outer.Right && Inner.Bottom <= Outer.Bottom);
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
    const TuiRect r = e->GetRect(local);
    const TuiRect scaled = Scaled(r, scale);
    const TuiPixelRect size{0, 0, std::max(int32_t(std::trunc(scaled.Width())), 0),
                            std::max(int32_t(std::trunc(scaled.Height())), 0)};
    // Only what can show is made: an object far larger than the target
    // costs what the target does.
    const TuiPixelRect part = size.IsEmpty() ? size : VisiblePart(Object, *e, Canvas, r, size, scale.X);
    if (rebuild || e->PictureSize() != size || !Holds(e->PictureArea(), part))
      MakePicture(Object, *e, scale, part, size);
    if (e->Picture().IsEmpty()) continue;
    Canvas.SetMatrix(Object.GetAbsoluteMatrix());
    TuiBitmap& picture = e->Picture();
    const TuiPixelRect& area = e->PictureArea();
    const TuiRect target{float(PictureToLocal(area.Left, size.Right, r.Left, r.Right)),
                         float(PictureToLocal(area.Top, size.Bottom, r.Top, r.Bottom)),
                         float(PictureToLocal(area.Right, size.Right, r.Left, r.Right)),
                         float(PictureToLocal(area.Bottom, size.Bottom, r.Top, r.Bottom))};
    Canvas.DrawBitmap(picture, {0, 0, float(picture.Width()), float(picture.Height())}, target,
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
