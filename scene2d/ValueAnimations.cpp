#include "scene2d/ValueAnimations.h"

#include <algorithm>
#include <variant>

#include "scene2d/VisualObject.h"

UX_IMPLEMENT_CLASS(TuiColorAnimation)
UX_IMPLEMENT_CLASS(TuiFloatAnimation)
UX_IMPLEMENT_CLASS(TuiRectAnimation)
UX_IMPLEMENT_CLASS(TuiColorKey)
UX_IMPLEMENT_CLASS(TuiFloatKey)
UX_IMPLEMENT_CLASS(TuiColorKeyAnimation)
UX_IMPLEMENT_CLASS(TuiFloatKeyAnimation)
UX_IMPLEMENT_CLASS(TuiPathSwitcher)

namespace {

// The kinds decide once per start whether the resolved property takes what
// they write, so a tick never raises for a property of the wrong type.
bool TakesColor(const TuiPropertyHandle& H) {
  return H && !H.Property()->ReadOnly() &&
         (H.Kind() == pkString || H.Kind() == pkInteger || H.Kind() == pkInt64);
}

bool TakesFloat(const TuiPropertyHandle& H) {
  return H && !H.Property()->ReadOnly() && H.Kind() == pkFloat;
}

// The current colour of a colour-taking property: a text parsed, an integer as it is.
TuiColor CurrentColor(const TuiPropertyHandle& H) {
  const TuiPropValue v = H.Get();
  if (auto* t = std::get_if<std::string>(&v)) return TextToColor(*t);
  if (auto* i = std::get_if<int64_t>(&v)) return TuiColor(*i);
  return 0;
}

float CurrentFloat(const TuiPropertyHandle& H) {
  const TuiPropValue v = H.Get();
  auto* d = std::get_if<double>(&v);
  return d ? float(*d) : 0;
}

// The first neighbouring pair around T in collection order, or none.
template <class TKeys>
int FindKeyPair(const TKeys& Keys, float T) {
  for (int i = 0; i + 1 < Keys.Count(); ++i)
    if (Keys.Keys(i)->Key() <= T && T <= Keys.Keys(i + 1)->Key()) return i;
  return -1;
}

}  // namespace

// ---- colour ----

void TuiColorAnimation::DefineProperties(TuiClassBuilder<TuiColorAnimation>& C) {
  using A = TuiColorAnimation;
  C.Property("StartValue", &A::StartValue, &A::SetStartValue, "#FFFFFFFF");
  C.Property("StopValue", &A::StopValue, &A::SetStopValue, "#FFFFFFFF");
  C.Property("StartFromCurrent", &A::StartFromCurrent, &A::SetStartFromCurrent, false);
  C.Property("PropertyName", &A::PropertyName, &A::SetPropertyName, "");
}

void TuiColorAnimation::Start() {
  TuiPropertyHandle& h = FTarget.Resolve(*this);
  FWritable = TakesColor(h);
  if (FStartFromCurrent && FWritable) FStart = CurrentColor(h);
  Inherited::Start();
}

void TuiColorAnimation::ProcessAnimation() {
  if (FWritable) FTarget.Handle().SetColor(InterpolateColor(FStart, FStop, NormalizedTime()));
}

// ---- float ----

void TuiFloatAnimation::DefineProperties(TuiClassBuilder<TuiFloatAnimation>& C) {
  using A = TuiFloatAnimation;
  C.Property("StartValue", &A::StartValue, &A::SetStartValue, 0.0f);
  C.Property("StopValue", &A::StopValue, &A::SetStopValue, 0.0f);
  C.Property("StartFromCurrent", &A::StartFromCurrent, &A::SetStartFromCurrent, false);
  C.Property("PropertyName", &A::PropertyName, &A::SetPropertyName, "");
}

void TuiFloatAnimation::Start() {
  TuiPropertyHandle& h = FTarget.Resolve(*this);
  FWritable = TakesFloat(h);
  if (FStartFromCurrent && FWritable) FStart = CurrentFloat(h);
  Inherited::Start();
}

