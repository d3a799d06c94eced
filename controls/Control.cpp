#include "controls/Control.h"

#include <algorithm>
#include <exception>

#include "controls/Actions.h"
#include "controls/Resources.h"
#include "draw2d/Canvas.h"
#include "scene2d/AnimationTimer.h"
#include "scene2d/Errors.h"

UX_IMPLEMENT_CLASS(TuiControl)
UX_IMPLEMENT_CLASS(TuiBackground)

std::function<std::string(const std::string&)> TuiControl::TranslateHook;

namespace {

void LockVisuals(TuiObject* O) {
  if (TuiVisualObject* v = O->Visual()) v->SetLocked(true);
  for (TuiObject* c : O->ChildList()) LockVisuals(c);
}

bool IsSelfOrAncestor(const TuiObject* Candidate, const TuiObject* Of) {
  for (const TuiObject* o = Of; o; o = o->Parent())
    if (o == Candidate) return true;
  return false;
}

// Puts a suspended repaint switch back however the application ends.
class THostRepaintGuard {
 public:
  explicit THostRepaintGuard(IuxScene* Host) : FHost(Host) {
    if (FHost) {
      FOld = FHost->GetDisableUpdate();
      FHost->SetDisableUpdate(true);
    }
  }
  ~THostRepaintGuard() {
    if (FHost) FHost->SetDisableUpdate(FOld);
  }
  THostRepaintGuard(const THostRepaintGuard&) = delete;
  THostRepaintGuard& operator=(const THostRepaintGuard&) = delete;

 private:
  IuxScene* FHost;
  bool FOld = false;
};

// One source's push under way: the bound controls from Next up to End (those
// bound later had their own push). Source is cleared when the source dies.
struct TPushFrame {
  TuiControl* Source;
  size_t Next;
  size_t End;
};

// The pushes under way, innermost last. Made once and never freed, like the
// other process-wide tables, so controls freed at exit still find it.
struct TPushQueue {
  std::vector<TPushFrame> Frames;
  bool Running = false;
};

TPushQueue& PushQueue() {
  static auto* queue = new TPushQueue;
  return *queue;
}

}  // namespace

void TuiControl::DefineProperties(TuiClassBuilder<TuiControl>& C) {
  C.Property("TabOrder", &TuiControl::TabOrder, &TuiControl::SetTabOrder, int16_t(-1));
  C.Property("Resource", &TuiControl::Resource, &TuiControl::SetResource);
}

TuiControl::TuiControl(TuiComponent* Owner) : TuiVisualObject(Owner) {}

TuiControl::~TuiControl() {
  if (!TornDown()) {
    BeginDestroy();
    TuiControl::BeforeDestruction();
  }
}

void TuiControl::BeforeDestruction() {
  BeginDestroy();
  // A dying source leaves its bound controls unbound and ends its pushes; a
  // dying bound control leaves its source. Both sides are controls and come
  // through here, so the binding needs no free notifications.
  for (TuiControl* bound : FBoundControls)
    if (bound) bound->FBindingSource = nullptr;
  FBoundControls.clear();
  FBoundHoles = 0;
  if (FPushesUnderWay > 0) {
    for (TPushFrame& frame : PushQueue().Frames)
      if (frame.Source == this) frame.Source = nullptr;
    FPushesUnderWay = 0;
  }
  SetBindingSource(nullptr);
  delete FActionLink;
  FActionLink = nullptr;
  Inherited::BeforeDestruction();
}

// ---- style ----

void TuiControl::SetResource(const std::string& Value) {
  FResource = Value;
  FStylePending = true;
  if (!IsLoading() && UpdateCount() == 0) ApplyResource();
}

std::string TuiControl::StyleNameOf(const TuiClassInfo& Class) {
  const std::string& name = Class.Name();
  return (name.size() > 3 ? name.substr(3) : std::string()) + "style";
}

