#include "scene2d/paint/BufferedScene.h"

#include <cmath>

#include "draw2d/Bitmap.h"
#include "draw2d/Canvas.h"
#include "scene2d/Errors.h"
#include "scene2d/paint/Painter.h"

TuiBufferedScene::TuiBufferedScene(int32_t Width, int32_t Height) {
  TuiPainter::Register();
  FCanvas = TuiCanvas::CreateCanvas(Width, Height);
  if (!FCanvas) throw EuxError("No canvas class is registered");
}

TuiBufferedScene::~TuiBufferedScene() {
  for (TuiVisualObject** slot : {&FCaptured, &FHovered, &FFocused, &FPressing}) Hold(*slot, nullptr);
}

void TuiBufferedScene::SetSize(int32_t Width, int32_t Height) {
  FCanvas->ResizeBuffer(Width, Height);
  InvalidateAll();
}

void TuiBufferedScene::InvalidateAll() {
  FUpdateRects.assign(1, TuiRect{0, 0, float(FCanvas->Width()), float(FCanvas->Height())});
  FUpdateSources.assign(1, nullptr);
  FBackgrounds.Clear();
}

// ---- dirty rectangles and painting ----

void TuiBufferedScene::AddObjectUpdateRect(TuiVisualObject& Source, const TuiRect& Rect) {
  struct TScope {
    TuiVisualObject*& Slot;
    ~TScope() { Slot = nullptr; }
  } scope{FRepainting};
  // An object leaving in its destruction is no candidate: nothing would tell
  // of its end any more.
  FRepainting = Source.IsDestroying() ? nullptr : &Source;
  AddUpdateRect(Rect);
}

void TuiBufferedScene::AddUpdateRect(const TuiRect& Rect) {
  if (FDisableUpdate) return;
  // Anti-aliased edges reach into the next pixel.
  const TuiRect r = TuiBackgroundCache::PixelRect(Rect);
  FBackgrounds.Dirtied(r, FRepainting);
  if (!RectsIntersect(r, {0, 0, float(FCanvas->Width()), float(FCanvas->Height())})) return;
  // The same rectangle twice (a shape changing two things) is painted once.
  for (size_t i = 0; i < FUpdateRects.size(); ++i)
    if (FUpdateRects[i] == r) {
      if (FUpdateSources[i] != FRepainting) FUpdateSources[i] = nullptr;
      return;
    }
  FUpdateRects.push_back(r);
  FUpdateSources.push_back(FRepainting);
  if (FUpdateRects.size() > MaxUpdateRects) {
    TuiRect all = FUpdateRects.front();
    for (const TuiRect& u : FUpdateRects) all = UnionRect(all, u);
    FUpdateRects.assign(1, all);
    FUpdateSources.assign(1, nullptr);
  }
}

void TuiBufferedScene::PaintTree() {
  if (FPainting || FUpdateRects.empty()) return;
  struct TDone {
    TuiBufferedScene& S;
    TuiBackgroundCache* Outer = TuiPainter::Backgrounds;
    ~TDone() {
      TuiPainter::Backgrounds = Outer;
      S.FUpdateRects.clear();
      S.FUpdateSources.clear();
      S.FPainting = false;
    }
  } done{*this};
  FPainting = true;
  TuiCanvas& canvas = *FCanvas;
  if (!canvas.BeginScene()) return;
  struct TEnd {
    TuiCanvas& C;
    ~TEnd() { C.EndScene(); }
  } end{canvas};
  // A rectangle that a shape's own repaint asked for, apart from the others,
  // starts from the pixels kept under the shape; then only the shape is
  // painted there, after the rest.
  std::vector<std::pair<TuiVisualObject*, TuiRect>> alone;
  std::vector<TuiRect> rest;
  for (size_t i = 0; i < FUpdateRects.size(); ++i) {
    TuiVisualObject* source = FUpdateSources[i];
    const TuiRect& r = FUpdateRects[i];
    bool apart = source != nullptr;
    for (size_t j = 0; apart && j < FUpdateRects.size(); ++j)
      apart = j == i || !RectsIntersect(r, FUpdateRects[j]);
    if (apart && FBackgrounds.Restore(*source, r, canvas))
      alone.emplace_back(source, r);
    else
      rest.push_back(r);
  }
  FUpdateRects.swap(rest);
  FUpdateSources.assign(FUpdateRects.size(), nullptr);
  TuiPainter::Backgrounds = &FBackgrounds;
  if (!FUpdateRects.empty()) PaintRoots(canvas);
  TuiPainter::Backgrounds = nullptr;
  for (const auto& [object, r] : alone) {
    FUpdateRects.assign(1, r);
    FUpdateSources.assign(1, nullptr);
    StartPass(canvas, false);
    TuiPainter::PaintAlone(*object, canvas);
  }
}