void TuiFloatAnimation::ProcessAnimation() {
  if (FWritable) FTarget.Handle().SetFloat(InterpolateSingle(FStart, FStop, NormalizedTime()));
}

// ---- rectangle ----

void TuiRectAnimation::DefineProperties(TuiClassBuilder<TuiRectAnimation>& C) {
  using A = TuiRectAnimation;
  C.Object("StartValue", &A::StartValue);
  C.Object("StopValue", &A::StopValue);
  C.Property("StartFromCurrent", &A::StartFromCurrent, &A::SetStartFromCurrent, false);
  C.Property("PropertyName", &A::PropertyName, &A::SetPropertyName, "");
}

TuiBounds* TuiRectAnimation::TargetBounds() {
  TuiPropertyHandle& h = FTarget.Handle();
  if (!h || h.Kind() != pkObject) return nullptr;
  const TuiPropValue v = h.Get();
  auto* p = std::get_if<TuiPersistent*>(&v);
  return p ? dynamic_cast<TuiBounds*>(*p) : nullptr;
}

void TuiRectAnimation::Start() {
  FTarget.Resolve(*this);
  if (TuiBounds* b = TargetBounds(); b && FStartFromCurrent) FStart->Assign(*b);
  Inherited::Start();
}

void TuiRectAnimation::ProcessAnimation() {
  TuiBounds* target = TargetBounds();
  if (!target) return;
  const float t = NormalizedTime();
  const TuiRect a = FStart->Rect();
  const TuiRect b = FStop->Rect();
  target->SetRect({InterpolateSingle(a.Left, b.Left, t), InterpolateSingle(a.Top, b.Top, t),
                   InterpolateSingle(a.Right, b.Right, t), InterpolateSingle(a.Bottom, b.Bottom, t)});
}

// ---- keys ----

void TuiColorKey::SetKey(float Value) {
  FKey = std::clamp(Value, 0.0f, 1.0f);
}

void TuiColorKey::DefineProperties(TuiClassBuilder<TuiColorKey>& C) {
  C.Property("Key", &TuiColorKey::Key, &TuiColorKey::SetKey);
  C.Property("Value", &TuiColorKey::Value, &TuiColorKey::SetValue);
}

void TuiFloatKey::SetKey(float Value) {
  FKey = std::clamp(Value, 0.0f, 1.0f);
}

void TuiFloatKey::DefineProperties(TuiClassBuilder<TuiFloatKey>& C) {
  C.Property("Key", &TuiFloatKey::Key, &TuiFloatKey::SetKey);
  C.Property("Value", &TuiFloatKey::Value, &TuiFloatKey::SetValue);
}

void TuiColorKeyAnimation::DefineProperties(TuiClassBuilder<TuiColorKeyAnimation>& C) {
  using A = TuiColorKeyAnimation;
  C.Collection("Keys", &A::Keys);
  C.Property("StartFromCurrent", &A::StartFromCurrent, &A::SetStartFromCurrent, false);
  C.Property("PropertyName", &A::PropertyName, &A::SetPropertyName, "");
}

void TuiColorKeyAnimation::Start() {
  TuiPropertyHandle& h = FTarget.Resolve(*this);
  FWritable = TakesColor(h);
  if (FStartFromCurrent && FWritable && FKeys->Count() > 0) FKeys->Keys(0)->SetColorValue(CurrentColor(h));
  Inherited::Start();
}

void TuiColorKeyAnimation::ProcessAnimation() {
  if (!FWritable) return;
  const float t = NormalizedTime();
  const int i = FindKeyPair(*FKeys, t);
  if (i < 0) return;
  const TuiColorKey* k1 = FKeys->Keys(i);
  const TuiColorKey* k2 = FKeys->Keys(i + 1);
  if (k2->Key() == k1->Key()) return;
  const float local = (t - k1->Key()) / (k2->Key() - k1->Key());
  FTarget.Handle().SetColor(InterpolateColor(k1->ColorValue(), k2->ColorValue(), local));
}