TuiVisualObject* TuiControl::CloneStyle(TuiObject* Found, bool KeepName) {
  // A style that holds this control would grow a copy of it on every paint.
  if (IsSelfOrAncestor(Found, this)) return nullptr;
  TuiObject* copy = nullptr;
  try {
    copy = Found->CloneObject(this);
  } catch (const std::exception&) {
    return nullptr;  // an unreadable style is no style
  }
  if (!copy) return nullptr;
  if (!copy->IsVisual()) {
    copy->Free();
    return nullptr;
  }
  if (!KeepName) copy->SetResourceName({});
  return copy->Visual();
}

TuiVisualObject* TuiControl::LookUpStyle() {
  TuiResources* hostStyle = Scene() ? Scene()->GetStyle() : nullptr;
  TuiObject* hostRoot = hostStyle ? hostStyle->Root() : nullptr;

  // A named style from wherever it is found first; an object of the wrong
  // kind there ends this stage.
  if (!FResource.empty()) {
    TuiObject* found = hostRoot ? hostRoot->FindResource(FResource) : nullptr;
    if (!found && TuiStyleSheets::Default()) found = TuiStyleSheets::Default()->FindResource(FResource);
    if (!found) found = FindStyleObject(FResource);
    if (found && found->IsVisual())
      if (TuiVisualObject* clone = CloneStyle(found, false)) return clone;
  }

  TuiObject* sheet = TuiStyleSheets::LoadDefault();
  const std::string own = StyleNameOf(ClassInfo());
  auto search = [&](TuiObject* Root, std::string_view Name) -> TuiVisualObject* {
    if (!Root || Name.empty()) return nullptr;
    TuiObject* found = Root->FindResource(Name);
    return found && found->IsVisual() ? CloneStyle(found, true) : nullptr;
  };
  if (TuiVisualObject* s = search(hostRoot, FResource)) return s;
  if (TuiVisualObject* s = search(hostRoot, own)) return s;
  if (TuiVisualObject* s = search(sheet, FResource)) return s;
  if (TuiVisualObject* s = search(sheet, own)) return s;
  // The parent class's style serves subclasses only from the built-in sheet.
  if (const TuiClassInfo* parent = ClassInfo().Parent(); parent && parent != &TuiControl::StaticClass())
    if (TuiVisualObject* s = search(sheet, StyleNameOf(*parent))) return s;
  return nullptr;
}

void TuiControl::ApplyResource() {
  if (!FStylePending) return;
  FStylePending = false;
  TuiVisualObject* style = LookUpStyle();
  if (!style) return;
  {
    THostRepaintGuard guard(IsLoading() ? Scene() : nullptr);
    if (TuiVisualObject* old = FStyleObject) {
      FreeStyle();
      FStyleObject = nullptr;
      old->Free();
    }
    style->SetAlign(vaContents);
    style->SetDesignHide(false);
    FStyleObject = style;
    AddObject(style);
    style->SetIndex(0);
    // The copy is the control's look, not its content: never written with
    // it, and locked so that triggers reach its animations and effects.
    style->SetStored(false);
    LockVisuals(style);
    // The triggers the style hears now state the control's current look
    // ("IsChecked" of an unchecked box); fading into it would flash the
    // style's other look in the first frames.
    TuiAnimationTimer::TSettle settle;
    ApplyStyle();
  }
  Invalidate();
  if (Handlers().OnApplyResource) Handlers().OnApplyResource(this);
}

void TuiControl::UpdateResource() {
  if (IsLoading() || IsDestroying()) return;
  Inherited::UpdateResource();
  FStylePending = true;
  ApplyResource();
}

TuiObject* TuiControl::FindResource(std::string_view Name) {
  if (FStyleObject)
    if (TuiObject* part = FStyleObject->FindResource(Name)) return part;
  return Inherited::FindResource(Name);
}

void TuiControl::ApplyStyle() {
  if (IsFocused() && CanFocused() && !DisableFocusEffect()) {
    Invalidate();
    RaiseTrigger("IsFocused");
  }
  if (FAutoTranslate && ShowHint() && !Hint().empty()) {
    std::string translated = Translate(Hint());
    if (!(Scene() && Scene()->GetDesignTime())) SetHint(translated);
  }
}

