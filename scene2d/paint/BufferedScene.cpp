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
}

// ---- dirty rectangles and painting ----

void TuiBufferedScene::AddUpdateRect(const TuiRect& Rect) {
  if (FDisableUpdate) return;
  // Anti-aliased edges reach into the next pixel.
  const TuiRect r{std::trunc(Rect.Left), std::trunc(Rect.Top), std::trunc(Rect.Right) + 1,
                  std::trunc(Rect.Bottom) + 1};
  if (!RectsIntersect(r, {0, 0, float(FCanvas->Width()), float(FCanvas->Height())})) return;
  FUpdateRects.push_back(r);
  if (FUpdateRects.size() > MaxUpdateRects) {
    TuiRect all = FUpdateRects.front();
    for (const TuiRect& u : FUpdateRects) all = UnionRect(all, u);
    FUpdateRects.assign(1, all);
  }
}

void TuiBufferedScene::PaintTree() {
  if (FPainting || FUpdateRects.empty()) return;
  struct TDone {
    TuiBufferedScene& S;
    ~TDone() {
      S.FUpdateRects.clear();
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
  canvas.SetMatrix(IdentityMatrix());
  canvas.SetClipRects(FUpdateRects);
  PaintBackground(canvas);
  canvas.SetStrokeThickness(1);
  canvas.SetStrokeDash(uxDashSolid);
  canvas.Fill()->SetStyle(uxBrushSolid);
  canvas.Stroke()->SetStyle(uxBrushSolid);
  // By index: painting must not run on into a root removed meanwhile.
  for (int i = 0; i < RootCount(); ++i) {
    TuiVisualObject* root = Roots(i)->Visual();
    if (!root || !root->Visible()) continue;
    const TuiRect u = root->UpdateRect();
    bool touches = false;
    for (const TuiRect& r : FUpdateRects) touches = touches || RectsIntersect(u, r);
    if (!touches) continue;
    canvas.SetMatrix(root->GetAbsoluteMatrix());
    TuiPainter::PaintObject(nullptr, *root, canvas);
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