void TuiBufferedScene::StartPass(TuiCanvas& Canvas, bool WithBackground) {
  Canvas.SetMatrix(IdentityMatrix());
  Canvas.SetClipRects(FUpdateRects);
  if (WithBackground) PaintBackground(Canvas);
  Canvas.SetStrokeThickness(1);
  Canvas.SetStrokeDash(uxDashSolid);
  Canvas.Fill()->SetStyle(uxBrushSolid);
  Canvas.Stroke()->SetStyle(uxBrushSolid);
}

void TuiBufferedScene::PaintRoots(TuiCanvas& Canvas) {
  StartPass(Canvas, true);
  // By index: painting must not run on into a root removed meanwhile.
  for (int i = 0; i < RootCount(); ++i) {
    TuiVisualObject* root = Roots(i)->Visual();
    if (!root || !root->Visible()) continue;
    const TuiRect u = root->UpdateRect();
    bool touches = false;
    for (const TuiRect& r : FUpdateRects) touches = touches || RectsIntersect(u, r);
    if (!touches) continue;
    Canvas.SetMatrix(root->GetAbsoluteMatrix());
    TuiPainter::PaintObject(nullptr, *root, Canvas);
  }
}

namespace {

// Reaches what the painter would: visible objects with an area, inside a
// clipping parent; a designer paints differently and is left to its paint.
void ApplyResourcesFrom(TuiVisualObject& Object) {
  Object.ApplyResource();
  const TuiRect r = Object.UpdateRect();
  // By index: a style arriving adds children.
  for (int i = 0; i < Object.ChildrenCount(); ++i) {
    TuiVisualObject* c = Object.Children(i)->Visual();
    if (!c || !c->Visible()) continue;
    const TuiRect u = c->UpdateRect();
    if (u.Width() == 0 || u.Height() == 0) continue;
    if (Object.ClipChildren() && !RectsIntersect(u, r)) continue;
    ApplyResourcesFrom(*c);
  }
}

}  // namespace

void TuiBufferedScene::ApplyResourcesBeforeFirstPaint() {
  if (FResourcesApplied || FPainting) return;
  FResourcesApplied = true;
  for (int i = 0; i < RootCount(); ++i) {
    TuiVisualObject* root = Roots(i)->Visual();
    if (root && root->Visible() && !root->IsDesigning()) ApplyResourcesFrom(*root);
  }
}

void TuiBufferedScene::PaintBackground(TuiCanvas& Canvas) {
  for (const TuiRect& r : FUpdateRects) Canvas.ClearRect(r, Background);
}

void TuiBufferedScene::UpdateResource() {
  if (TuiObject* root = GetRoot()) root->UpdateResource();
}

void TuiBufferedScene::Notification(TuiComponent*, TuiOperation) {}

// ---- references to objects of the tree ----

void TuiBufferedScene::Hold(TuiVisualObject*& Slot, TuiVisualObject* Object) {
  TuiVisualObject* old = Slot;
  Slot = Object;
  if (Object) Object->AddFreeNotify(this);
  if (old && old != FCaptured && old != FHovered && old != FFocused && old != FPressing)
    old->RemoveFreeNotify(this);
}

void TuiBufferedScene::FreeNotify(TuiObject* Dying) {
  for (TuiVisualObject** slot : {&FCaptured, &FHovered, &FFocused, &FPressing})
    if (*slot == Dying) *slot = nullptr;
}

void TuiBufferedScene::SetCaptured(TuiVisualObject* Object) {
  Hold(FCaptured, Object);
}

void TuiBufferedScene::SetFocused(TuiVisualObject* Object) {
  if (Object == FFocused) return;
  TuiVisualObject* old = FFocused;
  Hold(FFocused, Object);
  if (old) old->KillFocus();
  // The old object's handlers may have moved the focus on already.
  if (Object && FFocused == Object) Object->EnterFocus();
}