void TuiFloatKeyAnimation::DefineProperties(TuiClassBuilder<TuiFloatKeyAnimation>& C) {
  using A = TuiFloatKeyAnimation;
  C.Collection("Keys", &A::Keys);
  C.Property("StartFromCurrent", &A::StartFromCurrent, &A::SetStartFromCurrent, false);
  C.Property("PropertyName", &A::PropertyName, &A::SetPropertyName, "");
}

void TuiFloatKeyAnimation::Start() {
  TuiPropertyHandle& h = FTarget.Resolve(*this);
  FWritable = TakesFloat(h);
  if (FStartFromCurrent && FWritable && FKeys->Count() > 0) FKeys->Keys(0)->SetValue(CurrentFloat(h));
  Inherited::Start();
}

void TuiFloatKeyAnimation::ProcessAnimation() {
  if (!FWritable) return;
  const float t = NormalizedTime();
  const int i = FindKeyPair(*FKeys, t);
  if (i < 0) return;
  const TuiFloatKey* k1 = FKeys->Keys(i);
  const TuiFloatKey* k2 = FKeys->Keys(i + 1);
  if (k2->Key() == k1->Key()) return;
  const float local = (t - k1->Key()) / (k2->Key() - k1->Key());
  FTarget.Handle().SetFloat(InterpolateSingle(k1->Value(), k2->Value(), local));
}

// ---- path switcher ----

TuiPathSwitcher::TuiPathSwitcher(TuiComponent* Owner) : TuiAnimation(Owner) {
  SetDuration(0.001f);
}

void TuiPathSwitcher::DefineProperties(TuiClassBuilder<TuiPathSwitcher>& C) {
  using A = TuiPathSwitcher;
  C.Default("Duration", 0.001f);
  C.Property("PathTrue", &A::PathTrue, &A::SetPathTrue, "");
  C.Property("PathFalse", &A::PathFalse, &A::SetPathFalse, "");
  C.Property("PropertyName", &A::PropertyName, &A::SetPropertyName, "");
}

// ---- the visual object's shortcuts ----

namespace {
TuiFloatAnimation* MakeFloatAnimation(TuiVisualObject& Object, const std::string& PropertyName,
                                      float NewValue, float Duration, TuiAnimationType Type,
                                      TuiInterpolationType Kind) {
  auto* a = new TuiFloatAnimation(&Object);
  a->SetStored(false);
  a->SetParent(&Object);
  a->SetPropertyName(PropertyName);
  a->SetStartFromCurrent(true);
  a->SetStopValue(NewValue);
  a->SetDuration(Duration);
  a->SetAnimationType(Type);
  a->SetInterpolation(Kind);
  return a;
}
}  // namespace

void TuiVisualObject::AnimateFloat(const std::string& PropertyName, float NewValue, float Duration,
                                   TuiAnimationType Type, TuiInterpolationType Kind) {
  TuiFloatAnimation* a = MakeFloatAnimation(*this, PropertyName, NewValue, Duration, Type, Kind);
  a->OnFinish = [](TuiObject* Sender) { Sender->Free(); };
  a->Start();
}

void TuiVisualObject::AnimateFloatWait(const std::string& PropertyName, float NewValue, float Duration,
                                       TuiAnimationType Type, TuiInterpolationType Kind) {
  TuiFloatAnimation* a = MakeFloatAnimation(*this, PropertyName, NewValue, Duration, Type, Kind);
  bool freed = false;
  // The object (and the animation with it) may be freed while messages run.
  a->OnFinish = nullptr;
  struct TWatch final : IuxFreeNotify {
    bool* Freed;
    void FreeNotify(TuiObject*) override { *Freed = true; }
  } watch;
  watch.Freed = &freed;
  a->AddFreeNotify(&watch);
  a->Start();
  while (!freed && a->Running() && ProcessMessages && ProcessMessages()) {
  }
  if (freed) return;
  a->RemoveFreeNotify(&watch);
  // Without a message loop to wait in, the value still ends where it was sent.
  a->Stop();
  a->Free();
}
