#include "draw2d/DrawAnimations.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <variant>

#include "scene2d/VisualObject.h"

UX_IMPLEMENT_CLASS(TuiGradientAnimation)
UX_IMPLEMENT_CLASS(TuiBitmapAnimation)
UX_IMPLEMENT_CLASS(TuiPathAnimation)

namespace {

// The sub-object of class T a resolved object property holds, or none.
template <class T>
T* HeldObject(TuiPropertyHandle& H) {
  if (!H || H.Kind() != pkObject) return nullptr;
  const TuiPropValue v = H.Get();
  auto* p = std::get_if<TuiPersistent*>(&v);
  return p ? dynamic_cast<T*>(*p) : nullptr;
}

// Premultiplied Source at opacity T over premultiplied Dest.
uint32_t BlendOver(uint32_t Dest, uint32_t Source, uint32_t T255) {
  const uint32_t sa = ((Source >> 24) * T255 + 127) / 255;
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const uint32_t s = (((Source >> shift) & 0xFF) * T255 + 127) / 255;
    const uint32_t d = (Dest >> shift) & 0xFF;
    out |= std::min<uint32_t>(255, s + (d * (255 - sa) + 127) / 255) << shift;
  }
  return out;
}

}  // namespace

// ---- gradient ----

void TuiGradientAnimation::DefineProperties(TuiClassBuilder<TuiGradientAnimation>& C) {
  using A = TuiGradientAnimation;
  C.Object("StartValue", &A::StartValue);
  C.Object("StopValue", &A::StopValue);
  C.Property("StartFromCurrent", &A::StartFromCurrent, &A::SetStartFromCurrent, false);
  C.Property("PropertyName", &A::PropertyName, &A::SetPropertyName, "");
}

TuiGradient* TuiGradientAnimation::TargetGradient() {
  return HeldObject<TuiGradient>(FTarget.Handle());
}

void TuiGradientAnimation::Start() {
  FTarget.Resolve(*this);
  if (TuiGradient* g = TargetGradient(); g && FStartFromCurrent) FStart->Assign(*g);
  Inherited::Start();
}

void TuiGradientAnimation::ProcessAnimation() {
  TuiGradient* target = TargetGradient();
  if (!target) return;
  const float t = NormalizedTime();
  TuiGradientPoints& points = *target->Points();
  const int n = std::min({points.Count(), FStart->Points()->Count(), FStop->Points()->Count()});
  points.BeginUpdate();
  for (int i = 0; i < n; ++i)
    points.Points(i)->SetColorValue(InterpolateColor(FStart->Points()->Points(i)->ColorValue(),
                                                     FStop->Points()->Points(i)->ColorValue(), t));
  points.EndUpdate();
}

// ---- bitmap ----

void TuiBitmapAnimation::DefineProperties(TuiClassBuilder<TuiBitmapAnimation>& C) {
  using A = TuiBitmapAnimation;
  C.Object("StartValue", &A::StartValue);
  C.Object("StopValue", &A::StopValue);
  C.Property("PropertyName", &A::PropertyName, &A::SetPropertyName, "");
}

TuiBitmap* TuiBitmapAnimation::TargetBitmap() {
  return HeldObject<TuiBitmap>(FTarget.Handle());
}

void TuiBitmapAnimation::Start() {
  FTarget.Resolve(*this);
  Inherited::Start();
}

void TuiBitmapAnimation::ProcessAnimation() {
  TuiBitmap* target = TargetBitmap();
  if (!target) return;
  const TuiBitmap& start = *FStart;
  const TuiBitmap& stop = *FStop;
  const int32_t w = start.IsEmpty() ? stop.Width() : start.Width();
  const int32_t h = start.IsEmpty() ? stop.Height() : start.Height();
  FWork.SetSize(w, h);
  if (FWork.IsEmpty()) return;
  const float t = std::clamp(NormalizedTime(), 0.0f, 1.0f);
  const uint32_t t255 = uint32_t(std::lround(t * 255));
  for (int32_t y = 0; y < h; ++y) {
    uint32_t* row = FWork.Scanline(y);
    const uint32_t* base = start.IsEmpty() ? nullptr : start.Scanline(y);
    const uint32_t* over = stop.IsEmpty() ? nullptr : stop.Scanline(int32_t(int64_t(y) * stop.Height() / h));
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t d = base ? base[x] : 0;
      row[x] = over ? BlendOver(d, over[int64_t(x) * stop.Width() / w], t255) : d;
    }
  }
  FWork.Changed();
  target->Assign(&FWork);
}

// ---- path ----

void TuiPathAnimation::DefineProperties(TuiClassBuilder<TuiPathAnimation>& C) {
  using A = TuiPathAnimation;
  C.Object("Path", &A::Path);
  C.Property("Rotate", &A::Rotate, &A::SetRotate, false);
}

void TuiPathAnimation::Start() {
  // Prepared before the run starts, so that an immediate run (no host, no
  // duration) also ends at the end of the path.
  FPoints.clear();
  TuiPathData* path = FPath->ResolvePath();
  if (!path) path = FPath.get();
  TuiPolygon polygon;
  TuiPoint size;
  path->FlattenToPolygon(polygon, size, 0.25f);
  for (const TuiPoint& p : polygon)
    if (p != PolygonFigureEnd && (FPoints.empty() || FPoints.back() != p)) FPoints.push_back(p);
  if (TuiVisualObject* parent = Parent() ? Parent()->Visual() : nullptr) {
    FStartPosition = parent->Position()->Point();
    FLastPosition = FStartPosition;
  }
  Inherited::Start();
}

TuiPoint TuiPathAnimation::SplinePoint(float S) const {
  // A Catmull-Rom curve: it passes through every point and needs no solve.
  const int n = int(FPoints.size());
  const float s = std::clamp(S, 0.0f, float(n - 1));
  const int i = std::min(int(s), n - 1);
  const float f = s - float(i);
  auto at = [&](int k) { return FPoints[size_t(std::clamp(k, 0, n - 1))]; };
  const TuiPoint p0 = at(i - 1), p1 = at(i), p2 = at(i + 1), p3 = at(i + 2);
  auto blend = [f](float a, float b, float c, float d) {
    return 0.5f *
           (2 * b + (c - a) * f + (2 * a - 5 * b + 4 * c - d) * f * f + (3 * b - a - 3 * c + d) * f * f * f);
  };
  return {blend(p0.X, p1.X, p2.X, p3.X), blend(p0.Y, p1.Y, p2.Y, p3.Y)};
}

void TuiPathAnimation::ProcessAnimation() {
  TuiVisualObject* parent = Parent() ? Parent()->Visual() : nullptr;
  if (!parent || FPoints.empty()) return;
  const float t = NormalizedTime();
  // The whole run spans the whole path: t = 1 is the last point, not one
  // step beyond it, so neither end of the run stands still.
  const TuiPoint p = SplinePoint(t * float(FPoints.size() - 1));
  const TuiPoint pos{FStartPosition.X + p.X, FStartPosition.Y + p.Y};
  if (FRotate && t > 0 && t < 1 && pos != FLastPosition) {
    float angle =
        float(std::atan2(pos.Y - FLastPosition.Y, pos.X - FLastPosition.X) * 180 / std::numbers::pi);
    if (Inverse()) angle += 180;
    parent->SetRotateAngle(angle);
  }
  FLastPosition = pos;
  parent->Position()->SetPoint(pos);
}