TuiPoint TuiBufferedScene::LocalToScreen(const TuiPoint& Point) {
  return {std::trunc(Point.X) + ScreenOrigin.X, std::trunc(Point.Y) + ScreenOrigin.Y};
}

void TuiBufferedScene::BeginDragDrop(TuiObject* Source, TuiBitmap* DragImage) {
  FDragSource = Source;
  FDragImageSize =
      DragImage ? TuiPoint{float(DragImage->Width()), float(DragImage->Height())} : TuiPoint{0, 0};
}

bool TuiBufferedScene::BeginWindowMove() {
  ++FWindowMoves;
  return false;
}

bool TuiBufferedScene::BeginWindowResize() {
  ++FWindowResizes;
  return false;
}

// ---- input ----

TuiVisualObject* TuiBufferedScene::ObjectAt(float X, float Y) {
  for (int i = RootCount() - 1; i >= 0; --i) {
    TuiVisualObject* root = Roots(i)->Visual();
    if (!root) return nullptr;
    if (!root->Visible()) continue;
    if (TuiVisualObject* hit = root->ObjectByPoint(X, Y)) return hit;
  }
  return nullptr;
}

void TuiBufferedScene::MouseMove(TuiShiftState Shift, float X, float Y) {
  FMousePos = {X, Y};
  if (FCaptured) {
    const TuiPoint p = FCaptured->AbsoluteToLocal(FMousePos);
    FCaptured->MouseMove(Shift, p.X, p.Y, 0, 0);
    return;
  }
  TuiVisualObject* hit = ObjectAt(X, Y);
  if (!hit) {
    FHint.clear();
    FCursor = 0;
    MouseLeave();
    return;
  }
  FHint = hit->ShowHint() ? hit->Hint() : std::string();
  // As the windows' layer does, a size grip shows its own cursor.
  FCursor = hit->Cursor();
  if (hit != FHovered) {
    TuiVisualObject* old = FHovered;
    Hold(FHovered, hit);
    if (old) old->MouseLeave();
    // A leave handler may have freed the new object.
    if (FHovered != hit) return;
    hit->MouseEnter();
    if (FHovered != hit) return;
  }
  const TuiPoint p = hit->AbsoluteToLocal(FMousePos);
  hit->MouseMove(Shift, p.X, p.Y, 0, 0);
}

void TuiBufferedScene::MouseLeave() {
  TuiVisualObject* old = FHovered;
  Hold(FHovered, nullptr);
  if (old) old->MouseLeave();
}

void TuiBufferedScene::MouseDown(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) {
  FMousePos = {X, Y};
  TuiVisualObject* hit = ObjectAt(X, Y);
  if (!hit) {
    PressedOutsideTree();
    return;
  }
  if (hit->IsSizeGrip()) {
    BeginWindowResize();
    return;
  }
  // The press may free the object; the weak reference tells.
  Hold(FPressing, hit);
  const TuiPoint p = hit->AbsoluteToLocal(FMousePos);
  hit->MouseDown(Button, Shift, p.X, p.Y);
  if (FPressing && FPressing->DragMode() == uxDragAutomatic) FPressing->BeginAutoDrag();
  Hold(FPressing, nullptr);
}

void TuiBufferedScene::MouseUp(TuiMouseButton Button, TuiShiftState Shift, float X, float Y) {
  FMousePos = {X, Y};
  TuiVisualObject* target = FCaptured ? FCaptured : ObjectAt(X, Y);
  if (!target) return;
  const TuiPoint p = target->AbsoluteToLocal(FMousePos);
  target->MouseUp(Button, Shift, p.X, p.Y);
}

void TuiBufferedScene::MouseWheel(TuiShiftState Shift, int WheelDelta) {
  bool handled = false;
  if (FCaptured) {
    FCaptured->MouseWheel(Shift, WheelDelta, handled);
    return;
  }
  for (TuiObject* o = ObjectAt(FMousePos.X, FMousePos.Y); o && !handled; o = o->Parent())
    if (TuiVisualObject* v = o->Visual()) v->MouseWheel(Shift, WheelDelta, handled);
}

void TuiBufferedScene::KeyDown(uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift) {
  if (FFocused) FFocused->KeyDown(Key, KeyChar, Shift);
}

void TuiBufferedScene::KeyUp(uint16_t& Key, char32_t& KeyChar, TuiShiftState Shift) {
  if (FFocused) FFocused->KeyUp(Key, KeyChar, Shift);
}