void TuiControl::RaiseTrigger(std::string_view Trigger) {
  StartTriggerAnimation(this, Trigger);
  ApplyTriggerEffect(this, Trigger);
}

void TuiControl::Invalidate() {
  EffectsChanged();
  InvalidateUpdateRects();
  Repaint();
}

void TuiControl::BeforePaint() {
  ApplyResource();
  Inherited::BeforePaint();
}

void TuiControl::EnterFocus() {
  ApplyResource();
  Inherited::EnterFocus();
}

void TuiControl::Loaded() {
  Inherited::Loaded();
  if (FPushPending) PushData();
  if (Scene() && Scene()->GetActiveControl() == this) SetFocus();
}

void TuiControl::Notification(TuiComponent* Component, TuiOperation Operation) {
  Inherited::Notification(Component, Operation);
  if (Operation != opRemove) return;
  if (Component == FStyleObject) FStyleObject = nullptr;
  if (FActionLink && Component == FActionLink->Action()) SetAction(nullptr);
}

// ---- tab order ----

int16_t TuiControl::TabOrder() const {
  const TuiVisualObject* parent = VisualParent();
  return parent ? int16_t(parent->TabListIndexOf(this)) : int16_t(-1);
}

void TuiControl::SetTabOrder(int16_t Value) {
  if (IsLoading()) {
    SetStoredTabOrder(Value);
    return;
  }
  if (TuiVisualObject* parent = VisualParent()) parent->MoveInTabList(this, Value);
}

// ---- data binding ----

TuiControl* TuiControl::BoundControls(int Index) const {
  if (FBoundHoles == 0) return FBoundControls[size_t(Index)];
  for (TuiControl* bound : FBoundControls)
    if (bound && Index-- == 0) return bound;
  return nullptr;
}

int TuiControl::BoundHeight(int Limit) const {
  if (BoundCount() == 0) return 0;
  std::vector<const TuiControl*> level{this}, next;
  for (int height = 0;; ++height) {
    next.clear();
    for (const TuiControl* c : level)
      for (const TuiControl* bound : c->FBoundControls)
        if (bound) next.push_back(bound);
    if (next.empty() || height > Limit) return height;
    level.swap(next);
  }
}

void TuiControl::SetBindingSource(TuiControl* Value) {
  if (Value == FBindingSource) return;
  if (Value) {
    // Every chain is within the limit, so this walk is short.
    int above = 0;
    for (TuiControl* s = Value; s; s = s->FBindingSource) {
      if (s == this) return;  // binding in a ring would push forever
      if (s->FBindingSource) ++above;
    }
    if (above + 1 + BoundHeight(uxMaxBindingDepth) > uxMaxBindingDepth)
      throw EuxError(std::string(uxMsgBindingTooDeep));
  }
  if (FBindingSource) FBindingSource->Unbind(this);
  FBindingSource = Value;
  if (FBindingSource) FBindingSource->BindTo(this);
}

void TuiControl::BindTo(TuiControl* Bound) {
  Bound->FBindingSlot = FBoundControls.size();
  FBoundControls.push_back(Bound);
  PushData();
}

void TuiControl::Unbind(TuiControl* Bound) {
  const size_t slot = Bound->FBindingSlot;
  if (slot >= FBoundControls.size() || FBoundControls[slot] != Bound) return;
  if (slot + 1 == FBoundControls.size() && FPushesUnderWay == 0) {
    FBoundControls.pop_back();
    return;
  }
  FBoundControls[slot] = nullptr;
  ++FBoundHoles;
  SweepBound();
}

void TuiControl::SweepBound() {
  // A push walks the list by index: holes stay until it is done.
  if (FPushesUnderWay > 0 || FBoundHoles * 2 <= FBoundControls.size()) return;
  std::erase(FBoundControls, nullptr);
  FBoundHoles = 0;
  for (size_t i = 0; i < FBoundControls.size(); ++i) FBoundControls[i]->FBindingSlot = i;
}

void TuiControl::PushData() {
  if (BoundCount() == 0) return;
  // While loading, setters only store: the bindings of a whole layout then
  // cost one push per source, not one per bound control.
  if (IsLoading()) {
    FPushPending = true;
    return;
  }
  FPushPending = false;
  TPushQueue& queue = PushQueue();
  queue.Frames.push_back({this, 0, FBoundControls.size()});
  ++FPushesUnderWay;
  // Asked from a SetData of the running push: runs when that returns.
  if (!queue.Running) RunPushes();
}

void TuiControl::EndPush() {
  TPushQueue& queue = PushQueue();
  TuiControl* source = queue.Frames.back().Source;
  queue.Frames.pop_back();
  if (source && --source->FPushesUnderWay == 0) source->SweepBound();
}

void TuiControl::RunPushes() {
  TPushQueue& queue = PushQueue();
  queue.Running = true;
  try {
    while (!queue.Frames.empty()) {
      TPushFrame& frame = queue.Frames.back();
      TuiControl* source = frame.Source;
      TuiControl* bound = nullptr;
      while (source && !bound && frame.Next < frame.End) bound = source->FBoundControls[frame.Next++];
      while (source && frame.Next < frame.End && !source->FBoundControls[frame.Next]) ++frame.Next;
      if (!bound) {
        EndPush();
        continue;
      }
      const TuiData data = source->GetData();
      // A frame with nothing left goes before the call, so that a chain
      // keeps the queue short.
      if (frame.Next >= frame.End) EndPush();
      const size_t first = queue.Frames.size();
      bound->SetData(data);
      // The pushes this SetData asked for run first, in the order asked.
      std::reverse(queue.Frames.begin() + std::ptrdiff_t(first), queue.Frames.end());
    }
  } catch (...) {
    while (!queue.Frames.empty()) EndPush();
    queue.Running = false;
    throw;
  }
  queue.Running = false;
}

std::string TuiControl::Translate(const std::string& Text) {
  return TranslateHook ? TranslateHook(Text) : Text;
}

// ---- actions ----

TuiAction* TuiControl::Action() const {
  return FActionLink ? FActionLink->Action() : nullptr;
}

void TuiControl::SetAction(TuiAction* Value) {
  if (!Value) {
    if (FActionLink && FActionLink->Action()) RemoveFreeNotification(FActionLink->Action());
    delete FActionLink;
    FActionLink = nullptr;
    return;
  }
  if (Value == Action()) return;
  if (!FActionLink) FActionLink = new TuiControlActionLink(*this);
  if (FActionLink->Action()) RemoveFreeNotification(FActionLink->Action());
  FActionLink->SetAction(Value);
  ActionChange(Value, Value->IsLoading());
  FreeNotification(Value);
}

void TuiControl::ActionChange(TuiAction* Sender, bool CheckDefaults) {
  if (!Sender || !FActionLink) return;
  const std::string text = ActionText();
  if (!CheckDefaults || text.empty() || text == Name()) SetActionText(Sender->Caption());
  if (!CheckDefaults || Enabled()) SetEnabled(Sender->Enabled());
  if (!CheckDefaults || Hint().empty()) SetHint(Sender->Hint());
  if (!CheckDefaults || Visible()) SetVisible(Sender->Visible());
  if (!CheckDefaults || !Handlers().OnClick) FActionLink->InstallClick();
}

void TuiControl::UpdateFromAction(TuiAction* Sender) {
  if (Sender && Sender == Action()) ActionChange(Sender, false);
}

// ---- TuiBackground ----

TuiBackground::TuiBackground(TuiComponent* Owner)
    : TuiControl(Owner), FFill(std::make_unique<TuiBrush>(uxBrushNone, 0xFFE0E0E0)) {
  FFill->OnChanged = [this](TuiBrush*) { Invalidate(); };
}

TuiBackground::~TuiBackground() = default;

void TuiBackground::SetFill(const TuiBrush& Value) {
  FFill->Assign(Value);
}

void TuiBackground::Paint() {
  if (FFill->Style() == uxBrushNone) return;
  TuiCanvas* canvas = Canvas();
  if (!canvas) return;
  canvas->Fill()->Assign(*FFill);
  canvas->FillRect(GetLocalRect(), 0, 0, AllCorners, GetAbsoluteOpacity());
}
